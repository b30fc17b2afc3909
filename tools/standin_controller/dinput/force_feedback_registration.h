// What the device installation registered for a controller's force
// feedback, read where DirectInput reads it:
//
//   HKLM\System\CurrentControlSet\Control\MediaProperties\PrivateProperties
//       \Joystick\OEM\VID_xxxx&PID_xxxx                   "OEMName"
//       ...\OEMForceFeedback        "CLSID" (the effect driver's class),
//                                   "Attributes" (DIFFDEVICEATTRIBUTES)
//       ...\OEMForceFeedback\Effects\{effect GUID}
//                                   @ (name), "Attributes" (DIEFFECTATTRIBUTES)
//
// A controller is force-feedback capable when its key has a "CLSID".
#pragma once

#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

#include "tools/standin_controller/controller_channel.h"

namespace standin_dinput {

struct ForceFeedbackRegistration {
    CLSID driverClass;
    DIFFDEVICEATTRIBUTES device;  // zero when the installation gave none
};

// False when the controller has no effect driver registered.
bool ReadForceFeedbackRegistration(const standin::ControllerSpec& spec,
                                   ForceFeedbackRegistration* registration);

// The product name the installation gave, or a generic one.
void ReadProductName(const standin::ControllerSpec& spec, char (&name)[MAX_PATH]);

struct EffectRegistration {
    GUID guid;
    char name[MAX_PATH];
    DIEFFECTATTRIBUTES attributes;
};

// Calls `visit` for each registered effect, in the registry's order, until
// it returns false. Effects whose key name or "Attributes" cannot be read
// are skipped.
template <typename Visit>
void ForEachEffectRegistration(const standin::ControllerSpec& spec, Visit visit);

bool FindEffectRegistration(const standin::ControllerSpec& spec, const GUID& effect,
                            EffectRegistration* registration);

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", either case.
bool ParseGuid(const char* text, GUID* guid);

// The open Effects key of the controller, or null.
HKEY OpenEffectsKey(const standin::ControllerSpec& spec);
bool ReadEffectRegistration(HKEY effects, const char* keyName, EffectRegistration* registration);

template <typename Visit>
void ForEachEffectRegistration(const standin::ControllerSpec& spec, Visit visit) {
    HKEY effects = OpenEffectsKey(spec);
    if (effects == nullptr) {
        return;
    }
    char keyName[MAX_PATH];
    for (DWORD index = 0; RegEnumKeyA(effects, index, keyName, sizeof keyName) == ERROR_SUCCESS;
         ++index) {
        EffectRegistration registration;
        if (ReadEffectRegistration(effects, keyName, &registration) && !visit(registration)) {
            break;
        }
    }
    RegCloseKey(effects);
}

}  // namespace standin_dinput

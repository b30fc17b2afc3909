// A device's link to its controller's force-feedback effect driver, made as
// DirectInput makes it: the class registered for the controller, its module
// loaded by the path in HKLM\Software\Classes\CLSID\{...}\InProcServer32,
// reached only through DllGetClassObject and DllCanUnloadNow, and told
// which joystick it drives with DeviceID.
#pragma once

#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

#include "tools/standin_controller/controller_channel.h"

namespace standin_dinput {

// The DirectInput version effect drivers are told; drivers check it.
constexpr DWORD kEffectDriverInterfaceVersion = 0x0800;

struct EffectDriverLink {
    HMODULE module;
    IDirectInputEffectDriver* driver;
    bool attempted;  // a bind was tried; `result` tells how it went
    HRESULT result;
    WCHAR interfacePath[standin::kPathCapacity];
};

void InitEffectDriverLink(EffectDriverLink* link);

struct JoystickBinding {
    const CLSID* driverClass;
    DWORD joystickId;
    DWORD instanceNumber;
    const char* interfacePath;
    GUID instance;
};

// Loads the driver and binds it to the joystick the first time; later calls
// answer what the first one found. A driver that could not be loaded, or
// whose DeviceID failed, is let go again: force feedback then answers with
// that failure.
HRESULT BindEffectDriver(EffectDriverLink* link, const JoystickBinding& binding);

// Releases the driver (its last release is where it sends its final
// output) and frees its module once the module says it may go.
void ReleaseEffectDriver(EffectDriverLink* link);

}  // namespace standin_dinput

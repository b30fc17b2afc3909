// An effect created on a stand-in joystick: IDirectInputEffect over the
// device's effect driver. It keeps its parameters itself and downloads them
// to the driver when the device is acquired exclusively: on SetParameters,
// Download, or a Start that finds it not downloaded. Releasing it unloads
// it from the driver.
#pragma once

#include <windows.h>
#include <dinput.h>

#include "tools/standin_controller/dinput/effect_parameters.h"
#include "tools/standin_controller/dinput/force_feedback_registration.h"

namespace standin_dinput {

struct JoystickDevice;

struct DeviceEffect {
    IDirectInputEffect iface;
    LONG references;
    JoystickDevice* device;  // held; its lock guards everything below
    EffectRegistration registration;
    EffectParameters parameters;
    DWORD handle;  // the driver's, while downloaded
    bool downloaded;
    // Parameters changed with DIEP_NODOWNLOAD: the driver's copy lacks them.
    DWORD pending;
    DeviceEffect* next;
};

// A new effect of the registered type on the device, linked into its list.
// Call with the device's lock held.
HRESULT CreateDeviceEffect(JoystickDevice* device, const EffectRegistration& registration,
                           DeviceEffect** effect);

// Downloads the effect's parameters (all of them the first time, else those
// `flags` name) when the device's driver is usable. Call with the lock held.
HRESULT DownloadDeviceEffect(DeviceEffect* effect, DWORD flags);
// Takes the effect out of the driver. Call with the lock held.
void UnloadDeviceEffect(DeviceEffect* effect);

}  // namespace standin_dinput

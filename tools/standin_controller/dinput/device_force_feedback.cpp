// A joystick device's force feedback: the effects its registration names,
// creating effects, and the device-wide state and commands of its effect
// driver.
#include <cstdio>
#include <cstring>

#include "tools/standin_controller/dinput/device_effect.h"
#include "tools/standin_controller/dinput/joystick_device.h"

namespace standin_dinput {

namespace {

constexpr DWORD kCommands = DISFFC_RESET | DISFFC_STOPALL | DISFFC_PAUSE | DISFFC_CONTINUE |
                            DISFFC_SETACTUATORSON | DISFFC_SETACTUATORSOFF;

void FillEffectInfo(const EffectRegistration& registration, DIEFFECTINFOA* info) {
    std::memset(info, 0, sizeof *info);
    info->dwSize = sizeof *info;
    info->guid = registration.guid;
    info->dwEffType = registration.attributes.dwEffType;
    info->dwStaticParams = registration.attributes.dwStaticParams;
    info->dwDynamicParams = registration.attributes.dwDynamicParams;
    std::snprintf(info->tszName, sizeof info->tszName, "%s", registration.name);
}

bool TypeWanted(DWORD wanted, DWORD effectType) {
    return DIEFT_GETTYPE(wanted) == DIEFT_ALL || DIEFT_GETTYPE(wanted) == DIEFT_GETTYPE(effectType);
}

}  // namespace

HRESULT STDMETHODCALLTYPE DeviceCreateEffect(IDirectInputDevice7A* This, REFGUID effectGuid,
                                             LPCDIEFFECT parameters, LPDIRECTINPUTEFFECT* created,
                                             LPUNKNOWN outer) {
    JoystickDevice* device = DeviceFromInterface(This);
    if (created == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *created = nullptr;
    if (outer != nullptr) {
        return DIERR_NOAGGREGATION;
    }
    DeviceLock lock(device);
    if (!device->forceFeedback) {
        return DIERR_UNSUPPORTED;
    }
    EffectRegistration registration;
    if (!FindEffectRegistration(device->controller.spec, effectGuid, &registration)) {
        return DIERR_DEVICENOTREG;
    }
    DeviceEffect* effect = nullptr;
    HRESULT result = CreateDeviceEffect(device, registration, &effect);
    if (FAILED(result)) {
        return result;
    }
    if (parameters != nullptr) {
        // The record's own size says which parameters it can hold.
        const DWORD all =
            !IsBadReadPtr(parameters, sizeof(DWORD)) && parameters->dwSize == sizeof(DIEFFECT_DX5)
                ? DIEP_ALLPARAMS_DX5
                : DIEP_ALLPARAMS;
        result = IDirectInputEffect_SetParameters(&effect->iface, parameters, all);
        if (FAILED(result)) {
            IDirectInputEffect_Release(&effect->iface);
            return result;
        }
    }
    *created = &effect->iface;
    return result;
}

HRESULT STDMETHODCALLTYPE DeviceEnumEffects(IDirectInputDevice7A* This,
                                            LPDIENUMEFFECTSCALLBACKA callback, LPVOID ref,
                                            DWORD type) {
    JoystickDevice* device = DeviceFromInterface(This);
    if (callback == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    if (!device->forceFeedback) {
        return DI_OK;
    }
    // The callback runs without the lock: it may call the device.
    ForEachEffectRegistration(device->controller.spec, [&](const EffectRegistration& registration) {
        if (!TypeWanted(type, registration.attributes.dwEffType)) {
            return true;
        }
        DIEFFECTINFOA info;
        FillEffectInfo(registration, &info);
        return callback(&info, ref) != DIENUM_STOP;
    });
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceGetEffectInfo(IDirectInputDevice7A* This, LPDIEFFECTINFOA info,
                                              REFGUID effectGuid) {
    JoystickDevice* device = DeviceFromInterface(This);
    if (info == nullptr || IsBadWritePtr(info, sizeof *info) || info->dwSize != sizeof *info) {
        return DIERR_INVALIDPARAM;
    }
    EffectRegistration registration;
    if (!device->forceFeedback ||
        !FindEffectRegistration(device->controller.spec, effectGuid, &registration)) {
        return DIERR_DEVICENOTREG;
    }
    FillEffectInfo(registration, info);
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceGetForceFeedbackState(IDirectInputDevice7A* This, LPDWORD state) {
    JoystickDevice* device = DeviceFromInterface(This);
    if (state == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    DeviceLock lock(device);
    HRESULT result;
    IDirectInputEffectDriver* driver = UsableEffectDriver(device, &result);
    if (driver == nullptr) {
        return result;
    }
    DIDEVICESTATE deviceState;
    std::memset(&deviceState, 0, sizeof deviceState);
    deviceState.dwSize = sizeof deviceState;
    result = IDirectInputEffectDriver_GetForceFeedbackState(driver, device->slot, &deviceState);
    if (SUCCEEDED(result)) {
        *state = deviceState.dwState;
    }
    return result;
}

HRESULT STDMETHODCALLTYPE DeviceSendForceFeedbackCommand(IDirectInputDevice7A* This,
                                                         DWORD command) {
    JoystickDevice* device = DeviceFromInterface(This);
    // One command at a time.
    if ((command & ~kCommands) != 0 || command == 0 || (command & (command - 1)) != 0) {
        return DIERR_INVALIDPARAM;
    }
    DeviceLock lock(device);
    HRESULT result;
    IDirectInputEffectDriver* driver = UsableEffectDriver(device, &result);
    if (driver == nullptr) {
        return result;
    }
    result = IDirectInputEffectDriver_SendForceFeedbackCommand(driver, device->slot, command);
    if (command == DISFFC_RESET) {
        ForgetDownloadedEffects(device);
    }
    return result;
}

HRESULT STDMETHODCALLTYPE DeviceEnumCreatedEffectObjects(
    IDirectInputDevice7A* This, LPDIENUMCREATEDEFFECTOBJECTSCALLBACK callback, LPVOID ref,
    DWORD flags) {
    JoystickDevice* device = DeviceFromInterface(This);
    if (callback == nullptr || flags != 0) {
        return DIERR_INVALIDPARAM;
    }
    DeviceLock lock(device);
    for (DeviceEffect* effect = device->effects; effect != nullptr;) {
        // The callback may release the effect it is given.
        DeviceEffect* next = effect->next;
        if (callback(&effect->iface, ref) == DIENUM_STOP) {
            break;
        }
        effect = next;
    }
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceEscape(IDirectInputDevice7A*, LPDIEFFESCAPE) {
    return DIERR_UNSUPPORTED;
}

}  // namespace standin_dinput

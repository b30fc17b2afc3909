// The device-wide methods: versions, escapes, gain, force-feedback commands
// and device state.
#include "effect_driver/driver_methods.h"
#include "effect_driver/effect_driver.h"

namespace {

constexpr DWORD kFirmwareRevision = 1;
constexpr DWORD kHardwareRevision = 1;
constexpr DWORD kDriverVersion = 2;
constexpr DWORD kMaxGain = 10000;

// Runs `method` on every effect in use on the device, in slot order.
template <typename Method>
void ForEachEffectInUse(IDirectInputEffectDriver* This, DWORD deviceId, Method method) {
    DeviceEntry& entry = DriverFromInterface(This)->devices[deviceId];
    for (DWORD slot = 0; slot < kEffectSlotCount; ++slot) {
        if (entry.slots[slot].inUse != 0) {
            method(This, deviceId, slot + 1);
        }
    }
}

}  // namespace

HRESULT STDMETHODCALLTYPE DriverGetVersions(IDirectInputEffectDriver*,
                                            LPDIDRIVERVERSIONS versions) {
    if (versions == nullptr || versions->dwSize != sizeof(DIDRIVERVERSIONS)) {
        return E_INVALIDARG;
    }
    versions->dwFirmwareRevision = kFirmwareRevision;
    versions->dwHardwareRevision = kHardwareRevision;
    versions->dwFFDriverVersion = kDriverVersion;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DriverEscape(IDirectInputEffectDriver*, DWORD deviceId, DWORD effect,
                                       LPDIEFFESCAPE escape) {
    // The controller has no escapes: valid requests succeed and do nothing.
    if (deviceId >= kDeviceCount || effect > kEffectSlotCount || escape == nullptr) {
        return E_INVALIDARG;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DriverSetGain(IDirectInputEffectDriver* This, DWORD deviceId,
                                        DWORD gain) {
    if (deviceId >= kDeviceCount || gain > kMaxGain) {
        return E_INVALIDARG;
    }
    DriverFromInterface(This)->devices[deviceId].gain = gain;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DriverSendForceFeedbackCommand(IDirectInputEffectDriver* This,
                                                         DWORD deviceId, DWORD command) {
    if (deviceId >= kDeviceCount) {
        return E_INVALIDARG;
    }
    switch (command) {
        case DISFFC_RESET:
            ForEachEffectInUse(This, deviceId, [](IDirectInputEffectDriver* d, DWORD id, DWORD h) {
                IDirectInputEffectDriver_DestroyEffect(d, id, h);
            });
            return S_OK;
        case DISFFC_STOPALL:
            ForEachEffectInUse(This, deviceId, [](IDirectInputEffectDriver* d, DWORD id, DWORD h) {
                IDirectInputEffectDriver_StopEffect(d, id, h);
            });
            return S_OK;
        case DISFFC_PAUSE:
        case DISFFC_CONTINUE:
        case DISFFC_SETACTUATORSON:
        case DISFFC_SETACTUATORSOFF:
            // Playback runs in the driver and the motors have no switch.
            return S_OK;
        default:
            return E_NOTIMPL;
    }
}

HRESULT STDMETHODCALLTYPE DriverGetForceFeedbackState(IDirectInputEffectDriver*, DWORD deviceId,
                                                      LPDIDEVICESTATE state) {
    if (deviceId >= kDeviceCount || state == nullptr) {
        return E_INVALIDARG;
    }
    return S_OK;
}

#include "effect_driver/driver_methods.h"

HRESULT STDMETHODCALLTYPE DriverGetVersions(IDirectInputEffectDriver*, LPDIDRIVERVERSIONS) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DriverEscape(IDirectInputEffectDriver*, DWORD, DWORD, LPDIEFFESCAPE) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DriverSetGain(IDirectInputEffectDriver*, DWORD, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DriverSendForceFeedbackCommand(IDirectInputEffectDriver*, DWORD, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DriverGetForceFeedbackState(IDirectInputEffectDriver*, DWORD,
                                                      LPDIDEVICESTATE) {
    return E_NOTIMPL;
}

#include "effect_driver/driver_methods.h"

HRESULT STDMETHODCALLTYPE DriverDownloadEffect(IDirectInputEffectDriver*, DWORD, DWORD, LPDWORD,
                                               LPCDIEFFECT, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DriverDestroyEffect(IDirectInputEffectDriver*, DWORD, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DriverStartEffect(IDirectInputEffectDriver*, DWORD, DWORD, DWORD, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DriverStopEffect(IDirectInputEffectDriver*, DWORD, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DriverGetEffectStatus(IDirectInputEffectDriver*, DWORD, DWORD, LPDWORD) {
    return E_NOTIMPL;
}

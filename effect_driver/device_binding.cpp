#include "effect_driver/driver_methods.h"

HRESULT STDMETHODCALLTYPE DriverDeviceID(IDirectInputEffectDriver*, DWORD, DWORD, DWORD, DWORD,
                                         LPVOID) {
    return E_NOTIMPL;
}

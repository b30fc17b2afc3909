// The module's entry point and its two exports.
#include <windows.h>

#include "effect_driver/effect_driver_factory.h"
#include "effect_driver/module_state.h"
#include "effect_driver/playback_lock.h"
#include "profiles/selected_model.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            SetModuleInstance(instance);
            // Without the lock the driver cannot play safely: refuse to load.
            return CreatePlaybackLock() ? TRUE : FALSE;
        case DLL_PROCESS_DETACH:
            ClosePlaybackLock();
            return TRUE;
        default:
            return TRUE;
    }
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!IsEqualGUID(rclsid, kModelProfile.effectDriverClassId)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    if (!IsEqualGUID(riid, IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    EffectDriverFactory* factory = CreateEffectDriverFactory();
    if (factory == nullptr) {
        return E_OUTOFMEMORY;
    }
    HRESULT result = IClassFactory_QueryInterface(&factory->iface, riid, ppv);
    IClassFactory_Release(&factory->iface);
    return result;
}

STDAPI DllCanUnloadNow(void) {
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

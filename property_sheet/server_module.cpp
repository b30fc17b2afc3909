// The module's entry point and its two exports.
#include <windows.h>

#include "property_sheet/controller_sheet_factory.h"
#include "property_sheet/controls/indicator_class.h"
#include "property_sheet/module_state.h"
#include "profiles/selected_model.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            SetModuleInstance(instance);
            InitializeSheetLock();
            return TRUE;
        case DLL_PROCESS_DETACH:
            // Unloaded while the process goes on (no reserved value): the
            // control panel may load the module again, so its window
            // classes must not outlive it. At process end nothing is left
            // to call them.
            if (reserved == nullptr) {
                UnregisterIndicatorClasses(instance);
            }
            DeleteSheetLock();
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
    if (!IsEqualGUID(rclsid, kModelProfile.propertySheetClassId)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    if (!IsEqualGUID(riid, IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    ControllerSheetFactory* factory = CreateControllerSheetFactory();
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

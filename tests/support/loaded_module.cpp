#include "support/loaded_module.h"

namespace test_support {

LoadedModule::LoadedModule(const char* path) : module_(LoadLibraryA(path)) {
    if (module_ != nullptr) {
        // void(*)() converts to any function pointer type without a warning.
        getClassObject_ = reinterpret_cast<LPFNGETCLASSOBJECT>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "DllGetClassObject")));
        canUnloadNow_ = reinterpret_cast<LPFNCANUNLOADNOW>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "DllCanUnloadNow")));
    }
}

LoadedModule::~LoadedModule() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
    }
}

HRESULT LoadedModule::GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
    return getClassObject_(clsid, iid, out);
}

HRESULT LoadedModule::CanUnloadNow() const {
    return canUnloadNow_();
}

}  // namespace test_support

#include "fuzz/loaded_object.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace fuzz {

IClassFactory* FactoryOf(const char* library, REFCLSID clsid) {
    static std::map<std::string, IClassFactory*> factories;
    auto found = factories.find(library);
    if (found != factories.end()) {
        return found->second;
    }
    HMODULE module = LoadLibraryA(library);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", library);
        std::abort();
    }
    auto getClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (getClassObject == nullptr ||
        getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK) {
        std::fprintf(stderr, "no class factory in %s\n", library);
        std::abort();
    }
    // Held for the run, so the module stays loaded between inputs.
    IClassFactory_LockServer(factory, TRUE);
    factories.emplace(library, factory);
    return factory;
}

}  // namespace fuzz

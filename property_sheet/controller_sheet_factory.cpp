#include "property_sheet/controller_sheet_factory.h"

#include <new>

#include "property_sheet/controller_sheet.h"
#include "property_sheet/module_state.h"

namespace {

ControllerSheetFactory* FactoryFromInterface(IClassFactory* iface) {
    return reinterpret_cast<ControllerSheetFactory*>(iface);
}

HRESULT STDMETHODCALLTYPE FactoryQueryInterface(IClassFactory* This, REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    *ppv = This;
    IClassFactory_AddRef(This);
    return S_OK;
}

ULONG STDMETHODCALLTYPE FactoryAddRef(IClassFactory* This) {
    return static_cast<ULONG>(InterlockedIncrement(&FactoryFromInterface(This)->refCount));
}

ULONG STDMETHODCALLTYPE FactoryRelease(IClassFactory* This) {
    ControllerSheetFactory* factory = FactoryFromInterface(This);
    const LONG count = InterlockedDecrement(&factory->refCount);
    if (count != 0) {
        return static_cast<ULONG>(count);
    }
    factory->~ControllerSheetFactory();
    HeapFree(GetProcessHeap(), 0, factory);
    UnlockModule();
    return 0;
}

HRESULT STDMETHODCALLTYPE FactoryCreateInstance(IClassFactory*, IUnknown* outer, REFIID riid,
                                                void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    ControllerSheet* sheet = CreateControllerSheet();
    if (sheet == nullptr) {
        return E_OUTOFMEMORY;
    }
    HRESULT result = IDIGameCntrlPropSheet_PrepareSheet(&sheet->iface);
    if (SUCCEEDED(result)) {
        result = IDIGameCntrlPropSheet_QueryInterface(&sheet->iface, riid, ppv);
    }
    // A sheet whose preparation or query failed dies here.
    IDIGameCntrlPropSheet_Release(&sheet->iface);
    return result;
}

HRESULT STDMETHODCALLTYPE FactoryLockServer(IClassFactory*, BOOL lock) {
    if (lock) {
        LockModule();
    } else {
        UnlockModule();
    }
    return S_OK;
}

// Not const: the object's table pointer is declared non-const.
IClassFactoryVtbl g_factoryVtbl = {
    FactoryQueryInterface, FactoryAddRef, FactoryRelease, FactoryCreateInstance, FactoryLockServer,
};

}  // namespace

ControllerSheetFactory* CreateControllerSheetFactory() {
    void* memory = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ControllerSheetFactory));
    if (memory == nullptr) {
        return nullptr;
    }
    auto* factory = new (memory) ControllerSheetFactory{};
    factory->iface.lpVtbl = &g_factoryVtbl;
    factory->refCount = 1;
    LockModule();
    return factory;
}

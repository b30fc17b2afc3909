#include "effect_driver/effect_driver_factory.h"

#include <mutex>
#include <new>

#include "effect_driver/effect_driver.h"
#include "effect_driver/module_state.h"

// Link lock: guards both directions of the link between a factory and the
// driver it made (EffectDriverFactory::linkedDriver and
// EffectDriver::linkedFactory). Held only for a few pointer operations, never
// while an object is created, initialised or destroyed. A driver whose count
// reached 0 may still be linked until it takes this lock to unlink; the
// factory never revives it (TryAddRef refuses a count of 0).

namespace {

std::mutex g_linkLock;

EffectDriverFactory* FactoryFromInterface(IClassFactory* iface) {
    return reinterpret_cast<EffectDriverFactory*>(iface);
}

// Adds a reference unless the count already reached 0.
bool TryAddRef(EffectDriver* driver) {
    LONG count = InterlockedCompareExchange(&driver->refCount, 0, 0);
    while (count > 0) {
        LONG seen = InterlockedCompareExchange(&driver->refCount, count + 1, count);
        if (seen == count) {
            return true;
        }
        count = seen;
    }
    return false;
}

// The factory's living driver with one more reference, or none.
EffectDriver* AcquireLinkedDriver(EffectDriverFactory* factory) {
    std::lock_guard<std::mutex> guard(g_linkLock);
    EffectDriver* driver = factory->linkedDriver;
    return driver != nullptr && TryAddRef(driver) ? driver : nullptr;
}

void Link(EffectDriverFactory* factory, EffectDriver* driver) {
    std::lock_guard<std::mutex> guard(g_linkLock);
    // A dying driver still linked here must no longer point back at us.
    if (factory->linkedDriver != nullptr) {
        factory->linkedDriver->linkedFactory = nullptr;
    }
    factory->linkedDriver = driver;
    driver->linkedFactory = factory;
}

HRESULT STDMETHODCALLTYPE FactoryQueryInterface(IClassFactory* This, REFIID riid,
                                                void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    *ppvObject = This;
    IClassFactory_AddRef(This);
    return S_OK;
}

ULONG STDMETHODCALLTYPE FactoryAddRef(IClassFactory* This) {
    return static_cast<ULONG>(InterlockedIncrement(&FactoryFromInterface(This)->refCount));
}

ULONG STDMETHODCALLTYPE FactoryRelease(IClassFactory* This) {
    EffectDriverFactory* factory = FactoryFromInterface(This);
    LONG count = InterlockedDecrement(&factory->refCount);
    if (count != 0) {
        return static_cast<ULONG>(count);
    }
    {
        std::lock_guard<std::mutex> guard(g_linkLock);
        if (factory->linkedDriver != nullptr) {
            factory->linkedDriver->linkedFactory = nullptr;
            factory->linkedDriver = nullptr;
        }
    }
    factory->~EffectDriverFactory();
    HeapFree(GetProcessHeap(), 0, factory);
    UnlockModule();
    return 0;
}

HRESULT STDMETHODCALLTYPE FactoryCreateInstance(IClassFactory* This, IUnknown* outer, REFIID riid,
                                                void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    EffectDriverFactory* factory = FactoryFromInterface(This);
    // Only an initialised driver is ever linked, and only one caller at a
    // time makes one: every caller gets the same driver, or its failure.
    std::unique_lock<std::mutex> creating(factory->creationLock);
    EffectDriver* driver = AcquireLinkedDriver(factory);
    if (driver == nullptr) {
        driver = CreateEffectDriver();
        if (driver == nullptr) {
            return E_OUTOFMEMORY;
        }
        HRESULT initialized = InitializeDriver(driver);
        if (FAILED(initialized)) {
            creating.unlock();
            IDirectInputEffectDriver_Release(&driver->iface);
            return initialized;
        }
        Link(factory, driver);
    }
    creating.unlock();
    HRESULT result = IDirectInputEffectDriver_QueryInterface(&driver->iface, riid, ppvObject);
    IDirectInputEffectDriver_Release(&driver->iface);
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

// Not const: the platform declares the object's table pointer as non-const.
IClassFactoryVtbl g_factoryVtbl = {
    FactoryQueryInterface, FactoryAddRef, FactoryRelease, FactoryCreateInstance, FactoryLockServer,
};

}  // namespace

EffectDriverFactory* CreateEffectDriverFactory() {
    void* memory = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(EffectDriverFactory));
    if (memory == nullptr) {
        return nullptr;
    }
    EffectDriverFactory* factory = new (memory) EffectDriverFactory{};
    factory->iface.lpVtbl = &g_factoryVtbl;
    factory->refCount = 1;
    LockModule();
    return factory;
}

void UnlinkDriverFromFactory(EffectDriver* driver) {
    std::lock_guard<std::mutex> guard(g_linkLock);
    EffectDriverFactory* factory = driver->linkedFactory;
    if (factory != nullptr && factory->linkedDriver == driver) {
        factory->linkedDriver = nullptr;
    }
    driver->linkedFactory = nullptr;
}

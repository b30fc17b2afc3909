// The class factory that DllGetClassObject hands out. A factory makes at most
// one driver object at a time: further CreateInstance calls hand out more
// references to the same object while it lives.
#pragma once

#include <windows.h>

#include <mutex>

struct EffectDriver;

struct EffectDriverFactory {
    IClassFactory iface;
    LONG volatile refCount;
    // The driver this factory made, or none. It holds no reference: the
    // driver clears it when it dies (UnlinkDriverFromFactory), and the
    // factory clears the driver's back link when the factory dies first.
    EffectDriver* linkedDriver;
    // Held by CreateInstance while it makes, initialises and links a new
    // driver, so that a second caller waits for the outcome instead of
    // taking a driver whose initialisation may yet fail.
    std::mutex creationLock;
};

// A new factory with reference count 1 (ModuleLockCount + 1), or none when
// memory runs out.
EffectDriverFactory* CreateEffectDriverFactory();

// Called by a driver whose count reached 0, before it is taken apart, so
// that no factory hands it out again.
void UnlinkDriverFromFactory(EffectDriver* driver);

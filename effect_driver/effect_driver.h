// The driver object that DirectInput holds for a force-feedback device: its
// IDirectInputEffectDriver interface, reference count, the 16 device
// entries, the effect attributes and the playback timer.
#pragma once

#include <dinput.h>
#include <dinputd.h>

#include "effect_driver/device_entry.h"
#include "effect_driver/effect_registrations.h"

struct EffectDriverFactory;

struct EffectDriver {
    // The interface table comes first, so the interface pointer DirectInput
    // holds is the object's address.
    IDirectInputEffectDriver iface;
    LONG volatile refCount;
    DeviceEntry devices[kDeviceCount];
    EffectAttributesTable attributes;
    // Identifier of the periodic timer that runs the playback tick, 0 while
    // none runs. Bindings on several threads may race to start it.
    std::atomic<UINT> playbackTimer;
    // The factory whose link names this object, or none. Guarded by the
    // factory link lock (effect_driver_factory.cpp).
    EffectDriverFactory* linkedFactory;
};

// A new object with reference count 1 (ModuleLockCount + 1), or none when
// memory runs out. Not yet initialised.
EffectDriver* CreateEffectDriver();

// Resets every device entry and reads the effect attributes table.
// E_FAIL when a registration cannot be read.
HRESULT InitializeDriver(EffectDriver* driver);

inline EffectDriver* DriverFromInterface(IDirectInputEffectDriver* iface) {
    return reinterpret_cast<EffectDriver*>(iface);
}

#include "effect_driver/effect_driver.h"

#include <mmsystem.h>

#include <new>

#include "effect_driver/driver_methods.h"
#include "effect_driver/effect_driver_factory.h"
#include "effect_driver/module_state.h"

namespace {

// Not const: the platform declares the object's table pointer as non-const.
IDirectInputEffectDriverVtbl g_effectDriverVtbl = {
    DriverQueryInterface,
    DriverAddRef,
    DriverRelease,
    DriverDeviceID,
    DriverGetVersions,
    DriverEscape,
    DriverSetGain,
    DriverSendForceFeedbackCommand,
    DriverGetForceFeedbackState,
    DriverDownloadEffect,
    DriverDestroyEffect,
    DriverStartEffect,
    DriverStopEffect,
    DriverGetEffectStatus,
};

// DirectInput may still be finishing calls on other threads when it drops
// its last reference; the object waits this long before it takes itself
// apart.
constexpr DWORD kDestructionGraceMs = 100;

void ResetDeviceEntry(DeviceEntry& entry) {
    entry.bound = 0;
    entry.deviceHandle = nullptr;
    entry.joystickId = -1;
    entry.reportId = 0;
    entry.gain = 10000;
    entry.amplify = 1000;
    entry.leftMotor = 0;
    entry.rightMotor = 0;
    entry.devicePath[0] = '\0';
}

// Ends the object: stops playback, destroys every live effect, gives each
// open controller its final output and closes it, then frees the memory.
void DestroyEffectDriver(EffectDriver* driver) {
    Sleep(kDestructionGraceMs);
    if (driver->playbackTimer != 0) {
        timeKillEvent(driver->playbackTimer);
        driver->playbackTimer = 0;
    }
    for (DWORD device = 0; device < kDeviceCount; ++device) {
        for (DWORD slot = 0; slot < kEffectSlotCount; ++slot) {
            if (driver->devices[device].slots[slot].inUse == 1) {
                IDirectInputEffectDriver_DestroyEffect(&driver->iface, device, slot + 1);
            }
        }
    }
    UnlockModule();
    driver->~EffectDriver();
    HeapFree(GetProcessHeap(), 0, driver);
}

}  // namespace

EffectDriver* CreateEffectDriver() {
    void* memory = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(EffectDriver));
    if (memory == nullptr) {
        return nullptr;
    }
    EffectDriver* driver = new (memory) EffectDriver{};
    driver->iface.lpVtbl = &g_effectDriverVtbl;
    driver->refCount = 1;
    LockModule();
    return driver;
}

HRESULT InitializeDriver(EffectDriver* driver) {
    for (DeviceEntry& entry : driver->devices) {
        ResetDeviceEntry(entry);
    }
    for (UINT position = 0; position < kEffectTypeCount; ++position) {
        if (!ReadEffectAttributes(position, &driver->attributes[position])) {
            return E_FAIL;
        }
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DriverQueryInterface(IDirectInputEffectDriver* This, REFIID riid,
                                               void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IDirectInputEffectDriver)) {
        return E_NOINTERFACE;
    }
    *ppvObject = This;
    DriverAddRef(This);
    return S_OK;
}

ULONG STDMETHODCALLTYPE DriverAddRef(IDirectInputEffectDriver* This) {
    return static_cast<ULONG>(InterlockedIncrement(&DriverFromInterface(This)->refCount));
}

ULONG STDMETHODCALLTYPE DriverRelease(IDirectInputEffectDriver* This) {
    EffectDriver* driver = DriverFromInterface(This);
    LONG count = InterlockedDecrement(&driver->refCount);
    if (count != 0) {
        return static_cast<ULONG>(count);
    }
    UnlinkDriverFromFactory(driver);
    DestroyEffectDriver(driver);
    return 0;
}

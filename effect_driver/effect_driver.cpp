#include "effect_driver/effect_driver.h"

#include <new>

#include "effect_driver/device_connection.h"
#include "effect_driver/driver_methods.h"
#include "effect_driver/effect_driver_factory.h"
#include "effect_driver/effect_store.h"
#include "effect_driver/module_state.h"
#include "effect_driver/motor_reports.h"
#include "effect_driver/playback_timer.h"
#include "profiles/selected_model.h"

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

// What a controller gets when the driver object goes away. Results are not
// looked at: there is nobody left to tell.
void SendFinalOutput(EffectDriver* driver, DWORD device) {
    if (kModelProfile.finalOutputIsStopSequence) {
        SendStopSequence(driver, device);
    } else {
        driver->devices[device].leftMotor = 0;
        driver->devices[device].rightMotor = 0;
        WriteMotorReport(driver, device);
    }
}

// Ends the object: stops playback, destroys every live effect, gives each
// open controller its final output and closes it, then frees the memory.
void DestroyEffectDriver(EffectDriver* driver) {
    Sleep(kDestructionGraceMs);
    StopPlaybackTimer(driver);
    for (DWORD device = 0; device < kDeviceCount; ++device) {
        DeviceEntry& entry = driver->devices[device];
        for (DWORD slot = 0; slot < kEffectSlotCount; ++slot) {
            if (entry.slots[slot].inUse == 1 &&
                FAILED(IDirectInputEffectDriver_DestroyEffect(&driver->iface, device, slot + 1))) {
                // The lock is held elsewhere (another process's tick). Our
                // own timer is already gone and nobody else holds this
                // object, so the effect is freed without it.
                ClearSlot(entry.slots[slot]);
            }
        }
        if (IsOpenHandle(entry.deviceHandle)) {
            SendFinalOutput(driver, device);
            CloseConnection(entry);
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

#include "effect_driver/effect_store.h"

#include <cstring>

#include "effect_driver/driver_methods.h"
#include "effect_driver/effect_driver.h"
#include "effect_driver/motor_reports.h"
#include "effect_driver/playback_lock.h"
#include "effect_driver/strength_settings.h"
#include "profiles/selected_model.h"

namespace {

// Block sizes are computed in size_t; counts whose blocks could not be
// addressed are refused before anything is allocated.
constexpr DWORD kMaxAxisCount = 0x0FFFFFFF;

bool ValidHandle(DWORD handle) {
    return handle >= 1 && handle <= kMaxEffectHandle;
}

// A record whose counts and blocks disagree cannot be stored safely.
bool ConsistentRecord(const DIEFFECT& record) {
    if ((record.cAxes != 0) != (record.rgdwAxes != nullptr) ||
        (record.cAxes != 0) != (record.rglDirection != nullptr)) {
        return false;
    }
    if ((record.cbTypeSpecificParams != 0) != (record.lpvTypeSpecificParams != nullptr)) {
        return false;
    }
    return record.cAxes <= kMaxAxisCount;
}

// An update must leave the axes and direction blocks the same length: a new
// axis count is taken only together with both blocks.
bool KeepsBlocksInStep(const EffectParameters& stored, const DIEFFECT& record, DWORD flags) {
    const DWORD both = DIEP_AXES | DIEP_DIRECTION;
    if ((flags & both) == 0 || (flags & both) == both) {
        return true;
    }
    return record.cAxes == stored.cAxes;
}

void FreeBlock(void* block) {
    if (block != nullptr) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

// Frees the target's block and, when the source has a non-empty one, puts a
// copy of it in its place. False when memory ran out (the target then holds
// none).
template <typename T>
bool ReplaceBlock(T*& target, const T* source, size_t size) {
    FreeBlock(target);
    target = nullptr;
    if (source == nullptr || size == 0) {
        return true;
    }
    void* block = HeapAlloc(GetProcessHeap(), 0, size);
    if (block == nullptr) {
        return false;
    }
    std::memcpy(block, source, size);
    target = static_cast<T*>(block);
    return true;
}

}  // namespace

void ClearSlot(EffectSlot& slot) {
    FreeEffectParameters(&slot.parameters);
    std::memset(&slot.parameters, 0, sizeof slot.parameters);
    slot.inUse = 0;
    slot.attributes = nullptr;
    slot.typeIndex = 0;
    slot.playState = kIdle;
    slot.startTime = 0;
    slot.elapsedTime = 0;
    slot.iterationsLeft = 0;
}

int FindFreeSlot(const DeviceEntry& entry) {
    for (DWORD position = 0; position < kEffectSlotCount; ++position) {
        if (entry.slots[position].inUse == 0) {
            return static_cast<int>(position);
        }
    }
    return -1;
}

void FreeEffectParameters(EffectParameters* parameters) {
    FreeBlock(parameters->rgdwAxes);
    parameters->rgdwAxes = nullptr;
    FreeBlock(parameters->rglDirection);
    parameters->rglDirection = nullptr;
    FreeBlock(parameters->lpEnvelope);
    parameters->lpEnvelope = nullptr;
    FreeBlock(parameters->lpvTypeSpecificParams);
    parameters->lpvTypeSpecificParams = nullptr;
}

HRESULT CopyEffectParameters(EffectParameters* target, const DIEFFECT* source, DWORD flags) {
    if (target == nullptr || source == nullptr) {
        return E_INVALIDARG;
    }
    target->dwFlags = source->dwFlags;
    if (flags & DIEP_DURATION) {
        target->dwDuration = source->dwDuration;
    }
    if (flags & DIEP_SAMPLEPERIOD) {
        target->dwSamplePeriod = source->dwSamplePeriod;
    }
    if (flags & DIEP_GAIN) {
        target->dwGain = source->dwGain;
    }
    if (flags & DIEP_TRIGGERBUTTON) {
        target->dwTriggerButton = source->dwTriggerButton;
    }
    if (flags & DIEP_TRIGGERREPEATINTERVAL) {
        target->dwTriggerRepeatInterval = source->dwTriggerRepeatInterval;
    }
    const size_t axesSize = static_cast<size_t>(source->cAxes) * sizeof(DWORD);
    if (flags & DIEP_AXES) {
        target->cAxes = source->cAxes;
        if (!ReplaceBlock(target->rgdwAxes, source->rgdwAxes, axesSize)) {
            return E_OUTOFMEMORY;
        }
    }
    if (flags & DIEP_DIRECTION) {
        target->cAxes = source->cAxes;
        if (!ReplaceBlock(target->rglDirection, source->rglDirection, axesSize)) {
            return E_OUTOFMEMORY;
        }
    }
    if ((flags & DIEP_ENVELOPE) &&
        !ReplaceBlock(target->lpEnvelope, source->lpEnvelope, sizeof(DIENVELOPE))) {
        return E_OUTOFMEMORY;
    }
    if (flags & DIEP_TYPESPECIFICPARAMS) {
        target->cbTypeSpecificParams = source->cbTypeSpecificParams;
        if (!ReplaceBlock(target->lpvTypeSpecificParams, source->lpvTypeSpecificParams,
                          source->cbTypeSpecificParams)) {
            return E_OUTOFMEMORY;
        }
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DriverDownloadEffect(IDirectInputEffectDriver* This, DWORD deviceId,
                                               DWORD typeIndex, LPDWORD effect,
                                               LPCDIEFFECT parameters, DWORD flags) {
    if (deviceId >= kDeviceCount || typeIndex >= kEffectTypeCount || effect == nullptr ||
        parameters == nullptr || *effect > kMaxEffectHandle) {
        return E_INVALIDARG;
    }
    if (!ConsistentRecord(*parameters)) {
        return E_INVALIDARG;
    }
    if (flags & DIEP_NODOWNLOAD) {
        return S_OK;
    }
    EffectDriver* driver = DriverFromInterface(This);
    DeviceEntry& entry = driver->devices[deviceId];
    if (!AcquirePlaybackLock(kPlaybackLockTimeoutMs)) {
        return E_FAIL;
    }
    // The slot is chosen and filled under the lock, so two downloads on two
    // threads never pick the same free slot.
    int position;
    DWORD copyFlags = flags;
    if (*effect == 0) {
        position = FindFreeSlot(entry);
        if (position < 0) {
            ReleasePlaybackLock();
            return E_FAIL;
        }
        // A new effect starts idle, with no start time and no iterations,
        // whatever the free slot heard before (a StartEffect on a free
        // handle, or one that came just after the handle was destroyed).
        ClearSlot(entry.slots[position]);
        copyFlags = 0xFFFFFFFF;
    } else {
        position = static_cast<int>(*effect - 1);
        const EffectSlot& slot = entry.slots[position];
        // Updating a handle that holds no effect, or one that would leave
        // the axes and directions of different lengths, changes nothing.
        if (slot.inUse == 0 || !KeepsBlocksInStep(slot.parameters, *parameters, flags)) {
            ReleasePlaybackLock();
            return E_INVALIDARG;
        }
    }
    EffectSlot& slot = entry.slots[position];
    HRESULT copied = CopyEffectParameters(&slot.parameters, parameters, copyFlags);
    if (SUCCEEDED(copied)) {
        slot.typeIndex = typeIndex;
        slot.attributes = &driver->attributes[typeIndex];
        slot.inUse = 1;
    } else {
        // A failed copy removes the effect, blocks and all.
        ClearSlot(slot);
    }
    ReleasePlaybackLock();
    if (FAILED(copied)) {
        *effect = 0;
        return copied;
    }
    *effect = static_cast<DWORD>(position) + 1;
    if (flags & DIEP_START) {
        return IDirectInputEffectDriver_StartEffect(This, deviceId, *effect, 0, 1);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DriverDestroyEffect(IDirectInputEffectDriver* This, DWORD deviceId,
                                              DWORD effect) {
    if (deviceId >= kDeviceCount || !ValidHandle(effect)) {
        return E_INVALIDARG;
    }
    if (!AcquirePlaybackLock(kPlaybackLockTimeoutMs)) {
        return E_FAIL;
    }
    IDirectInputEffectDriver_StopEffect(This, deviceId, effect);
    ClearSlot(DriverFromInterface(This)->devices[deviceId].slots[effect - 1]);
    ReleasePlaybackLock();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DriverStartEffect(IDirectInputEffectDriver* This, DWORD deviceId,
                                            DWORD effect, DWORD mode, DWORD count) {
    if (deviceId >= kDeviceCount || !ValidHandle(effect)) {
        return E_INVALIDARG;
    }
    EffectDriver* driver = DriverFromInterface(This);
    DeviceEntry& entry = driver->devices[deviceId];
    if (ReadStrengthSettings(driver, deviceId) == 0) {
        for (EffectSlot& other : entry.slots) {
            other.playState = kStopped;
        }
        return S_OK;
    }
    if (mode == DIES_SOLO) {
        for (EffectSlot& other : entry.slots) {
            other.playState = kStopped;
        }
    }
    EffectSlot& slot = entry.slots[effect - 1];
    slot.startTime = GetTickCount();
    slot.iterationsLeft = count;
    slot.elapsedTime = 0;
    // Last, so that a tick that sees the effect playing sees its new start.
    slot.playState = kPlaying;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DriverStopEffect(IDirectInputEffectDriver* This, DWORD deviceId,
                                           DWORD effect) {
    if (deviceId >= kDeviceCount || !ValidHandle(effect)) {
        return E_INVALIDARG;
    }
    EffectDriver* driver = DriverFromInterface(This);
    DeviceEntry& entry = driver->devices[deviceId];
    if (kModelProfile.stopEffectSilencesAtOnce) {
        // The motors stop now even if other effects play; the next tick
        // brings those back.
        entry.leftMotor = 0;
        entry.rightMotor = 0;
        WriteMotorReport(driver, deviceId);
    }
    entry.slots[effect - 1].playState = kStopped;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DriverGetEffectStatus(IDirectInputEffectDriver* This, DWORD deviceId,
                                                DWORD effect, LPDWORD status) {
    if (deviceId >= kDeviceCount || !ValidHandle(effect) || status == nullptr) {
        return E_INVALIDARG;
    }
    const EffectSlot& slot = DriverFromInterface(This)->devices[deviceId].slots[effect - 1];
    *status = slot.playState.load() == kPlaying ? DIEGES_PLAYING : 0;
    return S_OK;
}

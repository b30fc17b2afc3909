// The effects applications create on a simulated joystick device
// (IDirectInputEffect). The joystick plays constant forces only; every call
// is captured with a deep copy of the record it read (control_directinput.h)
// and nothing reaches a force-feedback driver.
//
// Semantics kept:
//  - CreateEffect: a type other than GUID_ConstantForce is
//    DIERR_DEVICENOTREG. A record given to it is checked and taken as with
//    every parameter flag of its size. The effect holds a reference on its
//    device.
//  - Records are DIEFFECT in its DirectX 5 size (no dwStartDelay, which is
//    never read then) or its current size; any other dwSize, a flag outside
//    DIEP_ALLPARAMS and the three control flags, DIEP_STARTDELAY with a
//    DirectX 5 record, a block a flag names but the record lacks, 0 or more
//    than 2 axes, an envelope whose dwSize is not DIENVELOPE's, or
//    type-specific parameters that are not one DICONSTANTFORCE are
//    DIERR_INVALIDPARAM and change nothing.
//  - Parameters reach the device (are downloaded) only while it is acquired
//    in exclusive mode: SetParameters then answers DI_OK (and starts the
//    effect with DIEP_START), otherwise, or with DIEP_NODOWNLOAD,
//    DI_DOWNLOADSKIPPED. Start, Stop, Download and Unload answer
//    DIERR_NOTEXCLUSIVEACQUIRED without it; Start and Download answer
//    DIERR_INCOMPLETEEFFECT before the axes and the magnitude are known.
//  - GetParameters fills what its flags name from the effect's parameters;
//    a caller's array or block that is too small gets the needed count or
//    size and DIERR_MOREDATA.
//
// Effect records are guarded by DeviceRecordsMutex().
#include <algorithm>
#include <memory>
#include <vector>

#include "directinput_internal.h"
#include "simwin/control_directinput.h"
#include "simwin/kernel.h"

namespace simwin::detail {

struct EffectRecord {
    DirectInputEffectInfo info;
    std::shared_ptr<DeviceRecord> device;
    CapturedEffect current;  // the parameters set so far
    bool playing = false;
};

namespace {

constexpr DWORD kMaxAxes = 2;
constexpr DWORD kControlFlags = DIEP_START | DIEP_NORESTART | DIEP_NODOWNLOAD;

// Never destroyed, as the device records.
auto* g_effects = new std::vector<std::shared_ptr<EffectRecord>>;

struct Effect {
    IDirectInputEffect iface;
    LONG refs;
    IDirectInputDevice2A* device;  // holds a reference
    std::shared_ptr<EffectRecord> record;
};

Effect* FromInterface(IDirectInputEffect* iface) {
    return reinterpret_cast<Effect*>(iface);
}

// Reads what `flags` name from the caller's record into `out`, reading
// nothing beyond what dwSize and the flags promise.
HRESULT Capture(LPCDIEFFECT given, DWORD flags, CapturedEffect* out) {
    if (given == nullptr ||
        (given->dwSize != sizeof(DIEFFECT_DX5) && given->dwSize != sizeof(DIEFFECT))) {
        return DIERR_INVALIDPARAM;
    }
    const bool current = given->dwSize == sizeof(DIEFFECT);
    if ((flags & ~(DIEP_ALLPARAMS | kControlFlags)) != 0 ||
        (!current && (flags & DIEP_STARTDELAY) != 0)) {
        return DIERR_INVALIDPARAM;
    }
    DIEFFECT record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(&record, given, given->dwSize);

    CapturedEffect captured{};
    captured.size = record.dwSize;
    captured.flags = record.dwFlags;
    captured.duration = record.dwDuration;
    captured.samplePeriod = record.dwSamplePeriod;
    captured.gain = record.dwGain;
    captured.triggerButton = record.dwTriggerButton;
    captured.triggerRepeatInterval = record.dwTriggerRepeatInterval;
    captured.axisCount = record.cAxes;
    captured.startDelay = record.dwStartDelay;
    if ((flags & (DIEP_AXES | DIEP_DIRECTION)) != 0 &&
        (record.cAxes == 0 || record.cAxes > kMaxAxes)) {
        return DIERR_INVALIDPARAM;
    }
    if ((flags & DIEP_AXES) != 0) {
        if (record.rgdwAxes == nullptr) {
            return DIERR_INVALIDPARAM;
        }
        captured.axes.assign(record.rgdwAxes, record.rgdwAxes + record.cAxes);
    }
    if ((flags & DIEP_DIRECTION) != 0) {
        if (record.rglDirection == nullptr) {
            return DIERR_INVALIDPARAM;
        }
        captured.directions.assign(record.rglDirection, record.rglDirection + record.cAxes);
    }
    if ((flags & DIEP_ENVELOPE) != 0 && record.lpEnvelope != nullptr) {
        if (record.lpEnvelope->dwSize != sizeof(DIENVELOPE)) {
            return DIERR_INVALIDPARAM;
        }
        captured.hasEnvelope = true;
        captured.envelope = *record.lpEnvelope;
    }
    if ((flags & DIEP_TYPESPECIFICPARAMS) != 0) {
        if (record.cbTypeSpecificParams != sizeof(DICONSTANTFORCE) ||
            record.lpvTypeSpecificParams == nullptr) {
            return DIERR_INVALIDPARAM;
        }
        const auto* bytes = static_cast<const BYTE*>(record.lpvTypeSpecificParams);
        captured.typeSpecific.assign(bytes, bytes + record.cbTypeSpecificParams);
    }
    *out = std::move(captured);
    return DI_OK;
}

// Takes what `flags` name from `update` into the effect's parameters.
void MergeLocked(EffectRecord& effect, const CapturedEffect& update, DWORD flags) {
    CapturedEffect& current = effect.current;
    current.size = update.size;
    if ((flags & DIEP_DURATION) != 0) {
        current.duration = update.duration;
    }
    if ((flags & DIEP_SAMPLEPERIOD) != 0) {
        current.samplePeriod = update.samplePeriod;
    }
    if ((flags & DIEP_GAIN) != 0) {
        current.gain = update.gain;
    }
    if ((flags & DIEP_TRIGGERBUTTON) != 0) {
        current.triggerButton = update.triggerButton;
    }
    if ((flags & DIEP_TRIGGERREPEATINTERVAL) != 0) {
        current.triggerRepeatInterval = update.triggerRepeatInterval;
    }
    if ((flags & DIEP_AXES) != 0) {
        current.axisCount = update.axisCount;
        current.axes = update.axes;
        current.flags = (current.flags & ~DWORD{DIEFF_OBJECTIDS | DIEFF_OBJECTOFFSETS}) |
                        (update.flags & (DIEFF_OBJECTIDS | DIEFF_OBJECTOFFSETS));
    }
    if ((flags & DIEP_DIRECTION) != 0) {
        current.axisCount = update.axisCount;
        current.directions = update.directions;
        const DWORD coordinates = DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL;
        current.flags = (current.flags & ~coordinates) | (update.flags & coordinates);
    }
    if ((flags & DIEP_ENVELOPE) != 0) {
        current.hasEnvelope = update.hasEnvelope;
        current.envelope = update.envelope;
    }
    if ((flags & DIEP_TYPESPECIFICPARAMS) != 0) {
        current.typeSpecific = update.typeSpecific;
    }
    if ((flags & DIEP_STARTDELAY) != 0) {
        current.startDelay = update.startDelay;
    }
}

bool IsCompleteLocked(const EffectRecord& effect) {
    return !effect.current.axes.empty() && !effect.current.typeSpecific.empty();
}

void RecordLocked(EffectRecord& effect, EffectCallKind kind, HRESULT result, DWORD flags = 0,
                  DWORD iterations = 0) {
    EffectCall call{};
    call.kind = kind;
    call.flags = flags;
    call.iterations = iterations;
    call.result = result;
    effect.info.calls.push_back(std::move(call));
}

ULONG STDMETHODCALLTYPE EffectAddRef(IDirectInputEffect* This) {
    return AddReference(&FromInterface(This)->refs);
}

ULONG STDMETHODCALLTYPE EffectRelease(IDirectInputEffect* This) {
    Effect* self = FromInterface(This);
    bool last = false;
    const ULONG refs = DropReference(&self->refs, &last);
    if (refs == 0 && !last) {
        return 0;  // a release error, already counted
    }
    {
        std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
        EffectRecord& effect = *self->record;
        RecordLocked(effect, EffectCallKind::Release, static_cast<HRESULT>(refs));
        if (last) {
            effect.info.released = true;
            effect.playing = false;
        }
    }
    if (last) {
        IDirectInputDevice2A* device = self->device;
        self->device = nullptr;
        RetireObject(self);
        IDirectInputDevice2_Release(device);
    }
    return refs;
}

HRESULT STDMETHODCALLTYPE EffectQueryInterface(IDirectInputEffect* This, REFIID riid,
                                               void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (IsRetired(&FromInterface(This)->refs)) {
        return E_FAIL;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirectInputEffect)) {
        EffectAddRef(This);
        *ppvObject = This;
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE EffectGetEffectGuid(IDirectInputEffect* This, LPGUID pguid) {
    Effect* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    if (pguid == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    *pguid = self->record->info.type;
    return DI_OK;
}

// GetParameters' filling, under the lock; the result of the call.
HRESULT FillLocked(const EffectRecord& effect, LPDIEFFECT out, DWORD flags) {
    const CapturedEffect& current = effect.current;
    HRESULT result = DI_OK;
    if ((flags & DIEP_DURATION) != 0) {
        out->dwDuration = current.duration;
    }
    if ((flags & DIEP_SAMPLEPERIOD) != 0) {
        out->dwSamplePeriod = current.samplePeriod;
    }
    if ((flags & DIEP_GAIN) != 0) {
        out->dwGain = current.gain;
    }
    if ((flags & DIEP_TRIGGERBUTTON) != 0) {
        out->dwTriggerButton = current.triggerButton;
    }
    if ((flags & DIEP_TRIGGERREPEATINTERVAL) != 0) {
        out->dwTriggerRepeatInterval = current.triggerRepeatInterval;
    }
    if ((flags & (DIEP_AXES | DIEP_DIRECTION)) != 0) {
        const DWORD room = out->cAxes;
        out->cAxes = current.axisCount;
        if (room < current.axisCount) {
            result = DIERR_MOREDATA;
        } else {
            if ((flags & DIEP_AXES) != 0 && out->rgdwAxes != nullptr) {
                std::copy(current.axes.begin(), current.axes.end(), out->rgdwAxes);
            }
            if ((flags & DIEP_DIRECTION) != 0 && out->rglDirection != nullptr) {
                std::copy(current.directions.begin(), current.directions.end(), out->rglDirection);
                const DWORD coordinates = DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL;
                out->dwFlags = (out->dwFlags & ~coordinates) | (current.flags & coordinates);
            }
        }
    }
    if ((flags & DIEP_ENVELOPE) != 0) {
        if (!current.hasEnvelope) {
            out->lpEnvelope = nullptr;
        } else if (out->lpEnvelope != nullptr) {
            *out->lpEnvelope = current.envelope;
        }
    }
    if ((flags & DIEP_TYPESPECIFICPARAMS) != 0) {
        const auto needed = static_cast<DWORD>(current.typeSpecific.size());
        const DWORD room = out->cbTypeSpecificParams;
        out->cbTypeSpecificParams = needed;
        if (room < needed) {
            result = DIERR_MOREDATA;
        } else if (out->lpvTypeSpecificParams != nullptr && needed != 0) {
            std::memcpy(out->lpvTypeSpecificParams, current.typeSpecific.data(), needed);
        }
    }
    if ((flags & DIEP_STARTDELAY) != 0) {
        out->dwStartDelay = current.startDelay;
    }
    return result;
}

HRESULT STDMETHODCALLTYPE EffectGetParameters(IDirectInputEffect* This, LPDIEFFECT peff,
                                              DWORD dwFlags) {
    Effect* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    EffectRecord& effect = *self->record;
    HRESULT result;
    if (peff == nullptr ||
        (peff->dwSize != sizeof(DIEFFECT_DX5) && peff->dwSize != sizeof(DIEFFECT)) ||
        (dwFlags & ~DIEP_ALLPARAMS) != 0 ||
        (peff->dwSize == sizeof(DIEFFECT_DX5) && (dwFlags & DIEP_STARTDELAY) != 0)) {
        result = DIERR_INVALIDPARAM;
    } else {
        result = FillLocked(effect, peff, dwFlags);
    }
    RecordLocked(effect, EffectCallKind::GetParameters, result, dwFlags);
    return result;
}

HRESULT STDMETHODCALLTYPE EffectSetParameters(IDirectInputEffect* This, LPCDIEFFECT peff,
                                              DWORD dwFlags) {
    Effect* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    if (const HRESULT injected = InjectedFailure("IDirectInputEffect_SetParameters");
        injected != S_OK) {
        return injected;
    }
    CapturedEffect captured{};
    HRESULT result = Capture(peff, dwFlags, &captured);
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    EffectRecord& effect = *self->record;
    if (SUCCEEDED(result)) {
        MergeLocked(effect, captured, dwFlags);
        if ((dwFlags & DIEP_NODOWNLOAD) != 0 || !IsAcquiredExclusivelyLocked(*effect.device)) {
            result = DI_DOWNLOADSKIPPED;
        } else if ((dwFlags & DIEP_START) != 0) {
            effect.playing = true;
        }
    }
    EffectCall call{};
    call.kind = EffectCallKind::SetParameters;
    call.flags = dwFlags;
    call.hasParameters = SUCCEEDED(result);
    call.parameters = std::move(captured);
    call.result = result;
    effect.info.calls.push_back(std::move(call));
    return result;
}

// Start, Stop, Download and Unload: the device must be exclusively acquired.
HRESULT PlayCall(IDirectInputEffect* This, EffectCallKind kind, DWORD iterations = 0,
                 DWORD flags = 0) {
    Effect* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    if (kind == EffectCallKind::Start) {
        if (const HRESULT injected = InjectedFailure("IDirectInputEffect_Start");
            injected != S_OK) {
            return injected;
        }
    }
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    EffectRecord& effect = *self->record;
    HRESULT result = DI_OK;
    const bool needsParameters = kind == EffectCallKind::Start || kind == EffectCallKind::Download;
    if (!IsAcquiredExclusivelyLocked(*effect.device)) {
        result = DIERR_NOTEXCLUSIVEACQUIRED;
    } else if (needsParameters && !IsCompleteLocked(effect)) {
        result = DIERR_INCOMPLETEEFFECT;
    } else if (kind == EffectCallKind::Start) {
        effect.playing = true;
    } else if (kind == EffectCallKind::Stop || kind == EffectCallKind::Unload) {
        effect.playing = false;
    }
    RecordLocked(effect, kind, result, flags, iterations);
    return result;
}

HRESULT STDMETHODCALLTYPE EffectStart(IDirectInputEffect* This, DWORD dwIterations, DWORD dwFlags) {
    return PlayCall(This, EffectCallKind::Start, dwIterations, dwFlags);
}
HRESULT STDMETHODCALLTYPE EffectStop(IDirectInputEffect* This) {
    return PlayCall(This, EffectCallKind::Stop);
}
HRESULT STDMETHODCALLTYPE EffectDownload(IDirectInputEffect* This) {
    return PlayCall(This, EffectCallKind::Download);
}
HRESULT STDMETHODCALLTYPE EffectUnload(IDirectInputEffect* This) {
    return PlayCall(This, EffectCallKind::Unload);
}

HRESULT STDMETHODCALLTYPE EffectGetEffectStatus(IDirectInputEffect* This, LPDWORD pdwFlags) {
    Effect* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    if (pdwFlags == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    const EffectRecord& effect = *self->record;
    // Unacquiring the device stops its effects.
    *pdwFlags = effect.playing && IsAcquiredExclusivelyLocked(*effect.device) ? DIEGES_PLAYING : 0;
    return DI_OK;
}

// Effects are born initialised here, and the joystick knows no escapes.
HRESULT STDMETHODCALLTYPE EffectInitialize(IDirectInputEffect*, HINSTANCE, DWORD, REFGUID) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE EffectEscape(IDirectInputEffect*, LPDIEFFESCAPE) {
    return E_NOTIMPL;
}

IDirectInputEffectVtbl g_effect_vtbl = {
    EffectQueryInterface, EffectAddRef,          EffectRelease,       EffectInitialize,
    EffectGetEffectGuid,  EffectGetParameters,   EffectSetParameters, EffectStart,
    EffectStop,           EffectGetEffectStatus, EffectDownload,      EffectUnload,
    EffectEscape,
};

}  // namespace

HRESULT NewEffect(IDirectInputDevice2A* device, std::shared_ptr<DeviceRecord> record, REFGUID type,
                  LPCDIEFFECT parameters, LPDIRECTINPUTEFFECT* effect) {
    if (!IsEqualGUID(type, GUID_ConstantForce)) {
        return DIERR_DEVICENOTREG;
    }
    CapturedEffect captured{};
    DWORD flags = 0;
    if (parameters != nullptr) {
        flags = parameters->dwSize == sizeof(DIEFFECT) ? DIEP_ALLPARAMS : DIEP_ALLPARAMS_DX5;
        const HRESULT result = Capture(parameters, flags, &captured);
        if (FAILED(result)) {
            return result;
        }
    }
    auto effectRecord = std::make_shared<EffectRecord>();
    effectRecord->device = std::move(record);
    effectRecord->info.type = type;
    EffectCall create{};
    create.kind = EffectCallKind::Create;
    create.flags = flags;
    create.hasParameters = parameters != nullptr;
    create.parameters = captured;
    create.result = DI_OK;
    effectRecord->info.calls.push_back(std::move(create));
    {
        std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
        effectRecord->info.device = effectRecord->device->index;
        if (parameters != nullptr) {
            MergeLocked(*effectRecord, captured, flags);
        }
        g_effects->push_back(effectRecord);
    }
    IDirectInputDevice2_AddRef(device);
    NoteObjectCreated();
    *effect = &(new Effect{{&g_effect_vtbl}, 1, device, std::move(effectRecord)})->iface;
    return DI_OK;
}

void ResetDirectInputEffects() {
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    g_effects->clear();
}

}  // namespace simwin::detail

namespace simwin {

std::vector<DirectInputEffectInfo> DirectInputEffects() {
    std::lock_guard<std::mutex> lock(detail::DeviceRecordsMutex());
    std::vector<DirectInputEffectInfo> effects;
    for (const auto& record : *detail::g_effects) {
        effects.push_back(record->info);
    }
    return effects;
}

}  // namespace simwin

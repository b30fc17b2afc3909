#include "tools/standin_controller/dinput/effect_parameters.h"

#include <cstring>

#include "tools/standin_controller/dinput/effect_coordinates.h"

namespace standin_dinput {

namespace {

constexpr DWORD kCoordinateFlags = DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL;
constexpr DWORD kObjectFlags = DIEFF_OBJECTIDS | DIEFF_OBJECTOFFSETS;
constexpr DWORD kActionFlags = DIEP_START | DIEP_NORESTART | DIEP_NODOWNLOAD;
constexpr DWORD kMaxGain = 10000;

bool IsOneOf(DWORD value, DWORD mask) {
    const DWORD bits = value & mask;
    return bits != 0 && (bits & (bits - 1)) == 0;
}

template <typename T>
bool Readable(const T* block, size_t count) {
    return block != nullptr && !IsBadReadPtr(block, count * sizeof(T));
}

bool ValidRecordSize(DWORD size) {
    return size == sizeof(DIEFFECT_DX5) || size == sizeof(DIEFFECT);
}

DWORD AllowedFlags(DWORD recordSize) {
    return recordSize == sizeof(DIEFFECT) ? DIEP_ALLPARAMS : DIEP_ALLPARAMS_DX5;
}

// The object a program names by identifier or by offset, as the record's
// flags say.
const JoystickObject* NamedObject(DWORD recordFlags, DWORD name) {
    return (recordFlags & DIEFF_OBJECTIDS) ? ObjectByIdentifier(name) : ObjectByOffset(name);
}

DWORD ObjectName(DWORD recordFlags, const JoystickObject& object) {
    return (recordFlags & DIEFF_OBJECTIDS) ? ObjectIdentifier(object) : object.offset;
}

// The size the effect's type takes for its type-specific block; 0 when any
// size up to the room kept will do.
bool TypeSpecificSizeFits(DWORD effectType, DWORD size, DWORD axisCount) {
    switch (DIEFT_GETTYPE(effectType)) {
        case DIEFT_CONSTANTFORCE:
            return size == sizeof(DICONSTANTFORCE);
        case DIEFT_RAMPFORCE:
            return size == sizeof(DIRAMPFORCE);
        case DIEFT_PERIODIC:
            return size == sizeof(DIPERIODIC);
        case DIEFT_CONDITION:
            return size == sizeof(DICONDITION) ||
                   (axisCount != 0 && size == axisCount * sizeof(DICONDITION));
        case DIEFT_CUSTOMFORCE:
            return size == sizeof(DICUSTOMFORCE);
        default:
            return size <= kMaxTypeSpecificSize;
    }
}

HRESULT CheckRecord(const EffectParameters& kept, DWORD effectType, const DIEFFECT& record,
                    DWORD flags) {
    if ((flags & DIEP_GAIN) && record.dwGain > kMaxGain) {
        return DIERR_INVALIDPARAM;
    }
    if ((flags & DIEP_TRIGGERBUTTON) && record.dwTriggerButton != DIEB_NOTRIGGER) {
        const JoystickObject* button = IsOneOf(record.dwFlags, kObjectFlags)
                                           ? NamedObject(record.dwFlags, record.dwTriggerButton)
                                           : nullptr;
        if (button == nullptr || button->kind != ObjectKind::Button) {
            return DIERR_INVALIDPARAM;
        }
    }
    DWORD axisCount = kept.axisCount;
    if (flags & DIEP_AXES) {
        if (record.cAxes == 0 || record.cAxes > kActuatorCount ||
            !IsOneOf(record.dwFlags, kObjectFlags) || !Readable(record.rgdwAxes, record.cAxes)) {
            return DIERR_INVALIDPARAM;
        }
        for (DWORD i = 0; i < record.cAxes; ++i) {
            const JoystickObject* axis = NamedObject(record.dwFlags, record.rgdwAxes[i]);
            if (axis == nullptr || !axis->actuator) {
                return DIERR_INVALIDPARAM;
            }
            for (DWORD j = 0; j < i; ++j) {
                if (NamedObject(record.dwFlags, record.rgdwAxes[j]) == axis) {
                    return DIERR_INVALIDPARAM;
                }
            }
        }
        axisCount = record.cAxes;
    }
    if (flags & DIEP_DIRECTION) {
        // A direction belongs to the axes: without new axes it must be for
        // as many as the effect has.
        if (axisCount == 0 || record.cAxes != axisCount ||
            !IsOneOf(record.dwFlags, kCoordinateFlags) ||
            ((record.dwFlags & DIEFF_POLAR) && axisCount != 2) ||
            !Readable(record.rglDirection, axisCount)) {
            return DIERR_INVALIDPARAM;
        }
    }
    if ((flags & DIEP_ENVELOPE) && record.lpEnvelope != nullptr &&
        (!Readable(record.lpEnvelope, 1) || record.lpEnvelope->dwSize != sizeof(DIENVELOPE))) {
        return DIERR_INVALIDPARAM;
    }
    if (flags & DIEP_TYPESPECIFICPARAMS) {
        const DWORD size = record.cbTypeSpecificParams;
        if (!TypeSpecificSizeFits(effectType, size, axisCount) ||
            (size != 0 &&
             !Readable(static_cast<const BYTE*>(record.lpvTypeSpecificParams), size))) {
            return DIERR_INVALIDPARAM;
        }
        if (DIEFT_GETTYPE(effectType) == DIEFT_CUSTOMFORCE) {
            const auto* custom = static_cast<const DICUSTOMFORCE*>(record.lpvTypeSpecificParams);
            if (custom->cChannels == 0 || custom->cSamples > kMaxCustomForceSamples ||
                (custom->cSamples != 0 && !Readable(custom->rglForceData, custom->cSamples))) {
                return DIERR_INVALIDPARAM;
            }
        }
    }
    return DI_OK;
}

}  // namespace

void InitEffectParameters(EffectParameters* parameters) {
    std::memset(parameters, 0, sizeof *parameters);
    parameters->recordSize = sizeof(DIEFFECT);
    parameters->coordinates = DIEFF_CARTESIAN;
    parameters->gain = kMaxGain;
    parameters->triggerButton = DIEB_NOTRIGGER;
}

void ClearEffectParameters(EffectParameters* parameters) {
    if (parameters->customSamples != nullptr) {
        HeapFree(GetProcessHeap(), 0, parameters->customSamples);
    }
    InitEffectParameters(parameters);
}

HRESULT TakeEffectParameters(EffectParameters* kept, DWORD effectType, const DIEFFECT* record,
                             DWORD flags) {
    if (record == nullptr || IsBadReadPtr(record, sizeof(DIEFFECT_DX5)) ||
        !ValidRecordSize(record->dwSize) || IsBadReadPtr(record, record->dwSize) ||
        (flags & ~(AllowedFlags(record->dwSize) | kActionFlags)) != 0) {
        return DIERR_INVALIDPARAM;
    }
    const HRESULT checked = CheckRecord(*kept, effectType, *record, flags);
    if (FAILED(checked)) {
        return checked;
    }
    // The only step that can fail comes first, so that a refusal changes
    // nothing.
    LONG* samples = nullptr;
    const bool custom =
        (flags & DIEP_TYPESPECIFICPARAMS) && DIEFT_GETTYPE(effectType) == DIEFT_CUSTOMFORCE;
    if (custom) {
        const auto* force = static_cast<const DICUSTOMFORCE*>(record->lpvTypeSpecificParams);
        if (force->cSamples != 0) {
            samples =
                static_cast<LONG*>(HeapAlloc(GetProcessHeap(), 0, force->cSamples * sizeof(LONG)));
            if (samples == nullptr) {
                return DIERR_OUTOFMEMORY;
            }
            std::memcpy(samples, force->rglForceData, force->cSamples * sizeof(LONG));
        }
    }

    kept->recordSize = record->dwSize;
    kept->known |= flags & DIEP_ALLPARAMS;
    if (flags & DIEP_DURATION) {
        kept->duration = record->dwDuration;
    }
    if (flags & DIEP_SAMPLEPERIOD) {
        kept->samplePeriod = record->dwSamplePeriod;
    }
    if (flags & DIEP_GAIN) {
        kept->gain = record->dwGain;
    }
    if (flags & DIEP_TRIGGERBUTTON) {
        kept->triggerButton =
            record->dwTriggerButton == DIEB_NOTRIGGER
                ? DIEB_NOTRIGGER
                : ObjectIdentifier(*NamedObject(record->dwFlags, record->dwTriggerButton));
    }
    if (flags & DIEP_TRIGGERREPEATINTERVAL) {
        kept->triggerRepeatInterval = record->dwTriggerRepeatInterval;
    }
    if (flags & DIEP_AXES) {
        kept->axisCount = record->cAxes;
        for (DWORD i = 0; i < record->cAxes; ++i) {
            kept->axes[i] = ObjectIdentifier(*NamedObject(record->dwFlags, record->rgdwAxes[i]));
        }
    }
    if (flags & DIEP_DIRECTION) {
        kept->coordinates = record->dwFlags & kCoordinateFlags;
        for (DWORD i = 0; i < kept->axisCount; ++i) {
            kept->directions[i] = record->rglDirection[i];
        }
    }
    if (flags & DIEP_ENVELOPE) {
        kept->hasEnvelope = record->lpEnvelope != nullptr;
        if (kept->hasEnvelope) {
            kept->envelope = *record->lpEnvelope;
        }
    }
    if (flags & DIEP_TYPESPECIFICPARAMS) {
        kept->typeSpecificSize = record->cbTypeSpecificParams;
        std::memset(kept->typeSpecific, 0, sizeof kept->typeSpecific);
        if (kept->typeSpecificSize != 0) {
            std::memcpy(kept->typeSpecific, record->lpvTypeSpecificParams, kept->typeSpecificSize);
        }
        if (kept->customSamples != nullptr) {
            HeapFree(GetProcessHeap(), 0, kept->customSamples);
            kept->customSamples = nullptr;
        }
        if (custom) {
            kept->customSamples = samples;
            reinterpret_cast<DICUSTOMFORCE*>(kept->typeSpecific)->rglForceData = samples;
        }
    }
    if ((flags & DIEP_STARTDELAY) && record->dwSize == sizeof(DIEFFECT)) {
        kept->startDelay = record->dwStartDelay;
    }
    return DI_OK;
}

HRESULT GiveEffectParameters(const EffectParameters& kept, DIEFFECT* record, DWORD flags) {
    if (record == nullptr || IsBadWritePtr(record, sizeof(DIEFFECT_DX5)) ||
        !ValidRecordSize(record->dwSize) || IsBadWritePtr(record, record->dwSize) ||
        (flags & ~AllowedFlags(record->dwSize)) != 0) {
        return DIERR_INVALIDPARAM;
    }
    if ((flags & (DIEP_AXES | DIEP_TRIGGERBUTTON)) && !IsOneOf(record->dwFlags, kObjectFlags)) {
        return DIERR_INVALIDPARAM;
    }
    HRESULT result = DI_OK;
    if (flags & DIEP_DURATION) {
        record->dwDuration = kept.duration;
    }
    if (flags & DIEP_SAMPLEPERIOD) {
        record->dwSamplePeriod = kept.samplePeriod;
    }
    if (flags & DIEP_GAIN) {
        record->dwGain = kept.gain;
    }
    if (flags & DIEP_TRIGGERBUTTON) {
        const JoystickObject* button =
            kept.triggerButton == DIEB_NOTRIGGER ? nullptr : ObjectByIdentifier(kept.triggerButton);
        record->dwTriggerButton =
            button == nullptr ? DIEB_NOTRIGGER : ObjectName(record->dwFlags, *button);
    }
    if (flags & DIEP_TRIGGERREPEATINTERVAL) {
        record->dwTriggerRepeatInterval = kept.triggerRepeatInterval;
    }
    const bool axesFit = record->cAxes >= kept.axisCount;
    if (flags & (DIEP_AXES | DIEP_DIRECTION)) {
        if (!axesFit) {
            result = DIERR_MOREDATA;
        } else if (flags & DIEP_AXES) {
            if (kept.axisCount != 0 &&
                IsBadWritePtr(record->rgdwAxes, kept.axisCount * sizeof(DWORD))) {
                return DIERR_INVALIDPARAM;
            }
            for (DWORD i = 0; i < kept.axisCount; ++i) {
                record->rgdwAxes[i] =
                    ObjectName(record->dwFlags, *ObjectByIdentifier(kept.axes[i]));
            }
        }
        if (axesFit && (flags & DIEP_DIRECTION)) {
            if (kept.axisCount != 0 &&
                IsBadWritePtr(record->rglDirection, kept.axisCount * sizeof(LONG))) {
                return DIERR_INVALIDPARAM;
            }
            // The direction comes in the system the program asks for, when
            // it names one and the direction converts.
            DWORD wanted = record->dwFlags & kCoordinateFlags;
            if (!IsOneOf(wanted, kCoordinateFlags) ||
                !ConvertDirection(kept.coordinates, kept.directions, wanted, record->rglDirection,
                                  kept.axisCount)) {
                wanted = kept.coordinates;
                ConvertDirection(wanted, kept.directions, wanted, record->rglDirection,
                                 kept.axisCount);
            }
            record->dwFlags = (record->dwFlags & ~kCoordinateFlags) | wanted;
        }
        record->cAxes = kept.axisCount;
    }
    if (flags & DIEP_ENVELOPE) {
        if (!kept.hasEnvelope) {
            record->lpEnvelope = nullptr;
        } else if (record->lpEnvelope != nullptr) {
            if (IsBadWritePtr(record->lpEnvelope, sizeof(DIENVELOPE)) ||
                record->lpEnvelope->dwSize != sizeof(DIENVELOPE)) {
                return DIERR_INVALIDPARAM;
            }
            *record->lpEnvelope = kept.envelope;
        }
    }
    if (flags & DIEP_TYPESPECIFICPARAMS) {
        if (record->cbTypeSpecificParams < kept.typeSpecificSize) {
            result = DIERR_MOREDATA;
        } else if (kept.typeSpecificSize != 0) {
            if (IsBadWritePtr(record->lpvTypeSpecificParams, kept.typeSpecificSize)) {
                return DIERR_INVALIDPARAM;
            }
            std::memcpy(record->lpvTypeSpecificParams, kept.typeSpecific, kept.typeSpecificSize);
        }
        record->cbTypeSpecificParams = kept.typeSpecificSize;
    }
    if (flags & DIEP_STARTDELAY) {
        record->dwStartDelay = kept.startDelay;
    }
    return result;
}

bool IsCompleteEffect(const EffectParameters& kept) {
    const DWORD needed = DIEP_AXES | DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS;
    return (kept.known & needed) == needed;
}

void BuildDriverRecord(const EffectParameters& kept, DWORD driverCoordinates,
                       DriverRecord* record) {
    std::memset(record, 0, sizeof *record);
    DIEFFECT& effect = record->effect;
    effect.dwSize = kept.recordSize;
    // The driver's own systems first, in the order it is most likely to
    // compute in; a direction that converts to none of them goes as it is.
    DWORD coordinates = kept.coordinates;
    if (driverCoordinates != 0 && (driverCoordinates & coordinates) == 0) {
        constexpr DWORD kPreference[] = {DIEFF_CARTESIAN, DIEFF_POLAR, DIEFF_SPHERICAL};
        for (DWORD candidate : kPreference) {
            if ((driverCoordinates & candidate) &&
                ConvertDirection(kept.coordinates, kept.directions, candidate, record->directions,
                                 kept.axisCount)) {
                coordinates = candidate;
                break;
            }
        }
    }
    if (coordinates == kept.coordinates) {
        ConvertDirection(coordinates, kept.directions, coordinates, record->directions,
                         kept.axisCount);
    }
    // The driver is told the coordinate system alone: its axes always come
    // as object identifiers.
    effect.dwFlags = coordinates;
    effect.dwDuration = kept.duration;
    effect.dwSamplePeriod = kept.samplePeriod;
    effect.dwGain = kept.gain;
    effect.dwTriggerButton = kept.triggerButton;
    effect.dwTriggerRepeatInterval = kept.triggerRepeatInterval;
    effect.cAxes = kept.axisCount;
    for (DWORD i = 0; i < kept.axisCount; ++i) {
        record->axes[i] = kept.axes[i];
    }
    effect.rgdwAxes = kept.axisCount != 0 ? record->axes : nullptr;
    effect.rglDirection = kept.axisCount != 0 ? record->directions : nullptr;
    effect.lpEnvelope = kept.hasEnvelope ? const_cast<DIENVELOPE*>(&kept.envelope) : nullptr;
    effect.cbTypeSpecificParams = kept.typeSpecificSize;
    effect.lpvTypeSpecificParams =
        kept.typeSpecificSize != 0 ? const_cast<BYTE*>(kept.typeSpecific) : nullptr;
    if (kept.recordSize == sizeof(DIEFFECT)) {
        effect.dwStartDelay = kept.startDelay;
    }
}

}  // namespace standin_dinput

// The parameters of one effect as DirectInput keeps them between the
// program's calls: validated when given, copied into memory the effect
// owns (the program's records may be gone by the next call), and handed to
// the effect driver in the record the driver expects.
//
// A record is taken in either size a program may use: the DirectX 5 record
// (without the start delay) or the full one. The driver receives a record
// of the size last given, its axes as object identifiers, its direction in
// a coordinate system the driver registered, and the effect's own copies of
// envelope and type-specific block.
#pragma once

#include <windows.h>
#include <dinput.h>

#include "tools/standin_controller/dinput/joystick_objects.h"

namespace standin_dinput {

// Room for the largest type-specific block: a condition per actuator.
constexpr DWORD kMaxTypeSpecificSize = kActuatorCount * sizeof(DICONDITION);
// The most samples a custom force may carry.
constexpr DWORD kMaxCustomForceSamples = 65536;

struct EffectParameters {
    DWORD known;        // the DIEP_* parameters given so far
    DWORD recordSize;   // of the last record given
    DWORD coordinates;  // DIEFF_CARTESIAN, DIEFF_POLAR or DIEFF_SPHERICAL
    DWORD duration;
    DWORD samplePeriod;
    DWORD gain;
    DWORD triggerButton;  // object identifier, or DIEB_NOTRIGGER
    DWORD triggerRepeatInterval;
    DWORD startDelay;
    DWORD axisCount;
    DWORD axes[kActuatorCount];  // object identifiers
    LONG directions[kActuatorCount];
    bool hasEnvelope;
    DIENVELOPE envelope;
    DWORD typeSpecificSize;
    alignas(8) BYTE typeSpecific[kMaxTypeSpecificSize];
    LONG* customSamples;  // owned; what a custom force's block points to
};

void InitEffectParameters(EffectParameters* parameters);
void ClearEffectParameters(EffectParameters* parameters);

// Checks the record against what `flags` name and the effect's type (the
// DIEFT_* type of its registration), then keeps those parameters. Nothing
// changes when it is refused.
HRESULT TakeEffectParameters(EffectParameters* kept, DWORD effectType, const DIEFFECT* record,
                             DWORD flags);
// Fills the program's record with the parameters `flags` name; DIERR_MOREDATA
// (with the sizes needed filled in) when its blocks are too small.
HRESULT GiveEffectParameters(const EffectParameters& kept, DIEFFECT* record, DWORD flags);

// Enough is known to download the effect: axes, direction and its
// type-specific block.
bool IsCompleteEffect(const EffectParameters& kept);

// The record an effect driver receives. It points into itself and into the
// kept parameters: build it where it is used, and use it while both live.
struct DriverRecord {
    DIEFFECT effect;
    LONG directions[kActuatorCount];
    DWORD axes[kActuatorCount];
};
void BuildDriverRecord(const EffectParameters& kept, DWORD driverCoordinates, DriverRecord* record);

}  // namespace standin_dinput

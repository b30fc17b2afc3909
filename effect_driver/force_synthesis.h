// Force synthesis: for one effect slot at its current elapsed time, the
// force on each of the effect's axes on the motor scale (127 = full
// strength). It reads only the slot's stored parameters and the device's
// gain and amplify, keeps no state, and waits for nothing: it runs on the
// timer thread while the PlaybackLock is held.
//
// Every playable effect is first reduced to one scalar force
// (EffectMagnitude, shaped by ApplyEnvelope), which its direction then
// shares out over the axes (DistributeByDirection).
#pragma once

#include "effect_driver/device_entry.h"

// The most axes an effect may have and still be evaluated. Only one- and
// two-axis effects reach the motors; more axes than this play silently.
inline constexpr DWORD kMaxEffectAxes = 32;

struct AxisForces {
    DWORD count;
    LONG forces[kMaxEffectAxes];
};

// Fills `result` with one force per axis of the effect in slot `position`.
// E_INVALIDARG for a missing record or entry, a position of 32 or more, an
// entry not bound, a free slot, more than kMaxEffectAxes axes, or a
// direction that cannot be shared out.
HRESULT ComputeAxisForces(AxisForces* result, const DeviceEntry* entry, DWORD position);

// The effect's scalar force at the slot's elapsed time; 0 for types without
// a waveform and for parameters that describe none.
double EffectMagnitude(const DeviceEntry* entry, DWORD position);

// `value` shaped by the effect's envelope at time `t` (microseconds).
double ApplyEnvelope(const EffectSlot& slot, double t, double value);

// Shares the scalar force `x` over `count` axes by the coordinate system that
// `flags` names: exactly DIEFF_CARTESIAN or exactly DIEFF_POLAR.
HRESULT DistributeByDirection(DWORD count, const LONG* directions, double* shares, double x,
                              DWORD flags);
HRESULT DistributeCartesian(DWORD count, const LONG* directions, double* shares, double x);
HRESULT DistributePolar(DWORD count, const LONG* directions, double* shares, double x);

// Truncates toward zero; values beyond the range (and NaN) saturate rather
// than being undefined.
LONG TruncateToLong(double value);
DWORD TruncateToDword(double value);

#include "effect_driver/force_synthesis.h"

#include <cmath>
#include <cstring>

#include "profiles/selected_model.h"

namespace {

// The constants the waveforms have always used (not exactly 2π and π).
constexpr double kTwoPi = 6.28318;
constexpr double kPi = 3.14159;
constexpr double kFullScale = 127.0;
constexpr double kNominalMax = 10000.0;
constexpr double kWeakSineLimit = 50.0;

enum EffectType : DWORD {
    kConstantForce = 0,
    kRampForce = 1,
    kSquare = 2,
    kSine = 3,
    kTriangle = 4,
    kSawtoothUp = 5,
    kSawtoothDown = 6,
};

// The slot's elapsed time in microseconds: an unsigned 32-bit product that
// wraps after about 71.6 minutes.
DWORD ElapsedMicroseconds(const EffectSlot& slot) {
    return slot.elapsedTime.load() * 1000u;
}

// The type-specific block as a record of type T, or none when the block is
// missing or shorter than the record.
template <typename T>
bool TypeSpecific(const EffectParameters& p, T* out) {
    if (p.lpvTypeSpecificParams == nullptr || p.cbTypeSpecificParams < sizeof(T)) {
        return false;
    }
    std::memcpy(out, p.lpvTypeSpecificParams, sizeof(T));
    return true;
}

// S: amplify / 1000 × 127 × device gain / 10000 × effect gain / 10000.
double StrengthFactor(const DeviceEntry& entry, const EffectParameters& p) {
    return static_cast<double>(entry.amplify.load()) / 1000.0 * kFullScale *
           static_cast<double>(entry.gain.load()) / kNominalMax * static_cast<double>(p.dwGain) /
           kNominalMax;
}

double PeriodicMagnitude(const EffectSlot& slot, double s, double t, DWORD type) {
    const EffectParameters& p = slot.parameters;
    DIPERIODIC periodic;
    if (!TypeSpecific(p, &periodic) || periodic.dwPeriod == 0) {
        return 0.0;
    }
    const DWORD period = periodic.dwPeriod;
    const double offset = periodic.lOffset / kNominalMax * kFullScale;
    if (type == kSine) {
        // The sine runs on the elapsed time itself, not on the position.
        double angle = kTwoPi * t / period + periodic.dwPhase / 18000.0 * kPi;
        double v = std::fabs(periodic.dwMagnitude / kNominalMax * std::sin(angle));
        // The envelope's levels are on the nominal 0..10000 scale, the sine's
        // value is a fraction: shape it on the nominal scale, so that attack
        // and fade levels mean the same as for every other waveform.
        double x = std::fabs(offset + s * ApplyEnvelope(slot, t, v * kNominalMax) / kNominalMax);
        if (kModelProfile.liftsWeakSineForces && x > 0.0 && x < kWeakSineLimit) {
            x += kWeakSineLimit;
        }
        return x;
    }
    const DWORD phaseShift = static_cast<DWORD>(
        TruncateToLong(static_cast<double>(periodic.dwPhase) / 36000.0 * period));
    const DWORD position = (ElapsedMicroseconds(slot) + phaseShift) % period;
    const DWORD half = period / 2;
    const double halfPeriod = period / 2.0;

    switch (type) {
        case kSquare: {
            double v = position > half ? 0.0 : kNominalMax;
            return std::fabs(offset + s * ApplyEnvelope(slot, t, v) / kNominalMax);
        }
        case kTriangle: {
            double v = position <= half
                           ? position / halfPeriod * kNominalMax
                           : kNominalMax - (position - halfPeriod) / halfPeriod * kNominalMax;
            return std::fabs(offset + s * ApplyEnvelope(slot, t, v) / kNominalMax);
        }
        case kSawtoothUp: {
            double v = position * kNominalMax / period;
            return std::fabs(offset + s * ApplyEnvelope(slot, t, v) / kNominalMax);
        }
        case kSawtoothDown: {
            double v = kNominalMax - position * kNominalMax / period;
            return std::fabs(offset + s * ApplyEnvelope(slot, t, v) / kNominalMax);
        }
        default:
            return 0.0;
    }
}

}  // namespace

LONG TruncateToLong(double value) {
    if (!(value > -2147483649.0)) {
        return value < 0 ? INT32_MIN : 0;  // below the range, or NaN
    }
    if (value >= 2147483648.0) {
        return INT32_MAX;
    }
    return static_cast<LONG>(value);
}

DWORD TruncateToDword(double value) {
    if (!(value > -1.0)) {
        return 0;
    }
    if (value >= 4294967296.0) {
        return UINT32_MAX;
    }
    return static_cast<DWORD>(value);
}

double ApplyEnvelope(const EffectSlot& slot, double t, double value) {
    const DIENVELOPE* envelope = slot.parameters.lpEnvelope;
    if (envelope == nullptr) {
        return value;
    }
    const double attackLevel = envelope->dwAttackLevel;
    const double attackTime = envelope->dwAttackTime;
    const double fadeLevel = envelope->dwFadeLevel;
    const double fadeTime = envelope->dwFadeTime;
    const DWORD duration = slot.parameters.dwDuration;
    if (attackTime > 0 && t <= attackTime) {
        return attackLevel - (attackLevel - value) * t / attackTime;
    }
    if (duration == INFINITE) {
        return value;
    }
    const double fadeStart = static_cast<double>(duration) - fadeTime;
    if (t < fadeStart || fadeTime <= 0) {
        return value;
    }
    return value - (value - fadeLevel) * (t - fadeStart) / fadeTime;
}

double EffectMagnitude(const DeviceEntry* entry, DWORD position) {
    if (entry == nullptr || position >= kEffectSlotCount || entry->bound.load() == 0 ||
        entry->slots[position].inUse == 0) {
        return 0.0;
    }
    const EffectSlot& slot = entry->slots[position];
    const EffectParameters& p = slot.parameters;
    const double s = StrengthFactor(*entry, p);
    const double t = static_cast<double>(ElapsedMicroseconds(slot));
    switch (slot.typeIndex) {
        case kConstantForce: {
            DICONSTANTFORCE constant;
            if (!TypeSpecific(p, &constant)) {
                return 0.0;
            }
            return s * ApplyEnvelope(slot, t, constant.lMagnitude) / kNominalMax;
        }
        case kRampForce: {
            DIRAMPFORCE ramp;
            if (!TypeSpecific(p, &ramp)) {
                return 0.0;
            }
            double m = ramp.lStart;
            // A zero duration has no course to run along: it stays at its start.
            if (p.dwDuration != INFINITE && p.dwDuration != 0) {
                m = ramp.lStart + (static_cast<double>(ramp.lEnd) - ramp.lStart) * t / p.dwDuration;
            }
            return s * ApplyEnvelope(slot, t, m) / kNominalMax;
        }
        case kSquare:
        case kSine:
        case kTriangle:
        case kSawtoothUp:
        case kSawtoothDown:
            return PeriodicMagnitude(slot, s, t, slot.typeIndex);
        default:
            // Conditions and custom forces are kept but give no force.
            return 0.0;
    }
}

HRESULT DistributeCartesian(DWORD count, const LONG* directions, double* shares, double x) {
    if (directions == nullptr || shares == nullptr) {
        return E_INVALIDARG;
    }
    // The sum of squares in 32-bit arithmetic, wrapping as it always has.
    DWORD q = 0;
    for (DWORD i = 0; i < count; ++i) {
        DWORD d = static_cast<DWORD>(directions[i]);
        q += d * d;
    }
    if (q == 0) {
        for (DWORD i = 0; i < count; ++i) {
            shares[i] = x;
        }
        return S_OK;
    }
    const double scale = std::sqrt(std::fabs(x * x / q));
    for (DWORD i = 0; i < count; ++i) {
        shares[i] = TruncateToDword(std::fabs(directions[i] * scale));
    }
    return S_OK;
}

HRESULT DistributePolar(DWORD count, const LONG* directions, double* shares, double x) {
    if (count == 0 || directions == nullptr || shares == nullptr) {
        return E_INVALIDARG;
    }
    // Whole degrees from hundredths, truncated toward zero.
    const double theta = (directions[0] / 100) * kPi / 180.0;
    const double cosine = x * std::cos(theta);
    const double sine = x * std::sin(theta);
    shares[0] = cosine;
    for (DWORD i = 1; i < count; ++i) {
        if (kModelProfile.polarSpread == PolarSpread::AlternatingAxes) {
            shares[i] = i % 2 == 0 ? cosine : sine;
        } else {
            shares[i] = i == 1 ? sine : 0.0;
        }
    }
    return S_OK;
}

HRESULT DistributeByDirection(DWORD count, const LONG* directions, double* shares, double x,
                              DWORD flags) {
    if (directions == nullptr || shares == nullptr) {
        return E_INVALIDARG;
    }
    // DirectInput hands over the coordinate flag alone; anything else is a
    // record the driver cannot interpret.
    switch (flags) {
        case DIEFF_CARTESIAN:
            return DistributeCartesian(count, directions, shares, x);
        case DIEFF_POLAR:
            return DistributePolar(count, directions, shares, x);
        default:
            return E_INVALIDARG;
    }
}

HRESULT ComputeAxisForces(AxisForces* result, const DeviceEntry* entry, DWORD position) {
    if (result == nullptr || entry == nullptr || position >= kEffectSlotCount ||
        entry->bound.load() == 0 || entry->slots[position].inUse == 0) {
        return E_INVALIDARG;
    }
    const EffectParameters& p = entry->slots[position].parameters;
    if (p.cAxes > kMaxEffectAxes) {
        return E_INVALIDARG;
    }
    const double x = EffectMagnitude(entry, position);
    double shares[kMaxEffectAxes];
    HRESULT distributed = DistributeByDirection(p.cAxes, p.rglDirection, shares, x, p.dwFlags);
    if (FAILED(distributed)) {
        return distributed;
    }
    result->count = p.cAxes;
    for (DWORD i = 0; i < p.cAxes; ++i) {
        // An axis identifier names its share by its instance number.
        const DWORD k = (p.rgdwAxes[i] >> 8) & 0xFFFF;
        result->forces[i] = k < p.cAxes ? TruncateToLong(shares[k]) : 0;
    }
    return S_OK;
}

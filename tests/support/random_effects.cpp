#include "support/random_effects.h"

namespace test_support {

void FillRandomEffect(RandomEffectRecord& r, DWORD type, std::mt19937& rng) {
    auto pick = [&rng](DWORD low, DWORD high) {
        return std::uniform_int_distribution<DWORD>(low, high)(rng);
    };
    DIEFFECT& e = r.effect;
    e = {};
    e.dwSize = sizeof e;
    e.cAxes = pick(1, 2);
    // Now and then a coordinate flag the driver cannot interpret.
    const DWORD coordinates = pick(0, 20);
    e.dwFlags = coordinates < 10   ? DIEFF_CARTESIAN
                : coordinates < 20 ? DIEFF_POLAR
                                   : DIEFF_CARTESIAN | DIEFF_OBJECTIDS;
    e.dwDuration = pick(0, 3) == 0 ? INFINITE : pick(20, 400) * 1000;
    e.dwGain = pick(0, 10000);
    for (DWORD i = 0; i < 2; ++i) {
        r.axes[i] = (i << 8) | 2u;
        r.directions[i] = static_cast<LONG>(pick(0, 36000)) - 9000;
    }
    e.rgdwAxes = r.axes;
    e.rglDirection = r.directions;
    r.envelope = {sizeof(DIENVELOPE), pick(0, 10000), pick(0, 300000), pick(0, 10000),
                  pick(0, 300000)};
    e.lpEnvelope = pick(0, 1) == 0 ? &r.envelope : nullptr;
    if (type == kRandomConstantForce) {
        r.constant.lMagnitude = static_cast<LONG>(pick(0, 20000)) - 10000;
        e.cbTypeSpecificParams = sizeof r.constant;
        e.lpvTypeSpecificParams = &r.constant;
    } else if (type == kRandomRampForce) {
        r.ramp = {static_cast<LONG>(pick(0, 20000)) - 10000,
                  static_cast<LONG>(pick(0, 20000)) - 10000};
        e.cbTypeSpecificParams = sizeof r.ramp;
        e.lpvTypeSpecificParams = &r.ramp;
    } else if (type <= kRandomLastPeriodic || pick(0, 1) == 0) {
        r.periodic = {pick(0, 10000), static_cast<LONG>(pick(0, 2000)) - 1000, pick(0, 35999),
                      pick(0, 9) == 0 ? 0 : pick(10000, 500000)};
        e.cbTypeSpecificParams = sizeof r.periodic;
        e.lpvTypeSpecificParams = &r.periodic;
    }
}

DWORD RandomUpdateFlags(std::mt19937& rng) {
    const DWORD optional[] = {DIEP_DURATION,
                              DIEP_GAIN,
                              DIEP_ENVELOPE,
                              DIEP_TYPESPECIFICPARAMS,
                              DIEP_AXES | DIEP_DIRECTION,
                              DIEP_START,
                              DIEP_SAMPLEPERIOD};
    DWORD flags = 0;
    for (DWORD flag : optional) {
        if (rng() % 3 == 0) {
            flags |= flag;
        }
    }
    if (rng() % 25 == 0) {
        flags |= DIEP_NODOWNLOAD;
    }
    return flags;
}

size_t OwnedBlocks(const EffectSlot& slot) {
    const EffectParameters& p = slot.parameters;
    return (p.rgdwAxes != nullptr) + (p.rglDirection != nullptr) + (p.lpEnvelope != nullptr) +
           (p.lpvTypeSpecificParams != nullptr);
}

}  // namespace test_support

#include "support/effect_records.h"

namespace test_support {

DIEFFECT* EffectRecord::get() {
    effect.dwSize = sizeof(DIEFFECT);
    effect.cAxes = static_cast<DWORD>(axes.size());
    effect.rgdwAxes = axes.empty() ? nullptr : axes.data();
    effect.rglDirection = directions.empty() ? nullptr : directions.data();
    if (effect.lpEnvelope != nullptr) {
        effect.lpEnvelope = &envelope;
    }
    return &effect;
}

namespace {

void SetAxes(EffectRecord& r, std::vector<LONG> directions) {
    r.directions = std::move(directions);
    r.axes.clear();
    for (DWORD i = 0; i < r.directions.size(); ++i) {
        r.axes.push_back((i << 8) | 0x2);
    }
}

}  // namespace

void MakeConstantForce(EffectRecord& r, LONG magnitude, std::vector<LONG> directions,
                       DWORD duration) {
    SetAxes(r, std::move(directions));
    r.constant.lMagnitude = magnitude;
    r.effect.dwFlags = DIEFF_CARTESIAN;
    r.effect.dwDuration = duration;
    r.effect.dwGain = 10000;
    r.effect.cbTypeSpecificParams = sizeof r.constant;
    r.effect.lpvTypeSpecificParams = &r.constant;
}

void MakePeriodic(EffectRecord& r, DWORD magnitude, DWORD period, std::vector<LONG> directions,
                  DWORD duration) {
    SetAxes(r, std::move(directions));
    r.periodic = {magnitude, 0, 0, period};
    r.effect.dwFlags = DIEFF_CARTESIAN;
    r.effect.dwDuration = duration;
    r.effect.dwGain = 10000;
    r.effect.cbTypeSpecificParams = sizeof r.periodic;
    r.effect.lpvTypeSpecificParams = &r.periodic;
}

}  // namespace test_support

// The forces an effect puts on its axes, for every waveform and both
// coordinate systems, with the model's differences.
#include "effect_driver/force_synthesis.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include "profiles/selected_model.h"

namespace {

constexpr bool kModelS = kModelProfile.model == DeviceModel::S;

enum Type : DWORD {
    kConstant = 0,
    kRamp = 1,
    kSquare = 2,
    kSine = 3,
    kTriangle = 4,
    kSawUp = 5,
    kSawDown = 6,
    kSpring = 7,
    kCustom = 11,
};

// An effect as the store would hold it, with its blocks owned by the test.
struct Effect {
    DWORD type = kConstant;
    DWORD flags = DIEFF_CARTESIAN;
    std::vector<LONG> directions = {1};
    std::vector<DWORD> axes;  // default: instance i for axis i
    DWORD duration = INFINITE;
    DWORD gain = 10000;
    std::vector<BYTE> params;
    bool hasEnvelope = false;
    DIENVELOPE envelope = {sizeof(DIENVELOPE), 0, 0, 0, 0};
    DWORD elapsedMs = 0;
    DWORD deviceGain = 10000;
    DWORD amplify = 1000;
};

template <typename T>
std::vector<BYTE> Bytes(const T& record) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&record);
    return std::vector<BYTE>(p, p + sizeof record);
}
std::vector<BYTE> Constant(LONG magnitude) {
    return Bytes(DICONSTANTFORCE{magnitude});
}
std::vector<BYTE> Ramp(LONG start, LONG end) {
    return Bytes(DIRAMPFORCE{start, end});
}

// Evaluates the effect in slot 4 of a bound entry.
class Evaluation {
  public:
    explicit Evaluation(Effect e) : effect_(std::move(e)), entry_(std::make_unique<DeviceEntry>()) {
        if (effect_.axes.empty()) {
            for (DWORD i = 0; i < effect_.directions.size(); ++i) {
                effect_.axes.push_back((i << 8) | 0x2);
            }
        }
        entry_->bound = 1;
        entry_->gain = effect_.deviceGain;
        entry_->amplify = effect_.amplify;
        EffectSlot& slot = entry_->slots[kPosition];
        slot.inUse = 1;
        slot.typeIndex = effect_.type;
        slot.elapsedTime = effect_.elapsedMs;
        EffectParameters& p = slot.parameters;
        p.dwFlags = effect_.flags;
        p.dwDuration = effect_.duration;
        p.dwGain = effect_.gain;
        p.cAxes = static_cast<DWORD>(effect_.directions.size());
        p.rgdwAxes = p.cAxes ? effect_.axes.data() : nullptr;
        p.rglDirection = p.cAxes ? effect_.directions.data() : nullptr;
        p.lpEnvelope = effect_.hasEnvelope ? &effect_.envelope : nullptr;
        p.cbTypeSpecificParams = static_cast<DWORD>(effect_.params.size());
        p.lpvTypeSpecificParams = effect_.params.empty() ? nullptr : effect_.params.data();
    }

    HRESULT Compute(std::vector<LONG>* forces) {
        AxisForces result;
        HRESULT hr = ComputeAxisForces(&result, entry_.get(), kPosition);
        if (SUCCEEDED(hr)) {
            forces->assign(result.forces, result.forces + result.count);
        }
        return hr;
    }
    std::vector<LONG> Forces() {
        std::vector<LONG> forces;
        EXPECT_EQ(S_OK, Compute(&forces));
        return forces;
    }
    double Magnitude() { return EffectMagnitude(entry_.get(), kPosition); }

  private:
    static constexpr DWORD kPosition = 4;
    Effect effect_;
    std::unique_ptr<DeviceEntry> entry_;
};

std::vector<LONG> ForcesOf(const Effect& e) {
    return Evaluation(e).Forces();
}

Effect ConstantEffect(LONG magnitude, std::vector<LONG> directions, DWORD flags = DIEFF_CARTESIAN) {
    Effect e;
    e.params = Constant(magnitude);
    e.directions = std::move(directions);
    e.flags = flags;
    return e;
}

Effect PeriodicEffect(DWORD type, DWORD elapsedMs, DIPERIODIC wave) {
    Effect e;
    e.type = type;
    e.elapsedMs = elapsedMs;
    e.params = Bytes(wave);
    return e;
}

TEST(ForceSynthesis, DirectionsShareTheForceOutOverTheAxes) {
    struct Case {
        const char* what;
        Effect effect;
        std::vector<LONG> expected;
    } cases[] = {
        {"one axis", ConstantEffect(10000, {1}), {127}},
        {"negative magnitude: shares are absolute", ConstantEffect(-10000, {1}), {127}},
        {"along the first axis", ConstantEffect(10000, {10000, 0}), {127, 0}},
        {"diagonal: 127 / sqrt 2", ConstantEffect(10000, {10000, 10000}), {89, 89}},
        {"no direction: the force itself, signed", ConstantEffect(-5000, {0, 0}), {-63, -63}},
        {"polar 0", ConstantEffect(10000, {0, 0}, DIEFF_POLAR), {127, 0}},
        {"polar 90 degrees", ConstantEffect(10000, {9000, 0}, DIEFF_POLAR), {0, 126}},
        {"polar 180 degrees keeps the sign",
         ConstantEffect(10000, {18000, 0}, DIEFF_POLAR),
         {-126, 0}},
        {"polar reads whole degrees only", ConstantEffect(10000, {9099, 0}, DIEFF_POLAR), {0, 126}},
        {"polar single axis", ConstantEffect(10000, {0}, DIEFF_POLAR), {127}},
        {"polar, three axes", ConstantEffect(10000, {0, 0, 0}, DIEFF_POLAR),
         kModelS ? std::vector<LONG>{127, 0, 0} : std::vector<LONG>{127, 0, 127}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ForcesOf(c.effect)) << c.what;
    }
}

TEST(ForceSynthesis, AxisIdentifiersPickTheirShareByInstanceNumber) {
    Effect e = ConstantEffect(10000, {10000, 0});
    e.axes = {(1u << 8) | 0x2, (0u << 8) | 0x2};  // the axes listed in reverse
    EXPECT_EQ((std::vector<LONG>{0, 127}), ForcesOf(e));
    e.axes = {(0u << 8) | 0x2, (7u << 8) | 0x2};  // an instance beyond the count
    EXPECT_EQ((std::vector<LONG>{127, 0}), ForcesOf(e));
}

TEST(ForceSynthesis, Waveforms) {
    const DWORD T = 100000;  // 100 ms
    Effect ramp;
    ramp.type = kRamp;
    ramp.duration = 1000000;
    ramp.elapsedMs = 500;
    ramp.params = Ramp(0, 10000);
    Effect rampDown = ramp;
    rampDown.params = Ramp(10000, -10000);
    rampDown.elapsedMs = 750;
    Effect infiniteRamp = ramp;
    infiniteRamp.duration = INFINITE;
    infiniteRamp.params = Ramp(5000, 10000);
    Effect offsetOnly = PeriodicEffect(kSquare, 0, {10000, 5000, 0, T});
    offsetOnly.gain = 0;

    struct Case {
        const char* what;
        Effect effect;
        double magnitude;
    } cases[] = {
        {"ramp halfway", ramp, 63.5},
        {"ramp down past zero", rampDown, -63.5},
        {"ramp without end stays at its start", infiniteRamp, 63.5},
        {"square at the start", PeriodicEffect(kSquare, 0, {10000, 0, 0, T}), 127},
        {"square at half period (first half)", PeriodicEffect(kSquare, 50, {10000, 0, 0, T}), 127},
        {"square past half period", PeriodicEffect(kSquare, 51, {10000, 0, 0, T}), 0},
        {"square shifted half a period", PeriodicEffect(kSquare, 1, {10000, 0, 18000, T}), 0},
        {"square ignores its magnitude", PeriodicEffect(kSquare, 0, {10, 0, 0, T}), 127},
        {"sine at zero", PeriodicEffect(kSine, 0, {10000, 0, 0, T}), 0},
        {"triangle at 0", PeriodicEffect(kTriangle, 0, {10000, 0, 0, T}), 0},
        {"triangle at its top", PeriodicEffect(kTriangle, 50, {10000, 0, 0, T}), 127},
        {"triangle coming down", PeriodicEffect(kTriangle, 75, {10000, 0, 0, T}), 63.5},
        {"sawtooth up halfway", PeriodicEffect(kSawUp, 50, {10000, 0, 0, T}), 63.5},
        {"sawtooth down halfway", PeriodicEffect(kSawDown, 50, {10000, 0, 0, T}), 63.5},
        {"sawtooth down at 0", PeriodicEffect(kSawDown, 0, {10000, 0, 0, T}), 127},
        {"offset is not scaled by the gains", offsetOnly, 63.5},
        {"period 0 plays nothing", PeriodicEffect(kSquare, 10, {10000, 0, 0, 0}), 0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.magnitude, Evaluation(c.effect).Magnitude()) << c.what;
    }
}

TEST(ForceSynthesis, WeakSinesAreLiftedOnlyWhereTheModelDoesIt) {
    // magnitude 1000 at a quarter period: 127 × 0.1 × sin(≈π/2) ≈ 12.7
    double weak = Evaluation(PeriodicEffect(kSine, 25, {1000, 0, 0, 100000})).Magnitude();
    EXPECT_NEAR(kModelS ? 62.7 : 12.7, weak, 0.001);
    // 50 and more stay as they are
    double strong = Evaluation(PeriodicEffect(kSine, 25, {5000, 0, 0, 100000})).Magnitude();
    EXPECT_NEAR(63.5, strong, 0.001);
}

TEST(ForceSynthesis, SineEnvelopeLevelsAreOnTheNominalScale) {
    // magnitude 2000 at a quarter period: 127 × 0.2 = 25.4 while sustained.
    Effect e = PeriodicEffect(kSine, 25, {2000, 0, 0, 100000});
    e.hasEnvelope = true;
    e.duration = 1000000;
    e.envelope = {sizeof(DIENVELOPE), 2000, 50000, 0, 0};
    const double lift = kModelS ? 50.0 : 0.0;
    EXPECT_NEAR(25.4 + lift, Evaluation(e).Magnitude(), 0.001) << "an attack from the same level";
    e.envelope.dwAttackLevel = 0;
    EXPECT_NEAR(12.7 + lift, Evaluation(e).Magnitude(), 0.001) << "halfway up from 0";
    e.elapsedMs = 125;  // a period later, past the attack
    EXPECT_NEAR(25.4 + lift, Evaluation(e).Magnitude(), 0.001) << "sustained";
}

TEST(ForceSynthesis, StrengthScalesByAmplifyDeviceGainAndEffectGain) {
    struct Case {
        DWORD amplify, deviceGain, effectGain;
        double magnitude;
    } cases[] = {
        {1000, 10000, 10000, 127}, {500, 10000, 10000, 63.5},   {1000, 5000, 10000, 63.5},
        {1000, 10000, 5000, 63.5}, {1200, 10000, 10000, 152.4}, {0, 10000, 10000, 0},
    };
    for (const Case& c : cases) {
        Effect e = ConstantEffect(10000, {1});
        e.amplify = c.amplify;
        e.deviceGain = c.deviceGain;
        e.gain = c.effectGain;
        EXPECT_NEAR(c.magnitude, Evaluation(e).Magnitude(), 1e-9);
    }
}

TEST(ForceSynthesis, EnvelopeShapesAttackAndFade) {
    Effect e = ConstantEffect(10000, {1});
    e.hasEnvelope = true;
    e.duration = 2000000;
    e.envelope = {sizeof(DIENVELOPE), 0, 1000000, 0, 500000};
    struct Case {
        DWORD elapsedMs;
        double magnitude;
    } cases[] = {
        {0, 0}, {500, 63.5}, {1000, 127}, {1200, 127}, {1500, 127}, {1750, 63.5}, {2000, 0},
    };
    for (const Case& c : cases) {
        e.elapsedMs = c.elapsedMs;
        EXPECT_NEAR(c.magnitude, Evaluation(e).Magnitude(), 1e-9) << c.elapsedMs << " ms";
    }
    e.duration = INFINITE;  // no fade without an end
    e.elapsedMs = 1999;
    EXPECT_NEAR(127, Evaluation(e).Magnitude(), 1e-9);
}

TEST(ForceSynthesis, EffectsThatGiveNoForce) {
    Effect spring = ConstantEffect(10000, {1});
    spring.type = kSpring;
    Effect custom = ConstantEffect(10000, {1});
    custom.type = kCustom;
    Effect shortBlock = ConstantEffect(10000, {1});
    shortBlock.type = kSquare;  // a 4-byte block is too short for a wave
    Effect noBlock = ConstantEffect(10000, {1});
    noBlock.params.clear();
    for (const Effect& e : {spring, custom, shortBlock, noBlock}) {
        EXPECT_EQ(std::vector<LONG>{0}, ForcesOf(e));
    }

    std::vector<LONG> forces;
    Effect offsets = ConstantEffect(10000, {1}, DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS);
    EXPECT_EQ(E_INVALIDARG, Evaluation(offsets).Compute(&forces));
    Effect noAxes = ConstantEffect(10000, {});
    EXPECT_EQ(E_INVALIDARG, Evaluation(noAxes).Compute(&forces));
    Effect spherical = ConstantEffect(10000, {1}, DIEFF_SPHERICAL);
    EXPECT_EQ(E_INVALIDARG, Evaluation(spherical).Compute(&forces));
}

TEST(ForceSynthesis, HugeStrengthsSaturateInsteadOfOverflowing) {
    Effect e = ConstantEffect(10000, {1});
    e.amplify = 0xFFFFFFFF;
    e.gain = 0xFFFFFFFF;
    EXPECT_EQ(std::vector<LONG>{INT32_MAX}, ForcesOf(e));
    e.params = Constant(-10000);
    e.directions = {0};  // no direction: the signed force itself
    EXPECT_EQ(std::vector<LONG>{INT32_MIN}, ForcesOf(e));

    EXPECT_EQ(0, TruncateToLong(std::nan("")));
    EXPECT_EQ(-5, TruncateToLong(-5.9));
    EXPECT_EQ(0u, TruncateToDword(-3.0));
    EXPECT_EQ(UINT32_MAX, TruncateToDword(1e20));
}

TEST(ForceSynthesis, RefusesWhatItCannotEvaluate) {
    AxisForces result;
    auto entry = std::make_unique<DeviceEntry>();
    EXPECT_EQ(E_INVALIDARG, ComputeAxisForces(nullptr, entry.get(), 0));
    EXPECT_EQ(E_INVALIDARG, ComputeAxisForces(&result, nullptr, 0));
    EXPECT_EQ(E_INVALIDARG, ComputeAxisForces(&result, entry.get(), 0)) << "not bound";
    entry->bound = 1;
    EXPECT_EQ(E_INVALIDARG, ComputeAxisForces(&result, entry.get(), 0)) << "free slot";
    EXPECT_EQ(E_INVALIDARG, ComputeAxisForces(&result, entry.get(), 32));
    EXPECT_EQ(0.0, EffectMagnitude(entry.get(), 0));
    EXPECT_EQ(0.0, EffectMagnitude(nullptr, 0));
}

}  // namespace

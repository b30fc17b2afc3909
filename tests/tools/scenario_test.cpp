// What the scenario reader hands the driver for updates: DirectInput's full
// record of the effect with the DIEP flags of what changed.
#include <dinput.h>
#include <gtest/gtest.h>

#include "tools/lab/scenario.h"

namespace {

struct UpdateCase {
    const char* update;
    DWORD flags;
};

const UpdateCase kUpdates[] = {
    {R"("magnitude": 3000)", DIEP_TYPESPECIFICPARAMS},
    {R"("duration_ms": 250, "gain": 5000)", DIEP_DURATION | DIEP_GAIN},
    // Same axis count: directions only; a new count comes with its axes.
    {R"("directions": [3, 4])", DIEP_DIRECTION},
    {R"("directions": [1])", DIEP_DIRECTION | DIEP_AXES},
    {R"("coordinates": "polar")", DIEP_DIRECTION},
    {R"("envelope": null, "start_now": true)", DIEP_ENVELOPE | DIEP_START},
    {R"("period_ms": 40, "phase": 9000, "offset": -100)", DIEP_TYPESPECIFICPARAMS},
};

TEST(Scenario, UpdateCarriesTheWholeEffectAndFlagsWhatChanged) {
    for (const UpdateCase& update : kUpdates) {
        SCOPED_TRACE(update.update);
        const std::string text = std::string(R"({"steps": [
          {"at_ms": 0, "action": "download", "effect": "w", "type": "square", "magnitude": 8000,
           "period_ms": 100, "directions": [1, 0], "duration_ms": 900,
           "envelope": {"attack_level": 10000, "attack_ms": 50}},
          {"at_ms": 10, "action": "update", "effect": "w", )") +
                                 update.update + "}]}";
        lab::Scenario scenario;
        std::string error;
        ASSERT_TRUE(lab::ParseScenario(text, "u.json", &scenario, &error)) << error;
        ASSERT_EQ(2u, scenario.steps.size());
        const lab::Step& download = scenario.steps[0];
        const lab::Step& step = scenario.steps[1];
        EXPECT_EQ(update.flags, step.flags);
        // What the update leaves alone is handed over as downloaded.
        EXPECT_EQ(2u, download.settings.typeIndex);
        EXPECT_EQ(2u, step.settings.typeIndex);
        if (!(update.flags & DIEP_TYPESPECIFICPARAMS)) {
            EXPECT_EQ(8000u, step.settings.periodicMagnitude);
            EXPECT_EQ(100000u, step.settings.periodUs);
        }
        if (!(update.flags & DIEP_DURATION)) {
            EXPECT_EQ(900000u, step.settings.durationUs);
        }
        if (!(update.flags & DIEP_ENVELOPE)) {
            ASSERT_TRUE(step.settings.envelope.has_value());
            EXPECT_EQ(50000u, step.settings.envelope->attackTimeUs);
        }
    }
}

}  // namespace

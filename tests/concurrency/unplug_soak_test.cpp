// A playing controller pulled and plugged back a thousand times, on the
// stepped clock so that every tick is seen. Beside it a second controller
// plays the same effects and is never pulled: since an effect's clock runs
// on through an unplug, the pulled controller must get exactly what the
// other one gets on the first tick after it is back. Nothing may be left
// open: the driver holds at most one handle to the controller at any time,
// and none once it is gone.
#include <gtest/gtest.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "profiles/selected_model.h"
#include "support/driver_fixture.h"
#include "support/effect_records.h"
#include "support/random_effects.h"

namespace {

using test_support::EffectRecord;
using test_support::TestController;

constexpr int kCycles = 1000;
constexpr DWORD kPeriod = kModelProfile.playbackPeriodMs;

// The two motor bytes of the strength report written at `time`, or none
// when no strength report went out then (a model S controller at rest gets
// only follow-up and stop reports: both motors 0).
std::pair<int, int> MotorsAt(const std::vector<simwin::WrittenReport>& reports, DWORD time) {
    for (const simwin::WrittenReport& report : reports) {
        if (report.time != time) {
            continue;
        }
        if (kModelProfile.outputProtocol == OutputProtocol::StrengthOnly) {
            return {report.bytes[3], report.bytes[4]};
        }
        if (report.bytes[1] == 0x51) {
            return {report.bytes[3], report.bytes[5]};
        }
    }
    return {-1, -1};
}

bool AnyReportAt(const std::vector<simwin::WrittenReport>& reports, DWORD time) {
    for (const simwin::WrittenReport& report : reports) {
        if (report.time == time) {
            return true;
        }
    }
    return false;
}

class UnplugSoak : public test_support::DriverFixture {
  protected:
    void SetUp() override {
        baseline_ = simwin::LiveAllocations();
        DriverFixture::SetUp();
    }

    // Downloads the record on both devices with one call each, at one
    // clock reading; the handles must agree.
    DWORD DownloadOnBoth(EffectRecord& record, DWORD type) {
        DWORD handles[2] = {0, 0};
        for (DWORD device = 0; device < 2; ++device) {
            EXPECT_EQ(S_OK, IDirectInputEffectDriver_DownloadEffect(
                                iface(), device, type, &handles[device], record.get(),
                                test_support::kAllEffectParameters));
        }
        EXPECT_EQ(handles[0], handles[1]);
        return handles[0];
    }

    void StartOnBoth(DWORD handle, DWORD iterations) {
        for (DWORD device = 0; device < 2; ++device) {
            EXPECT_EQ(S_OK,
                      IDirectInputEffectDriver_StartEffect(iface(), device, handle, 0, iterations));
        }
    }

    bool Playing(DWORD device, DWORD handle) {
        DWORD status = 0;
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_GetEffectStatus(iface(), device, handle, &status));
        return status == DIEGES_PLAYING;
    }

    // Moves the stepped clock by one period: exactly one tick runs, at the
    // returned time.
    static DWORD Tick() {
        simwin::AdvanceTime(kPeriod);
        return GetTickCount();
    }

    size_t baseline_ = 0;
};

TEST_F(UnplugSoak, APlayingControllerPulledAThousandTimesResumesOnTheFirstTickBack) {
    TestController pulled = PlugAndBind(0);
    TestController steady = PlugAndBind(1);
    ASSERT_EQ(1u, simwin::ActiveTimers().size());
    ASSERT_EQ(kPeriod, simwin::ActiveTimers()[0].delay);

    // Endless: a steady push and a slow wave over it, so that the motors
    // always move and their strength says where the wave's clock stands.
    EffectRecord push;
    test_support::MakeConstantForce(push, 2000, {1, 1});
    EffectRecord wave;
    test_support::MakePeriodic(wave, 2500, 770000, {1, 1});
    // One iteration of two periods, restarted every cycle: it ends while
    // the controller is out.
    EffectRecord burst;
    test_support::MakeConstantForce(burst, 2000, {1, 1}, /*duration=*/2 * kPeriod * 1000);
    const DWORD pushHandle = DownloadOnBoth(push, test_support::kConstantForce);
    const DWORD waveHandle = DownloadOnBoth(wave, test_support::kSineWave);
    const DWORD burstHandle = DownloadOnBoth(burst, test_support::kConstantForce);
    StartOnBoth(pushHandle, 1);
    StartOnBoth(waveHandle, 1);
    ASSERT_FALSE(HasFailure());

    std::mt19937 rng(1167);
    const auto started = std::chrono::steady_clock::now();
    size_t reportsToPulled = 0;
    int blips = 0;
    std::vector<std::pair<int, int>> strengthsBack;
    for (int cycle = 0; cycle < kCycles && !HasFailure(); ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        StartOnBoth(burstHandle, 1);
        const DWORD connected = Tick();
        EXPECT_NE(std::make_pair(-1, -1), MotorsAt(simwin::WrittenReports(pulled.id), connected));

        // Every tenth cycle the controller is out and back between two
        // ticks: the first tick after it finds the old handle dead, closes
        // it and writes to the controller opened again.
        const bool blip = cycle % 10 == 9;
        simwin::UnplugController(pulled.id);
        const int ticksOut = blip ? 0 : 2 + static_cast<int>(rng() % 4);
        for (int tick = 0; tick < ticksOut; ++tick) {
            const DWORD out = Tick();
            EXPECT_FALSE(AnyReportAt(simwin::WrittenReports(pulled.id), out));
            EXPECT_EQ(0u, simwin::OpenHandleCount(pulled.id)) << "the dead handle is closed";
        }
        if (!blip) {
            // The burst's time is up on both; only the connected controller's
            // tick has ended it, the other has not been evaluated since.
            EXPECT_FALSE(Playing(1, burstHandle));
            EXPECT_TRUE(Playing(0, burstHandle));
        }
        simwin::ReplugController(pulled.id);
        if (blip) {
            ++blips;
        }

        const DWORD back = Tick();
        const std::vector<simwin::WrittenReport> reports = simwin::WrittenReports(pulled.id);
        const std::pair<int, int> motors = MotorsAt(reports, back);
        EXPECT_NE(std::make_pair(-1, -1), motors) << "no output on the first tick back";
        EXPECT_EQ(MotorsAt(simwin::WrittenReports(steady.id), back), motors)
            << "the effects' clocks did not run on through the unplug";
        EXPECT_EQ(1u, simwin::OpenHandleCount(pulled.id));
        EXPECT_EQ(1u, simwin::OpenHandleCount(steady.id));
        // Ended on the tick back if its time ran out while the controller
        // was away; either way as on the controller never pulled.
        EXPECT_EQ(Playing(1, burstHandle), Playing(0, burstHandle)) << "the burst's end";
        EXPECT_TRUE(Playing(0, waveHandle));
        strengthsBack.push_back(motors);

        reportsToPulled += reports.size();
        simwin::ClearWrittenReports(pulled.id);
        simwin::ClearWrittenReports(steady.id);
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);

    // The wave was caught at many points of its period, so the comparison
    // above saw its phase and not just a constant.
    std::sort(strengthsBack.begin(), strengthsBack.end());
    strengthsBack.erase(std::unique(strengthsBack.begin(), strengthsBack.end()),
                        strengthsBack.end());
    EXPECT_GE(strengthsBack.size(), 5u);

    ReleaseDriver();
    EXPECT_EQ(0u, simwin::OpenHandleCount(pulled.id));
    EXPECT_EQ(0u, simwin::OpenHandleCount(steady.id));
    EXPECT_EQ(baseline_, simwin::LiveAllocations());
    EXPECT_TRUE(simwin::ActiveTimers().empty());

    RecordProperty("cycles", kCycles);
    RecordProperty("reports_to_pulled_controller", static_cast<int>(reportsToPulled));
    std::printf(
        "[ figures  ] %d cycles (%d between two ticks), %zu reports to the pulled "
        "controller, %zu distinct strengths back, %lld ms\n",
        kCycles, blips, reportsToPulled, strengthsBack.size(),
        static_cast<long long>(elapsed.count()));
}

}  // namespace

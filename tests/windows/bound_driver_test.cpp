// The driver bound to a controller in a real Windows runtime: loaded through
// its exports as DirectInput loads it, DeviceID finds the stand-in
// controller through the runtime's DirectInput, SetupAPI and HID modules,
// and the multimedia timer plays effects into output reports that the
// controller receives with their arrival times.
#include <cstdio>
#include <string>
#include <vector>

#include "attached_controller.h"
#include "loaded_driver.h"
#include "model_reports.h"
#include "tick_statistics.h"

namespace windows_test {
namespace {

constexpr DWORD kSlot = 2;
// Another slot, for a controller that is plugged and taken away again.
constexpr DWORD kUnpluggedSlot = 3;
constexpr DWORD kPeriodMs = kModelProfile.playbackPeriodMs;
// Generous bounds for things that take a tick or two on an idle machine.
constexpr DWORD kArrivalTimeoutMs = 3000;
constexpr DWORD kMeasuredPlayMs = 3000;

std::vector<BYTE> Dword(DWORD value) {
    return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
            static_cast<BYTE>(value >> 24)};
}

bool Is(const ReceivedOutput& report, const ReportBytes& bytes) {
    return report.bytes == bytes;
}

std::string Hex(const ReportBytes& bytes) {
    std::string text;
    for (BYTE byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X ", byte);
        text += digits;
    }
    return text;
}

class BoundDriver : public DriverObject {
  protected:
    void SetUp() override {
        DriverObject::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        ASSERT_TRUE(controller_.plugged())
            << "no stand-in controller (is the controller module running?), error "
            << controller_.error();
        // Full strength and the rumble switch on, whatever an earlier
        // program left; both are put back afterwards.
        ASSERT_EQ(ERROR_SUCCESS, amplify_.Set(REG_DWORD, Dword(1000)));
        ASSERT_EQ(ERROR_SUCCESS, rumble_.Set(REG_DWORD, Dword(1)));
        ASSERT_EQ(S_OK, IDirectInputEffectDriver_DeviceID(driver_, 0x0700, kSlot, 1, 0, nullptr))
            << "DeviceID did not find the controller of joystick " << kSlot;
    }

    // Downloads "Both force" (direction 10000, 10000; magnitude 14142) with
    // the given duration, and starts it for `iterations`. Its handle.
    DWORD PlayBothForce(DWORD iterations = 1, DWORD durationUs = INFINITE) {
        test_support::EffectRecord record;
        test_support::MakeConstantForce(record, 14142, {10000, 10000}, durationUs);
        DWORD handle = 0;
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_DownloadEffect(
                            driver_, kSlot, test_support::kConstantForce, &handle, record.get(),
                            DIEP_ALLPARAMS));
        EXPECT_EQ(S_OK,
                  IDirectInputEffectDriver_StartEffect(driver_, kSlot, handle, 0, iterations));
        return handle;
    }

    std::optional<ReceivedOutput> WaitFor(const ReportBytes& bytes,
                                          std::vector<ReceivedOutput>* seen = nullptr,
                                          DWORD timeoutMs = kArrivalTimeoutMs) {
        return controller_.WaitForReport(
            [&](const ReceivedOutput& report) { return Is(report, bytes); }, timeoutMs, {}, seen);
    }

    AttachedController controller_{kSlot};
    SavedRegistryValue amplify_{OemKeyPath(), "Amplify"};
    SavedRegistryValue rumble_{OemKeyPath(), "Rumble"};
};

TEST_F(BoundDriver, DeviceIdBindsAPluggedControllerAndRefusesOneTakenAway) {
    AttachedController unplugged(kUnpluggedSlot);
    ASSERT_TRUE(unplugged.plugged());
    ASSERT_TRUE(unplugged.Unplug());
    // What DirectInput gets back when no controller answers: the bare error.
    EXPECT_EQ(static_cast<HRESULT>(ERROR_DEVICE_NOT_CONNECTED),
              IDirectInputEffectDriver_DeviceID(driver_, 0x0700, kUnpluggedSlot, 1, 0, nullptr));

    // Binding the same joystick again replaces the handle, never adds one.
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DeviceID(driver_, 0x0800, kSlot, 1, 0, nullptr));
    const auto info = controller_.Info();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(1u, info->openHandles);
}

TEST_F(BoundDriver, BothForceArrivesWithTheModelsBytesAtTheModelsPeriod) {
    const DWORD handle = PlayBothForce();
    ASSERT_TRUE(WaitFor(BothForceReport())) << "no full-strength report arrived";

    const std::vector<ReceivedOutput> played = controller_.CollectFor(kMeasuredPlayMs);
    std::vector<double> tickTimes;
    for (const ReceivedOutput& report : played) {
        if (StartsTick(report.bytes)) {
            EXPECT_EQ(BothForceReport(), report.bytes) << "report " << report.sequence;
            tickTimes.push_back(report.timeMs);
        } else {
            EXPECT_TRUE(kModelS && report.bytes == kFollowUpReport)
                << "unexpected report " << Hex(report.bytes);
        }
    }
    const TickStatistics ticks = MeasureTicks(tickTimes);
    std::printf("%s\n", DescribeTicks(kModelName, ticks).c_str());
    std::fflush(stdout);
    // Only that the timer runs at all: its regularity is the runtime's.
    EXPECT_GE(ticks.intervals, kMeasuredPlayMs / (4 * kPeriodMs));

    // "Amplify" is read at every start: half strength halves both motors.
    ASSERT_EQ(ERROR_SUCCESS, amplify_.Set(REG_DWORD, Dword(500)));
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(driver_, kSlot, handle, 0, 1));
    EXPECT_TRUE(WaitFor(HalfBothForceReport())) << "no half-strength report arrived";
}

TEST_F(BoundDriver, StopEffectBringsTheMotorsToRest) {
    const DWORD handle = PlayBothForce();
    ASSERT_TRUE(WaitFor(BothForceReport()));

    ASSERT_EQ(S_OK, IDirectInputEffectDriver_StopEffect(driver_, kSlot, handle));
    std::vector<ReceivedOutput> seen;
    ASSERT_TRUE(WaitFor(RestingReport(), &seen)) << "the motors were never stopped";
    if (kModelS) {
        // The motors stop with a follow-up, then the stop.
        ASSERT_GE(seen.size(), 2u);
        EXPECT_EQ(kFollowUpReport, seen[seen.size() - 2].bytes);
    }
    EXPECT_EQ(0u, Status(kSlot, handle));
    for (const ReceivedOutput& report : controller_.CollectFor(6 * kPeriodMs)) {
        EXPECT_FALSE(RunsMotors(report.bytes)) << "a stopped effect ran the motors again";
    }
}

TEST_F(BoundDriver, IteratedEffectPlaysItsIterationsThenStops) {
    constexpr DWORD kIterationMs = 300;
    for (DWORD iterations : {1u, 3u}) {
        SCOPED_TRACE(testing::Message() << iterations << " iterations");
        controller_.SkipReceived();
        const double started = ModuleClockMs();
        const DWORD handle = PlayBothForce(iterations, kIterationMs * 1000);
        ASSERT_TRUE(WaitFor(BothForceReport()));
        std::vector<ReceivedOutput> seen;
        const auto rest =
            WaitFor(RestingReport(), &seen, iterations * kIterationMs + kArrivalTimeoutMs);
        ASSERT_TRUE(rest.has_value()) << "the effect never stopped";
        for (const ReceivedOutput& report : seen) {
            if (StartsTick(report.bytes) && report.sequence != rest->sequence) {
                EXPECT_EQ(BothForceReport(), report.bytes);
            }
        }
        // An iteration ends at the first tick past its duration, so the
        // motors come to rest no sooner than all iterations take; a busy
        // machine only makes it later. The upper bound only tells one
        // iteration from three.
        const double played = rest->timeMs - started;
        std::printf("%lu iterations of %lu ms: the motors rested after %.0f ms\n",
                    static_cast<unsigned long>(iterations),
                    static_cast<unsigned long>(kIterationMs), played);
        std::fflush(stdout);
        EXPECT_GE(played, iterations * kIterationMs - 20.0);
        EXPECT_LE(played, iterations * (kIterationMs + 3.0 * kPeriodMs) + 500.0);
        EXPECT_EQ(0u, Status(kSlot, handle));
        for (const ReceivedOutput& report : controller_.CollectFor(4 * kPeriodMs)) {
            EXPECT_FALSE(RunsMotors(report.bytes)) << "the effect played past its iterations";
        }
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(driver_, kSlot, handle));
    }
}

TEST_F(BoundDriver, EachControllerPlaysOnlyItsOwnEffects) {
    // A second controller of the model (model T's adapter presents two),
    // bound to the same driver object under its own joystick id.
    AttachedController other(kUnpluggedSlot);
    ASSERT_TRUE(other.plugged());
    ASSERT_EQ(S_OK,
              IDirectInputEffectDriver_DeviceID(driver_, 0x0700, kUnpluggedSlot, 1, 0, nullptr));
    other.SkipReceived();

    PlayBothForce();
    ASSERT_TRUE(WaitFor(BothForceReport()));
    const std::vector<ReceivedOutput> quiet = other.CollectFor(6 * kPeriodMs);
    EXPECT_FALSE(quiet.empty()) << "the second controller gets no ticks";
    for (const ReceivedOutput& report : quiet) {
        EXPECT_FALSE(RunsMotors(report.bytes)) << "the effect ran the other controller's motors";
    }
    EXPECT_TRUE(other.WaitForReport(
        [](const ReceivedOutput& r) { return r.bytes == RestingReport(); }, kArrivalTimeoutMs))
        << "the idle controller's ticks do not rest its motors";
}

TEST_F(BoundDriver, UnpluggedControllerIsPickedUpAgainAfterReplug) {
    PlayBothForce();
    ASSERT_TRUE(WaitFor(BothForceReport()));
    const auto before = controller_.Info();
    ASSERT_TRUE(before.has_value());

    ASSERT_TRUE(controller_.Unplug());
    // The first tick after the unplug is refused and the driver lets go of
    // its handle; the ticks after find no path to open.
    EXPECT_TRUE(WaitUntil(
        [&] {
            const auto info = controller_.Info();
            return info && info->writesRefused > before->writesRefused && info->openHandles == 0;
        },
        kArrivalTimeoutMs))
        << "the driver kept writing to or holding the unplugged controller";
    const auto unplugged = controller_.Info();
    ASSERT_TRUE(unplugged.has_value());
    Sleep(4 * kPeriodMs);
    const auto later = controller_.Info();
    ASSERT_TRUE(later.has_value());
    EXPECT_EQ(unplugged->writesRefused, later->writesRefused)
        << "writes went on after the handle was closed";

    controller_.SkipReceived();
    ASSERT_TRUE(controller_.Replug());
    EXPECT_TRUE(WaitFor(BothForceReport())) << "reports did not resume after the replug";
    const auto replugged = controller_.Info();
    ASSERT_TRUE(replugged.has_value());
    EXPECT_EQ(1u, replugged->openHandles);
}

TEST_F(BoundDriver, LastReleaseSendsTheFinalOutput) {
    PlayBothForce();
    ASSERT_TRUE(WaitFor(BothForceReport()));

    ASSERT_EQ(0u, IDirectInputEffectDriver_Release(driver_));
    driver_ = nullptr;
    const std::vector<ReceivedOutput> reports = controller_.NewReports();
    const std::vector<ReportBytes> final = FinalOutput();
    ASSERT_GE(reports.size(), final.size());
    for (size_t i = 0; i < final.size(); ++i) {
        EXPECT_EQ(final[i], reports[reports.size() - final.size() + i].bytes);
    }
    const auto info = controller_.Info();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(0u, info->openHandles) << "the released driver still holds the controller";
    EXPECT_TRUE(controller_.CollectFor(3 * kPeriodMs).empty()) << "the timer outlived the driver";
}

}  // namespace
}  // namespace windows_test

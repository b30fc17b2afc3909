// The playback tick on a stepped clock: effect timing, mixing into the two
// motors, the reports that go out, and unplugged controllers.
#include "effect_driver/playback_tick.h"

#include <gtest/gtest.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>

#include "effect_driver/playback_lock.h"
#include "profiles/selected_model.h"
#include "support/driver_fixture.h"
#include "support/effect_records.h"

namespace {

using test_support::EffectRecord;
using Bytes = std::vector<BYTE>;

constexpr bool kModelS = kModelProfile.model == DeviceModel::S;

class PlaybackTickTest : public test_support::DriverFixture {
  protected:
    void SetUp() override {
        DriverFixture::SetUp();
        simwin::SetTime(1000);
        controller_ = PlugAndBind(0).id;
    }
    DWORD Start(EffectRecord& r, DWORD count = 1, DWORD type = test_support::kConstantForce) {
        DWORD handle = 0;
        EXPECT_EQ(S_OK,
                  IDirectInputEffectDriver_DownloadEffect(iface(), 0, type, &handle, r.get(), 0));
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(iface(), 0, handle, 0, count));
        return handle;
    }
    // Runs one tick at the given clock time and returns the motor sums.
    std::pair<DWORD, DWORD> TickAt(DWORD time) {
        simwin::SetTime(time);
        PlaybackTick(driver_);
        return {entry(0).leftMotor.load(), entry(0).rightMotor.load()};
    }
    DWORD Status(DWORD handle) {
        DWORD status = 0;
        IDirectInputEffectDriver_GetEffectStatus(iface(), 0, handle, &status);
        return status;
    }
    simwin::ControllerId controller_ = 0;
};

TEST_F(PlaybackTickTest, AnEffectPlaysUntilItsLastIterationEnds) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 10000, {1}, /*duration=*/1000000);
    DWORD h = Start(r);
    EXPECT_EQ(127u, TickAt(1000).first);
    EXPECT_EQ(127u, TickAt(2000).first) << "exactly at its duration it still plays";
    EXPECT_EQ(DIEGES_PLAYING, Status(h));
    EXPECT_EQ(0u, TickAt(2001).first) << "past it, it stops without adding force";
    EXPECT_EQ(0u, Status(h));
    EXPECT_EQ(0u, TickAt(2002).first);
}

TEST_F(PlaybackTickTest, FurtherIterationsStartAtTheTickThatEndsThePrevious) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 10000, {1}, 1000000);
    struct Case {
        DWORD count;
        DWORD leftAfter;
    } cases[] = {{2, 1}, {0, 0xFFFFFFFF}, {INFINITE, 0xFFFFFFFE}};
    for (const Case& c : cases) {
        simwin::SetTime(1000);
        DWORD h = Start(r, c.count);
        EXPECT_EQ(127u, TickAt(2050).first) << "evaluated at the start of its next iteration";
        const EffectSlot& slot = entry(0).slots[h - 1];
        EXPECT_EQ(2050u, slot.startTime.load());
        EXPECT_EQ(0u, slot.elapsedTime.load());
        EXPECT_EQ(c.leftAfter, slot.iterationsLeft.load()) << c.count;
        EXPECT_EQ(DIEGES_PLAYING, Status(h));
        IDirectInputEffectDriver_DestroyEffect(iface(), 0, h);
    }
}

TEST_F(PlaybackTickTest, AnEffectWithoutEndPlaysOnAcrossTheMicrosecondWrap) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 10000, {1}, INFINITE);
    DWORD h = Start(r);
    EXPECT_EQ(127u, TickAt(1000 + 4294967).first);
    EXPECT_EQ(127u, TickAt(1000 + 4294968).first);
    EXPECT_EQ(4294968u, entry(0).slots[h - 1].elapsedTime.load());
    EXPECT_EQ(DIEGES_PLAYING, Status(h));
}

TEST_F(PlaybackTickTest, TwoAxisForcesAreMixedByTheModelsRule) {
    // Cartesian direction (4, 3) shares a force of 50 as (40, 30).
    EffectRecord constant;
    test_support::MakeConstantForce(constant, 3938, {4, 3});
    EffectRecord square;  // a wave: at its start, full scale times gain
    test_support::MakePeriodic(square, 10000, 100000, {4, 3});
    square.effect.dwGain = 3938;
    struct Case {
        const char* what;
        EffectRecord& effect;
        DWORD type;
        DWORD left, right;
    } cases[] = {
        {"constant", constant, test_support::kConstantForce, kModelS ? 30u : 40u,
         kModelS ? 40u : 30u},
        {"wave", square, test_support::kSquareWave, kModelS ? 70u : 40u, kModelS ? 40u : 30u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DWORD h = Start(c.effect, 1, c.type);
        auto sums = TickAt(1000);
        EXPECT_EQ(c.left, sums.first);
        EXPECT_EQ(c.right, sums.second);
        Bytes expected = kModelS ? Bytes{0, 0x51, 0, BYTE(c.left * 2), 0, BYTE(c.right * 2), 0, 0}
                                 : Bytes{0, 0, 0, BYTE(c.left), BYTE(c.right)};
        auto reports = simwin::WrittenReports(controller_);
        ASSERT_GE(reports.size(), kModelS ? 2u : 1u);
        EXPECT_EQ(expected, reports[reports.size() - (kModelS ? 2 : 1)].bytes);
        IDirectInputEffectDriver_DestroyEffect(iface(), 0, h);
    }
}

TEST_F(PlaybackTickTest, SumsClampToFullStrengthAndNeverGoBelowZero) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 10000, {1});
    for (int i = 0; i < 3; ++i) {
        Start(r, INFINITE);
    }
    EXPECT_EQ((std::pair<DWORD, DWORD>{381, 381}), TickAt(1000));
    auto reports = simwin::WrittenReports(controller_);
    ASSERT_GE(reports.size(), kModelS ? 2u : 1u);
    const Bytes fullStrength =
        kModelS ? Bytes{0, 0x51, 0, 0xFE, 0, 0xFE, 0, 0} : Bytes{0, 0, 0, 0x7F, 0x7F};
    EXPECT_EQ(fullStrength, reports[reports.size() - (kModelS ? 2 : 1)].bytes);
    IDirectInputEffectDriver_SendForceFeedbackCommand(iface(), 0, DISFFC_RESET);

    // A polar force at 180 degrees pushes the motors below zero: silence.
    EffectRecord backwards;
    test_support::MakeConstantForce(backwards, 10000, {18000});
    backwards.effect.dwFlags = DIEFF_POLAR;
    Start(backwards, INFINITE);
    EXPECT_EQ((std::pair<DWORD, DWORD>{0, 0}), TickAt(1035));
}

TEST_F(PlaybackTickTest, EffectsWithThreeAxesReachNoMotor) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 10000, {1, 1, 1});
    Start(r, INFINITE);
    EXPECT_EQ((std::pair<DWORD, DWORD>{0, 0}), TickAt(1000));
}

TEST_F(PlaybackTickTest, EveryTickWritesEvenWithNothingPlaying) {
    simwin::ClearWrittenReports(controller_);
    for (DWORD t = 1000; t < 1100; t += 25) {
        TickAt(t);
    }
    auto reports = simwin::WrittenReports(controller_);
    // Model S: follow-up and stop on the first still tick, then stops only.
    EXPECT_EQ(kModelS ? 5u : 4u, reports.size());
    EXPECT_EQ(1100u - 25, reports.back().time);
}

TEST_F(PlaybackTickTest, AnUnpluggedControllerIsReopenedByLaterTicks) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 10000, {1});
    Start(r, INFINITE);
    TickAt(1000);
    simwin::UnplugController(controller_);
    TickAt(1035);
    EXPECT_EQ(0u, simwin::OpenHandleCount(controller_)) << "closed after the failed write";
    size_t opens = simwin::Opens(controller_).size();
    TickAt(1070);
    TickAt(1105);
    EXPECT_EQ(opens, simwin::Opens(controller_).size()) << "no open succeeds while unplugged";

    simwin::ReplugController(controller_);
    simwin::ClearWrittenReports(controller_);
    TickAt(1140);
    EXPECT_EQ(1u, simwin::OpenHandleCount(controller_));
    EXPECT_EQ(opens + 1, simwin::Opens(controller_).size());
    ASSERT_FALSE(simwin::WrittenReports(controller_).empty()) << "output resumed";
    EXPECT_EQ(kModelS ? 0xFE : 0x7F, simwin::WrittenReports(controller_)[0].bytes[3]);
}

TEST_F(PlaybackTickTest, ATickThatCannotHaveTheLockSkipsItsPass) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 10000, {1}, 1000000);
    DWORD h = Start(r);
    simwin::ClearWrittenReports(controller_);
    ASSERT_TRUE(AcquirePlaybackLock(kPlaybackLockTimeoutMs));
    TickAt(2500);
    ReleasePlaybackLock();
    EXPECT_TRUE(simwin::WrittenReports(controller_).empty());
    EXPECT_EQ(DIEGES_PLAYING, Status(h)) << "its timing did not advance";
    TickAt(2501);
    EXPECT_EQ(0u, Status(h));
}

TEST_F(PlaybackTickTest, TheTimerRunsTheTickAtTheModelsPeriod) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 10000, {1});
    Start(r, INFINITE);
    simwin::ClearWrittenReports(controller_);
    simwin::AdvanceTime(kModelProfile.playbackPeriodMs * 4);
    auto reports = simwin::WrittenReports(controller_);
    const size_t perTick = kModelS ? 2 : 1;
    ASSERT_EQ(4 * perTick, reports.size());
    for (size_t i = perTick; i < reports.size(); i += perTick) {
        EXPECT_EQ(kModelProfile.playbackPeriodMs, reports[i].time - reports[i - perTick].time);
    }
}

}  // namespace

// The output reports that reach the controller, byte for byte.
#include "effect_driver/motor_reports.h"

#include <gtest/gtest.h>
#include <simwin/control_devices.h>

#include "effect_driver/device_connection.h"
#include "effect_driver/playback_tick.h"
#include "profiles/selected_model.h"
#include "support/driver_fixture.h"

namespace {

using Bytes = std::vector<BYTE>;

constexpr bool kModelS = kModelProfile.outputProtocol == OutputProtocol::StrengthFollowUpStop;

// Reports in the model's format, report id 0.
Bytes Strength(BYTE left, BYTE right) {
    return kModelS ? Bytes{0, 0x51, 0, left, 0, right, 0, 0} : Bytes{0, 0, 0, left, right};
}
const Bytes kFollowUp = {0, 0xFA, 0xFE, 0, 0, 0, 0, 0};
const Bytes kStop = {0, 0xF3, 0, 0, 0, 0, 0, 0};

std::vector<Bytes> BytesOf(const std::vector<simwin::WrittenReport>& reports) {
    std::vector<Bytes> out;
    for (const auto& r : reports) {
        out.push_back(r.bytes);
    }
    return out;
}

class MotorReports : public test_support::DriverFixture {
  protected:
    void SetUp() override {
        DriverFixture::SetUp();
        controller_ = PlugAndBind(0).id;
    }
    // Sets the accumulators, writes, and returns what went out.
    std::vector<Bytes> Write(DWORD left, DWORD right, HRESULT expected = 0) {
        simwin::ClearWrittenReports(controller_);
        entry(0).leftMotor = left;
        entry(0).rightMotor = right;
        EXPECT_EQ(expected, WriteMotorReport(driver_, 0));
        return BytesOf(simwin::WrittenReports(controller_));
    }
    simwin::ControllerId controller_ = 0;
};

TEST_F(MotorReports, AccumulatorsBecomeTheModelsMotorBytes) {
    struct Case {
        DWORD accumulator;
        BYTE modelS, modelT;
    } cases[] = {
        {0, 0x00, 0x00},
        {1, 0x02, 0x00},
        {24, 0x30, 0x00},
        {25, 0x32, 0x19},
        {126, 0xFC, 0x7E},
        {127, 0xFE, 0x7F},
        {300, 0xFE, 0x7F},
        {500, 0xFE, 0x7F},
        // A sum that went below zero wrapped: full strength.
        {static_cast<DWORD>(-5), 0xFE, 0x7F},
        {0x80000000u, 0xFE, 0x7F},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kModelS ? c.modelS : c.modelT, MotorByte(c.accumulator)) << c.accumulator;
    }
}

TEST_F(MotorReports, StrengthReportsCarryBothMotors) {
    struct Case {
        DWORD left, right;
    } cases[] = {{1, 126}, {0, 1}, {24, 25}, {127, 500}, {300, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.left << ", " << c.right);
        Bytes strength = Strength(MotorByte(c.left), MotorByte(c.right));
        if (kModelS) {
            EXPECT_EQ((std::vector<Bytes>{strength, kFollowUp}), Write(c.left, c.right));
        } else {
            EXPECT_EQ((std::vector<Bytes>{strength}), Write(c.left, c.right));
        }
    }
    if (kModelS) {
        EXPECT_EQ((Bytes{0, 0x51, 0, 0x02, 0, 0xFC, 0, 0}), Write(1, 126)[0]);
    } else {
        EXPECT_EQ((Bytes{0, 0, 0, 0x00, 0x19}), Write(24, 25)[0]);
    }
}

TEST_F(MotorReports, StillMotorsAcrossCalls) {
    if (kModelS) {
        // The module starts as if the motors ran.
        EXPECT_EQ((std::vector<Bytes>{kFollowUp, kStop}), Write(0, 0));
        EXPECT_FALSE(MotorsRunning());
        EXPECT_EQ((std::vector<Bytes>{kStop}), Write(0, 0));
        EXPECT_EQ((std::vector<Bytes>{kStop}), Write(0, 0));
        Write(10, 0);
        EXPECT_TRUE(MotorsRunning());
        EXPECT_EQ((std::vector<Bytes>{kFollowUp, kStop}), Write(0, 0));
        EXPECT_EQ((std::vector<Bytes>{kStop}), Write(0, 0));
    } else {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ((std::vector<Bytes>{Strength(0, 0)}), Write(0, 0)) << "every call";
        }
    }
}

TEST_F(MotorReports, EveryReportStartsWithTheDevicesReportId) {
    simwin::ControllerId other = PlugAndBind(1, /*outputReportId=*/0x09).id;
    entry(1).leftMotor = 50;
    ASSERT_EQ(0, WriteMotorReport(driver_, 1));
    if (kModelS) {
        ASSERT_EQ(0, SendStopSequence(driver_, 1));
    }
    auto reports = simwin::WrittenReports(other);
    ASSERT_FALSE(reports.empty());
    for (const auto& r : reports) {
        EXPECT_EQ(kModelProfile.reportLength, r.bytes.size());
        EXPECT_EQ(0x09, r.bytes[0]);
    }
}

TEST_F(MotorReports, AShortWriteEndsTheCallWithItsError) {
    simwin::FailNextWrites(controller_, 1, ERROR_GEN_FAILURE, 3);
    auto sent = Write(40, 40, ERROR_GEN_FAILURE);
    EXPECT_EQ(1u, sent.size()) << "nothing after the short write";

    simwin::UnplugController(controller_);
    Write(40, 40, ERROR_DEVICE_NOT_CONNECTED);
    if (kModelS) {
        EXPECT_TRUE(MotorsRunning());
    }
}

// A write that came short without an error of its own is still a failure,
// and an error left over from before is never taken for its error.
TEST_F(MotorReports, AShortWriteWithoutAnErrorIsAWriteFault) {
    struct Case {
        const char* what;
        DWORD staleError;
    } cases[] = {{"no error before", ERROR_SUCCESS},
                 {"a stale unplug error before", ERROR_DEVICE_NOT_CONNECTED}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(c.staleError);
        simwin::FailNextWrites(controller_, 1, ERROR_SUCCESS, 3);
        auto sent = Write(40, 40, ERROR_WRITE_FAULT);
        EXPECT_EQ(1u, sent.size()) << "no follow-up after a truncated strength report";

        // The tick drops the fault and keeps the controller's handle.
        SetLastError(c.staleError);
        simwin::FailNextWrites(controller_, 1, ERROR_SUCCESS, 3);
        PlaybackTick(driver_);
        EXPECT_EQ(1u, simwin::OpenHandleCount(controller_));
        EXPECT_TRUE(IsOpenHandle(entry(0).deviceHandle));
    }
}

TEST_F(MotorReports, AFailedSilentFollowUpIsSentAgainBeforeTheStop) {
    if (!kModelS) {
        GTEST_SKIP() << "only the model with a stop report has a silent path";
    }
    Write(10, 10);
    simwin::FailNextWrites(controller_, 1, ERROR_GEN_FAILURE);
    Write(0, 0, ERROR_GEN_FAILURE);
    EXPECT_TRUE(MotorsRunning()) << "no stop report was tried";
    EXPECT_EQ((std::vector<Bytes>{kFollowUp, kStop}), Write(0, 0));
    EXPECT_FALSE(MotorsRunning());
}

TEST_F(MotorReports, StopSequenceIsStopThenFollowUp) {
    if (!kModelS) {
        GTEST_SKIP() << "only the model with a stop report has a stop sequence";
    }
    Write(0, 0);  // motors now known still
    entry(0).leftMotor = 77;
    simwin::ClearWrittenReports(controller_);
    EXPECT_EQ(0, SendStopSequence(driver_, 0));
    EXPECT_EQ((std::vector<Bytes>{kStop, kFollowUp}), BytesOf(simwin::WrittenReports(controller_)));
    EXPECT_EQ(77u, entry(0).leftMotor.load()) << "accumulators untouched";
    EXPECT_FALSE(MotorsRunning()) << "flag untouched";

    simwin::FailNextWrites(controller_, 1, ERROR_DEVICE_NOT_CONNECTED);
    simwin::ClearWrittenReports(controller_);
    EXPECT_EQ(static_cast<HRESULT>(ERROR_DEVICE_NOT_CONNECTED), SendStopSequence(driver_, 0));
    EXPECT_TRUE(simwin::WrittenReports(controller_).empty()) << "no follow-up after the failure";
}

TEST_F(MotorReports, NothingIsWrittenWithoutABoundOpenDevice) {
    EXPECT_EQ(E_INVALIDARG, WriteMotorReport(driver_, 16));
    EXPECT_EQ(E_FAIL, WriteMotorReport(driver_, 2)) << "not bound";
    EXPECT_EQ(E_INVALIDARG, SendStopSequence(driver_, 16));
    EXPECT_EQ(E_FAIL, SendStopSequence(driver_, 2));

    // Bound, but the handle was closed after the controller went away.
    simwin::ClearWrittenReports(controller_);
    CloseConnection(entry(0));
    EXPECT_EQ(E_FAIL, WriteMotorReport(driver_, 0));
    EXPECT_EQ(E_FAIL, SendStopSequence(driver_, 0));
    EXPECT_TRUE(simwin::WrittenReports(controller_).empty());
}

}  // namespace

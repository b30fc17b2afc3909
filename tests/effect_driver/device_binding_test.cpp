// DeviceID: from a joystick id to an open controller and a running timer.
#include <windows.h>
#include <mmsystem.h>
#include <gtest/gtest.h>

#include <functional>
#include <simwin/control.h>
#include <simwin/control_devices.h>

#include "profiles/selected_model.h"
#include "support/driver_fixture.h"

namespace {

using test_support::TestController;

class DeviceBinding : public test_support::DriverFixture {
  protected:
    void ExpectUnbound(DWORD index) {
        EXPECT_EQ(0u, entry(index).bound.load());
        EXPECT_EQ(-1, entry(index).joystickId.load());
    }
};

TEST_F(DeviceBinding, ChecksTheIdBeforeTheVersion) {
    PlugController(0);
    struct Case {
        DWORD id, version;
        HRESULT expected;
    } cases[] = {
        {16, 0x0500, E_INVALIDARG},
        {16, 0x0700, E_INVALIDARG},
        {0xFFFFFFFF, 0x0700, E_INVALIDARG},
        {0, 0x06FF, DIERR_OLDDIRECTINPUTVERSION},
        {0, 0x0500, DIERR_OLDDIRECTINPUTVERSION},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Bind(c.id, c.version)) << c.id << " " << std::hex << c.version;
    }
    ExpectUnbound(0);
    EXPECT_TRUE(simwin::ActiveTimers().empty());
    EXPECT_EQ(S_OK, Bind(0, 0x0700));
    EXPECT_EQ(S_OK, Bind(0, 0x0800)) << "newer DirectInput versions are fine";
}

TEST_F(DeviceBinding, BindsTheControllerDirectInputAssignsToTheId) {
    PlugController(1);  // a different joystick enumerated first
    TestController wanted = PlugController(3, /*outputReportId=*/0x05);
    PlugController(2);

    EXPECT_EQ(S_OK, Bind(3));
    EXPECT_EQ(1u, entry(3).bound.load());
    EXPECT_EQ(3, entry(3).joystickId.load());
    EXPECT_EQ(0x05, entry(3).reportId);
    EXPECT_STREQ(wanted.path.c_str(), entry(3).devicePath);
    EXPECT_EQ(1u, simwin::OpenHandleCount(wanted.id));
    auto opens = simwin::Opens(wanted.id);
    ASSERT_EQ(1u, opens.size());
    EXPECT_EQ(GENERIC_READ | GENERIC_WRITE, opens[0].access);
    EXPECT_EQ(static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE), opens[0].shareMode);
    EXPECT_EQ(static_cast<DWORD>(OPEN_EXISTING), opens[0].disposition);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), opens[0].flags);
    ExpectUnbound(1);
    ExpectUnbound(2);

    // The joystick configuration record: model S passes the full size;
    // model T the DirectX 5 size in 64-bit builds and the full one in 32-bit
    // builds. Only the instance is read back, so either is accepted.
    const DWORD expectedRecordSize =
        kModelProfile.model == DeviceModel::S || sizeof(void*) == 4 ? 1176 : 1160;
    EXPECT_EQ(std::vector<DWORD>{expectedRecordSize}, simwin::JoyConfigRecordSizes());

    // Everything the search borrowed was given back.
    EXPECT_EQ(0u, simwin::LiveDirectInputObjects());
    EXPECT_EQ(0u, simwin::LivePreparsedData());
}

TEST_F(DeviceBinding, AControllerWithoutOutputValueGetsReportIdZero) {
    PlugController(0, /*outputReportId=*/0x07, /*hasOutputValue=*/false);
    EXPECT_EQ(S_OK, Bind(0));
    EXPECT_EQ(0, entry(0).reportId);
    EXPECT_EQ(1u, entry(0).bound.load());
}

TEST_F(DeviceBinding, NotConnectedWhenNothingCanBeOpened) {
    struct Case {
        const char* what;
        std::function<void(DeviceBinding&)> arrange;
    } cases[] = {
        {"no joystick at the id", [](DeviceBinding& t) { t.PlugController(1); }},
        {"joystick without a present HID interface",
         [](DeviceBinding&) {
             simwin::SetJoystick(0, GUID{0xDEAD, 0, 0, {0}});
         }},
        {"controller unplugged",
         [](DeviceBinding& t) { simwin::UnplugController(t.PlugController(0).id); }},
        {"controller held without sharing",
         [](DeviceBinding& t) {
             simwin::SetHeldExclusivelyElsewhere(t.PlugController(0).id, true);
         }},
        {"DirectInput unavailable",
         [](DeviceBinding& t) {
             t.PlugController(0);
             simwin::FailCall("DirectInputCreateEx", 1, ERROR_GEN_FAILURE);
         }},
        {"device list unavailable",
         [](DeviceBinding& t) {
             t.PlugController(0);
             simwin::FailCall("SetupDiGetClassDevsA", 1, ERROR_GEN_FAILURE);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        c.arrange(*this);
        EXPECT_EQ(static_cast<HRESULT>(ERROR_DEVICE_NOT_CONNECTED), Bind(0));
        ExpectUnbound(0);
        EXPECT_FALSE(IsOpenHandle(entry(0).deviceHandle));
        EXPECT_TRUE(simwin::ActiveTimers().empty()) << "no timer without a binding";
        EXPECT_EQ(0u, simwin::LiveDirectInputObjects());
        simwin::ClearFaults();
    }
}

TEST_F(DeviceBinding, AnInterfacePathThatDoesNotFitNeverMatches) {
    simwin::HidControllerSpec spec;
    spec.vendorId = kModelProfile.vendorId;
    spec.productId = kModelProfile.productId;
    spec.interfacePath = "\\\\?\\hid#" + std::string(1100, 'x');
    spec.directInputInstance = GUID{0xBEEF, 1, 2, {3}};
    simwin::AddHidController(spec);
    simwin::SetJoystick(0, spec.directInputInstance);
    EXPECT_EQ(static_cast<HRESULT>(ERROR_DEVICE_NOT_CONNECTED), Bind(0));
    EXPECT_STREQ("", entry(0).devicePath);

    spec.interfacePath = "\\\\?\\hid#" + std::string(1023 - 8, 'y');  // exactly 1023 characters
    spec.directInputInstance = GUID{0xBEEF, 1, 2, {4}};
    simwin::AddHidController(spec);
    simwin::SetJoystick(1, spec.directInputInstance);
    EXPECT_EQ(S_OK, Bind(1));
    EXPECT_EQ(spec.interfacePath, entry(1).devicePath);
}

TEST_F(DeviceBinding, OneTimerForAllBindingsWithTheModelsPeriod) {
    PlugAndBind(0);
    PlugAndBind(1);
    auto timers = simwin::ActiveTimers();
    ASSERT_EQ(1u, timers.size());
    EXPECT_EQ(kModelProfile.playbackPeriodMs, timers[0].delay);
    EXPECT_EQ(kModelProfile.model == DeviceModel::S ? 35u : 25u, timers[0].delay);
    EXPECT_EQ(100u, timers[0].resolution);
    EXPECT_EQ(static_cast<UINT>(TIME_PERIODIC), timers[0].flags & TIME_PERIODIC);
    EXPECT_EQ(reinterpret_cast<DWORD_PTR>(driver_), timers[0].user);
    EXPECT_EQ(timers[0].id, driver_->playbackTimer.load());
}

TEST_F(DeviceBinding, ATimerThatFailedToStartIsTriedAgainAtTheNextBinding) {
    PlugController(0);
    simwin::FailCall("timeSetEvent");
    EXPECT_EQ(S_OK, Bind(0));
    EXPECT_EQ(1u, entry(0).bound.load());
    EXPECT_EQ(0u, driver_->playbackTimer.load());
    EXPECT_EQ(S_OK, Bind(0));
    EXPECT_EQ(1u, simwin::ActiveTimers().size());
}

TEST_F(DeviceBinding, AnEndCallBindsAgainAndClosesTheReplacedHandle) {
    TestController first = PlugAndBind(0);
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DeviceID(iface(), 0x0700, 0, /*begin=*/0, 0, nullptr));
    EXPECT_EQ(1u, entry(0).bound.load());
    EXPECT_EQ(2u, simwin::Opens(first.id).size()) << "searched and opened again";
    EXPECT_EQ(1u, simwin::OpenHandleCount(first.id)) << "the replaced handle was closed";

    // DirectInput now assigns id 0 to another controller.
    TestController second = PlugController(0);
    EXPECT_EQ(S_OK, Bind(0));
    EXPECT_STREQ(second.path.c_str(), entry(0).devicePath);
    EXPECT_EQ(0u, simwin::OpenHandleCount(first.id));
    EXPECT_EQ(1u, simwin::OpenHandleCount(second.id));

    // A failed rebinding keeps the entry bound and closes what it replaced.
    simwin::UnplugController(second.id);
    EXPECT_EQ(static_cast<HRESULT>(ERROR_DEVICE_NOT_CONNECTED), Bind(0));
    EXPECT_EQ(1u, entry(0).bound.load());
    EXPECT_EQ(0, entry(0).joystickId.load());
    EXPECT_EQ(0u, simwin::OpenHandleCount(second.id));
}

TEST_F(DeviceBinding, DestructionEndsEveryControllerWithTheModelsFinalOutput) {
    TestController a = PlugAndBind(0, 0x02);
    TestController b = PlugAndBind(5);
    TestController unplugged = PlugAndBind(6);
    simwin::UnplugController(unplugged.id);
    ReleaseDriver();

    EXPECT_TRUE(simwin::ActiveTimers().empty());
    for (const TestController& c : {a, b, unplugged}) {
        EXPECT_EQ(0u, simwin::OpenHandleCount(c.id));
    }
    // The last reports each controller got (ticks may have written before).
    std::vector<std::vector<BYTE>> finalOutput =
        kModelProfile.model == DeviceModel::S
            ? std::vector<std::vector<BYTE>>{{0x02, 0xF3, 0, 0, 0, 0, 0, 0},
                                             {0x02, 0xFA, 0xFE, 0, 0, 0, 0, 0}}
            : std::vector<std::vector<BYTE>>{{0x02, 0, 0, 0, 0}};
    auto reports = simwin::WrittenReports(a.id);
    ASSERT_GE(reports.size(), finalOutput.size());
    for (size_t i = 0; i < finalOutput.size(); ++i) {
        EXPECT_EQ(finalOutput[i], reports[reports.size() - finalOutput.size() + i].bytes);
    }
    auto other = simwin::WrittenReports(b.id);
    ASSERT_GE(other.size(), finalOutput.size());
    EXPECT_EQ(0x00, other.back().bytes[0]) << "each with its own report id";
}

}  // namespace

#include <string>

#include "property_sheet/joystick_polling.h"
#include "property_sheet/sheet_device.h"
#include "sheet_device_fixture.h"

namespace {

using JoystickPolling = SheetDeviceTest;

DIJOYSTATE Filled(BYTE fill) {
    DIJOYSTATE state;
    std::memset(&state, fill, sizeof state);
    return state;
}

TEST_F(JoystickPolling, ConnectedAndValidFollowTheTwoResults) {
    ASSERT_EQ(OpenSheetDevice(Owner(), sheet_->get()), DI_OK);
    const DIJOYSTATE reading = Filled(0x11);
    simwin::SetJoystickState(Instance(), reading);
    struct Case {
        const char* what;
        HRESULT acquire;      // S_OK: as the joystick answers
        HRESULT deviceState;  // S_OK: as the joystick answers
        bool connected;
        bool readingValid;
    };
    const Case cases[] = {
        {"answers", S_OK, S_OK, true, true},
        {"already acquired", S_FALSE, S_OK, true, true},
        {"reading fails", S_OK, E_FAIL, true, false},
        {"reading lost", S_OK, DIERR_INPUTLOST, true, false},
        {"reading with another success code", S_OK, DI_POLLEDDEVICE, true, false},
        {"input lost", DIERR_INPUTLOST, S_OK, false, false},
        {"not acquired", DIERR_NOTACQUIRED, S_OK, false, false},
        {"another holds it", DIERR_OTHERAPPHASPRIO, S_OK, false, false},
        {"failure", E_FAIL, S_OK, false, false},
    };
    unsigned readings = 0;
    for (const Case& c : cases) {
        if (c.acquire != S_OK) {
            simwin::ScriptAcquire(Instance(), c.acquire);
        }
        if (c.deviceState != S_OK) {
            simwin::ScriptGetDeviceState(Instance(), c.deviceState);
        }
        DIJOYSTATE state = Filled(0xEE);
        const JoystickPoll poll = PollSheetJoystick(sheet_->get(), &state);
        EXPECT_EQ(poll.connected, c.connected) << c.what;
        EXPECT_EQ(poll.readingValid, c.readingValid) << c.what;
        const DIJOYSTATE expected = c.readingValid ? reading : Filled(0xEE);
        EXPECT_EQ(std::memcmp(&state, &expected, sizeof state), 0)
            << c.what << ": the record changes only with a valid reading";
        readings += c.connected ? 1 : 0;
        simwin::ClearJoystickScripts(Instance());
    }
    const simwin::DirectInputDeviceInfo info = simwin::DirectInputDevices()[0];
    EXPECT_EQ(info.getDeviceStateCalls, readings) << "read only when connected";
    EXPECT_EQ(info.pollCalls, 0u);
}

TEST_F(JoystickPolling, ASheetWithoutADeviceIsNotConnected) {
    DIJOYSTATE state = Filled(0xEE);
    const JoystickPoll poll = PollSheetJoystick(sheet_->get(), &state);
    EXPECT_FALSE(poll.connected);
    EXPECT_FALSE(poll.readingValid);
    EXPECT_EQ(state.lX, static_cast<LONG>(0xEEEEEEEE));
}

// A page with its connection text and warning icon; the icon starts
// hidden, as in the templates.
class ConnectionDisplayTest : public SheetDeviceTest {
  protected:
    void SetUp() override {
        SheetDeviceTest::SetUp();
        page_ = CreateWindowExA(0, WC_STATICA, "", WS_POPUP | WS_VISIBLE, 0, 0, 250, 220, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_NE(page_, nullptr);
        for (const Controls& controls : kPages) {
            CreateWindowExA(0, WC_STATICA, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 8, page_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controls.text)), nullptr,
                            nullptr);
            CreateWindowExA(0, WC_STATICA, "", WS_CHILD | SS_ICON, 0, 0, 20, 20, page_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controls.icon)), nullptr,
                            nullptr);
        }
    }
    void TearDown() override {
        DestroyWindow(page_);
        for (ConnectionPage kind : {ConnectionPage::FunctionTest, ConnectionPage::Calibration,
                                    ConnectionPage::VibrationTest}) {
            ForgetConnectionDisplay(kind);
        }
        SheetDeviceTest::TearDown();
    }

    std::string TextOf(int id) const {
        char text[128] = {};
        GetWindowTextA(GetDlgItem(page_, id), text, sizeof text);
        return text;
    }
    bool IconShown(int id) const { return IsWindowVisible(GetDlgItem(page_, id)) != FALSE; }

    struct Controls {
        ConnectionPage kind;
        int text;
        int icon;
    };
    static constexpr Controls kPages[] = {
        {ConnectionPage::FunctionTest, 1024, 1037},
        {ConnectionPage::Calibration, 1025, 1039},
        {ConnectionPage::VibrationTest, 1026, 1038},
    };

    HWND page_ = nullptr;
};

const char kConnected[] = "Your game controller is connected correctly.";
const char kNotConnected[] = "Your game controller is not connected correctly!";

TEST_F(ConnectionDisplayTest, EachPageShowsItsStateInItsOwnControls) {
    for (const Controls& page : kPages) {
        EXPECT_EQ(ConnectionDisplayOf(page.kind), kNothingShown);
        EXPECT_TRUE(ShowConnection(page_, page.kind, false));
        EXPECT_EQ(TextOf(page.text), kNotConnected);
        EXPECT_TRUE(IconShown(page.icon));
        EXPECT_EQ(ConnectionDisplayOf(page.kind), kNotConnectedShown);

        EXPECT_TRUE(ShowConnection(page_, page.kind, true));
        EXPECT_EQ(TextOf(page.text), kConnected);
        EXPECT_FALSE(IconShown(page.icon));
        EXPECT_EQ(ConnectionDisplayOf(page.kind), kConnectedShown);
    }
    // Each page's controls were touched by its own display only.
    ForgetConnectionDisplay(ConnectionPage::Calibration);
    EXPECT_TRUE(ShowConnection(page_, ConnectionPage::Calibration, false));
    EXPECT_EQ(TextOf(1024), kConnected);
    EXPECT_EQ(TextOf(1026), kConnected);
    EXPECT_FALSE(IconShown(1037));
    EXPECT_FALSE(IconShown(1038));
}

TEST_F(ConnectionDisplayTest, TheTextChangesOnlyWithTheState) {
    const ConnectionPage kind = ConnectionPage::FunctionTest;
    EXPECT_TRUE(ShowConnection(page_, kind, false));
    // Marks the controls: a repeated state must leave them alone.
    SetDlgItemTextA(page_, 1024, "marker");
    ShowWindow(GetDlgItem(page_, 1037), SW_HIDE);
    EXPECT_FALSE(ShowConnection(page_, kind, false));
    EXPECT_EQ(TextOf(1024), "marker");
    EXPECT_FALSE(IconShown(1037));

    EXPECT_TRUE(ShowConnection(page_, kind, true));
    SetDlgItemTextA(page_, 1024, "marker");
    EXPECT_FALSE(ShowConnection(page_, kind, true));
    EXPECT_EQ(TextOf(1024), "marker");

    // A destroyed page forgets what it showed; the next one shows its first
    // state even when it is the same.
    ForgetConnectionDisplay(kind);
    EXPECT_TRUE(ShowConnection(page_, kind, true));
    EXPECT_EQ(TextOf(1024), kConnected);
}

// The rule and the display together, as a page's ticks use them.
TEST_F(ConnectionDisplayTest, AnUnpluggedControllerIsShownOnceAndComesBack) {
    const simwin::ControllerId controller = [] {
        simwin::HidControllerSpec spec;
        spec.productId = 0x0051;
        spec.interfacePath =
            "\\\\?\\hid#vid_0000&pid_0051#1#{4d1e55b2-f16f-11cf-88cb-001111000030}";
        spec.directInputInstance = Instance();
        return simwin::AddHidController(spec);
    }();
    ASSERT_EQ(OpenSheetDevice(Owner(), sheet_->get()), DI_OK);
    const ConnectionPage kind = ConnectionPage::VibrationTest;
    auto tick = [&] {
        DIJOYSTATE state;
        const JoystickPoll poll = PollSheetJoystick(sheet_->get(), &state);
        return ShowConnection(page_, kind, poll.connected);
    };
    EXPECT_TRUE(tick());
    EXPECT_EQ(TextOf(1026), kConnected);
    EXPECT_FALSE(tick());

    simwin::UnplugController(controller);
    EXPECT_TRUE(tick());
    EXPECT_EQ(TextOf(1026), kNotConnected);
    EXPECT_TRUE(IconShown(1038));
    EXPECT_FALSE(tick());
    EXPECT_FALSE(tick());

    simwin::ReplugController(controller);
    EXPECT_TRUE(tick());
    EXPECT_EQ(TextOf(1026), kConnected);
    EXPECT_FALSE(IconShown(1038));
    EXPECT_EQ(simwin::DirectInputDevices()[0].pollCalls, 0u);
}

}  // namespace

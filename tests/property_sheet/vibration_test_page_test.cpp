// The Vibration Test page at the level of its messages: the effect it
// creates and what every tick sets on it, the 3800 ms button tests, the
// strength slider and "Amplify", the stick indicator, the connection text,
// and what activation, leaving and destruction do with the effect.
#include <commctrl.h>
#include <prsht.h>
#include <simwin/control.h>
#include <simwin/control_directinput.h>
#include <simwin/control_windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "page_fixture.h"
#include "profiles/selected_model.h"
#include "property_sheet/pages/vibration_test_page.h"
#include "property_sheet/sheet_device.h"

namespace {

constexpr bool kModelS = kModelProfile.model == DeviceModel::S;
constexpr UINT_PTR kTimer = 3;
constexpr DWORD kNow = 100000;
constexpr char kConnected[] = "Your game controller is connected correctly.";
constexpr char kNotConnected[] = "Your game controller is not connected correctly!";

constexpr int kStop = 1042;
constexpr int kLeft = 1043;
constexpr int kRight = 1044;
constexpr int kBoth = 1045;
constexpr int kIndicator = 1023;
constexpr int kSlider = 1027;
constexpr int kPercent = 1049;

std::string OemKeyPath() {
    char path[200];
    std::snprintf(path, sizeof path,
                  "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "Joystick\\OEM\\VID_%04X&PID_%04X",
                  kModelProfile.vendorId, kModelProfile.productId);
    return path;
}

// What one SetParameters asked of the effect.
struct Drive {
    LONG left;
    LONG right;
    LONG magnitude;
    bool operator==(const Drive& o) const {
        return left == o.left && right == o.right && magnitude == o.magnitude;
    }
};

std::ostream& operator<<(std::ostream& out, const Drive& d) {
    return out << "(" << d.left << ", " << d.right << ") magnitude " << d.magnitude;
}

DIJOYSTATE Stick(LONG x, LONG y) {
    DIJOYSTATE state = {};
    state.lX = x;
    state.lY = y;
    state.lZ = state.lRz = 32767;
    state.rgdwPOV[0] = state.rgdwPOV[1] = state.rgdwPOV[2] = state.rgdwPOV[3] = 0xFFFFFFFF;
    return state;
}

class VibrationTestPage : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        simwin::SetTime(kNow);
        simwin::SetJoystickState(Instance(), Stick(32768, 32768));
    }

    void CreateOemKey() {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, OemKeyPath().c_str(), &key));
        RegCloseKey(key);
    }
    void StoreAmplify(DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, OemKeyPath().c_str(), &key));
        RegSetValueExA(key, "Amplify", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
        RegCloseKey(key);
    }
    // "Amplify" as a REG_DWORD, or -1 when there is none.
    long long StoredAmplify() {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, OemKeyPath().c_str(), &key) != ERROR_SUCCESS) {
            return -1;
        }
        DWORD type = 0, value = 0, size = 4;
        const LSTATUS status = RegQueryValueExA(key, "Amplify", nullptr, &type,
                                                reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS && type == REG_DWORD && size == 4 ? value : -1;
    }

    void Open() { OpenPage(kVibrationTestRow); }

    // The page's effects, oldest first.
    static std::vector<simwin::DirectInputEffectInfo> Effects() {
        return simwin::DirectInputEffects();
    }
    static size_t LiveEffects() {
        size_t live = 0;
        for (const auto& effect : Effects()) {
            live += effect.released ? 0 : 1;
        }
        return live;
    }
    static std::vector<simwin::EffectCall> Calls() { return Effects().back().calls; }

    // One tick; what it set on the effect (the test fails when it set
    // nothing).
    Drive TickDrive() {
        const size_t before = Calls().size();
        Tick(kTimer);
        const std::vector<simwin::EffectCall> calls = Calls();
        for (size_t i = calls.size(); i > before; --i) {
            const simwin::EffectCall& call = calls[i - 1];
            if (call.kind == simwin::EffectCallKind::SetParameters) {
                const simwin::CapturedEffect& p = call.parameters;
                LONG magnitude = 0;
                std::memcpy(&magnitude, p.typeSpecific.data(), sizeof magnitude);
                return {p.directions.at(0), p.directions.at(1), magnitude};
            }
        }
        ADD_FAILURE() << "the tick set no parameters";
        return {-1, -1, -1};
    }

    void Click(int id) { ASSERT_TRUE(simwin::ClickButton(Item(id))); }

    LONG SliderPosition() const {
        return static_cast<LONG>(SendMessageA(Item(kSlider), TBM_GETPOS, 0, 0));
    }
    // The indicator's position as (horizontal, vertical).
    std::pair<SHORT, SHORT> Indicator() const {
        const auto value = static_cast<DWORD>(GetWindowLongA(Item(kIndicator), GWL_USERDATA));
        return {static_cast<SHORT>(value >> 16), static_cast<SHORT>(value & 0xFFFF)};
    }
};

TEST_F(VibrationTestPage, ActivationCreatesTheSilentEffectAndStartsIt) {
    Open();
    ASSERT_EQ(1u, Effects().size());
    const std::vector<simwin::EffectCall> calls = Calls();
    ASSERT_EQ(2u, calls.size());
    ASSERT_EQ(simwin::EffectCallKind::Create, calls[0].kind);
    ASSERT_TRUE(calls[0].hasParameters);
    const simwin::CapturedEffect& created = calls[0].parameters;
    EXPECT_EQ(sizeof(void*) == 8 ? 72u : 52u, created.size) << "the DirectX 5 record";
    EXPECT_EQ(0x12u, created.flags);
    EXPECT_EQ(INFINITE, created.duration);
    EXPECT_EQ(0u, created.samplePeriod);
    EXPECT_EQ(10000u, created.gain);
    EXPECT_EQ(0xFFFFFFFFu, created.triggerButton);
    EXPECT_EQ(0u, created.triggerRepeatInterval);
    EXPECT_EQ(std::vector<DWORD>({0, 4}), created.axes);
    EXPECT_EQ(std::vector<LONG>({0, 0}), created.directions);
    EXPECT_FALSE(created.hasEnvelope);
    EXPECT_EQ(std::vector<BYTE>(4, 0), created.typeSpecific);
    EXPECT_EQ(simwin::EffectCallKind::Start, calls[1].kind);
    EXPECT_EQ(1u, calls[1].iterations);
    EXPECT_EQ(0u, calls[1].flags);

    EXPECT_EQ(0, SendMessageA(Item(kSlider), TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(1200, SendMessageA(Item(kSlider), TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ((std::vector<std::pair<UINT_PTR, UINT>>{{kTimer, 10u}}), PageTimers());
}

TEST_F(VibrationTestPage, AnswersEachMessageAsTheSheetExpects) {
    Open();
    EXPECT_EQ(0, simwin::DialogInitResult(page()));
    NMHDR other = {GetParent(page()), 0, PSN_APPLY};
    EXPECT_EQ(TRUE,
              VibrationTestPageProcedure(page(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&other)));
    EXPECT_EQ(TRUE, VibrationTestPageProcedure(page(), WM_NOTIFY, 0, 0)) << "no header";
    EXPECT_EQ(0, VibrationTestPageProcedure(page(), WM_COMMAND, MAKEWPARAM(kLeft, BN_CLICKED),
                                            reinterpret_cast<LPARAM>(Item(kLeft))));
    EXPECT_EQ(0, VibrationTestPageProcedure(page(), WM_HSCROLL, TB_ENDTRACK,
                                            reinterpret_cast<LPARAM>(Item(kSlider))));
    EXPECT_EQ(0, VibrationTestPageProcedure(page(), WM_TIMER, 9, 0));
    EXPECT_EQ(kConnected, ItemText(1026)) << "a timer of any id ticks";
}

TEST_F(VibrationTestPage, ShowsTheStoredStrengthOrTheDriversDefault) {
    struct Case {
        const char* what;
        bool key;
        long long amplify;  // -1: none
        LONG position;
        const char* text;
    };
    const Case cases[] = {
        {"no key", false, -1, 1000, "83%"},
        {"no value", true, -1, 1000, "83%"},
        {"strongest", true, 1200, 1200, "100%"},
        {"half", true, 600, 600, "50%"},
        {"silent", true, 0, 0, "0%"},
    };
    for (const Case& c : cases) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, OemKeyPath().c_str());
        if (c.key) {
            CreateOemKey();
        }
        if (c.amplify >= 0) {
            StoreAmplify(static_cast<DWORD>(c.amplify));
        }
        Open();
        EXPECT_EQ(c.position, SliderPosition()) << c.what;
        EXPECT_EQ(c.text, ItemText(kPercent)) << c.what;
        ClosePage();
    }
}

TEST_F(VibrationTestPage, MovingTheSliderStoresAmplifyAndShowsItsPercentage) {
    CreateOemKey();
    Open();
    const size_t calls = Calls().size();
    struct Case {
        LONG position;
        const char* text;
    };
    for (const Case& c : {Case{1200, "100%"}, Case{599, "49%"}, Case{0, "0%"}, Case{11, "0%"}}) {
        ASSERT_TRUE(simwin::DragTrackbarThumb(Item(kSlider), c.position));
        EXPECT_EQ(c.position, StoredAmplify());
        EXPECT_EQ(c.text, ItemText(kPercent)) << c.position;
    }
    EXPECT_EQ(calls, Calls().size()) << "the effect is left alone";

    RegDeleteKeyA(HKEY_LOCAL_MACHINE, OemKeyPath().c_str());
    ASSERT_TRUE(simwin::DragTrackbarThumb(Item(kSlider), 700));
    EXPECT_EQ(-1, StoredAmplify()) << "the key is never created";
    EXPECT_EQ("0%", ItemText(kPercent)) << "nothing was stored, nothing changes";
}

TEST_F(VibrationTestPage, TheStickDrivesTheMotorsOutsideAQuarterOfItsTravel) {
    Open();
    struct Case {
        LONG lX, lY;
        Drive drive;
    };
    const Case cases[] = {
        {32768, 32768, {0, 0, 0}},
        {0, 32768, {10000, 0, 10000}},  // full left: x = -10000, the sign is dropped
        {65535, 32768, {9999, 0, 9999}},
        {32768, 0, {0, 10000, 10000}},     // up runs the right motor as down does
        {32768 + 8191, 32768, {0, 0, 0}},  // x = 2499: inside the dead zone
        {32768 + 8192, 32768, {2500, 0, 2500}},
        {32768 - 8192, 32768 + 8191, {2500, 0, 2500}},  // y = 2499 stays still
        {0, 65535, {10000, 9999, 14141}},
    };
    for (const Case& c : cases) {
        simwin::SetJoystickState(Instance(), Stick(c.lX, c.lY));
        EXPECT_EQ(c.drive, TickDrive()) << c.lX << ", " << c.lY;
    }
    const std::vector<simwin::EffectCall> calls = Calls();
    const simwin::EffectCall& last = calls.back();
    EXPECT_EQ(0x20000140u, last.flags);
    EXPECT_EQ(0x12u, last.parameters.flags);
    EXPECT_EQ(2u, last.parameters.axisCount);
    EXPECT_FALSE(last.parameters.hasEnvelope);
    EXPECT_EQ(4u, last.parameters.typeSpecific.size());
    EXPECT_EQ(simwin::EffectCallKind::Start, calls[calls.size() - 2].kind)
        << "each tick starts the effect before it sets it";
}

TEST_F(VibrationTestPage, AButtonTestRunsItsMotorsFor3800Milliseconds) {
    struct Case {
        int button;
        Drive drive;
    };
    const Case cases[] = {
        {kLeft, {10000, 0, 10000}},
        {kRight, {0, 10000, 10000}},
        {kBoth, {10000, 10000, 14142}},
    };
    Open();
    simwin::SetJoystickState(Instance(), Stick(0, 32768));  // the stick would run the left motor
    for (const Case& c : cases) {
        simwin::SetTime(kNow);
        const size_t before = Calls().size();
        Click(c.button);
        ASSERT_EQ(before + 1, Calls().size());
        EXPECT_EQ(simwin::EffectCallKind::Start, Calls().back().kind) << "the click starts it";
        EXPECT_EQ(c.drive, TickDrive()) << c.button;
        simwin::SetTime(kNow + 3800);
        EXPECT_EQ(c.drive, TickDrive()) << c.button << " at 3800 ms";
        simwin::SetTime(kNow + 3801);
        EXPECT_EQ((Drive{10000, 0, 10000}), TickDrive()) << c.button << " back to the stick";
    }
}

TEST_F(VibrationTestPage, AClickDuringATestRestartsItsWindow) {
    Open();
    Click(kLeft);
    simwin::SetTime(kNow + 2000);
    Click(kLeft);
    simwin::SetTime(kNow + 5800);
    EXPECT_EQ((Drive{10000, 0, 10000}), TickDrive());
    simwin::SetTime(kNow + 5801);
    EXPECT_EQ((Drive{0, 0, 0}), TickDrive());

    // Any button restarts it, whichever test ran.
    simwin::SetTime(kNow + 10000);
    Click(kLeft);
    simwin::SetTime(kNow + 13000);
    Click(kBoth);
    simwin::SetTime(kNow + 16800);
    EXPECT_EQ((Drive{10000, 10000, 14142}), TickDrive());
}

TEST_F(VibrationTestPage, StopEndsATestAndOtherwiseChangesNothing) {
    Open();
    simwin::SetJoystickState(Instance(), Stick(32768, 65535));
    EXPECT_EQ((Drive{0, 9999, 9999}), TickDrive());
    const size_t before = Calls().size();
    Click(kStop);
    EXPECT_EQ(before, Calls().size()) << "the effect is not touched";
    EXPECT_EQ((Drive{0, 9999, 9999}), TickDrive());

    Click(kBoth);
    EXPECT_EQ((Drive{10000, 10000, 14142}), TickDrive());
    Click(kStop);
    EXPECT_EQ((Drive{0, 9999, 9999}), TickDrive()) << "back to the stick at once";
}

TEST_F(VibrationTestPage, TheIndicatorShowsTheStickSnappedToItsEdgesAndOnlyOnChange) {
    Open();
    struct Case {
        LONG lX, lY;
        SHORT x, y;
    };
    const Case cases[] = {
        {0, 32768, -10000, 0},        {61440, 32768, 10000, 0},  // x = 8750
        {61439, 4096, 8749, -10000},                             // x = 8749.7, y = -8750
        {32768 + 1, 65535, 0, 10000},                            // x = 0.3 truncates to 0
        {32767, 32768 - 1, 0, 0},                                // -0.3 truncates to 0 as well
    };
    for (const Case& c : cases) {
        simwin::SetJoystickState(Instance(), Stick(c.lX, c.lY));
        Tick(kTimer);
        EXPECT_EQ(std::make_pair(c.x, c.y), Indicator()) << c.lX << ", " << c.lY;
    }
    // Held beyond the snap point: drawn at the edge once, then left alone.
    simwin::SetJoystickState(Instance(), Stick(65535, 32768));
    simwin::ClearInvalidAreas();
    Tick(kTimer);
    EXPECT_FALSE(simwin::InvalidAreas(Item(kIndicator)).empty());
    simwin::ClearInvalidAreas();
    Tick(kTimer);
    simwin::SetJoystickState(Instance(), Stick(63000, 32768));  // another value, same edge
    Tick(kTimer);
    EXPECT_TRUE(simwin::InvalidAreas(Item(kIndicator)).empty());
}

TEST_F(VibrationTestPage, ControllerThatStopsAnsweringShowsItOnceAndEndsTheTest) {
    Open();
    Click(kBoth);
    EXPECT_EQ((Drive{10000, 10000, 14142}), TickDrive());
    EXPECT_EQ(kConnected, ItemText(1026));
    EXPECT_FALSE(ItemShown(1038));

    simwin::ScriptAcquire(Instance(), DIERR_UNPLUGGED, simwin::ScriptScope::EveryCall);
    const size_t before = Calls().size();
    Tick(kTimer);
    EXPECT_EQ(kNotConnected, ItemText(1026));
    EXPECT_TRUE(ItemShown(1038));
    SetWindowTextA(Item(1026), "unchanged");
    Tick(kTimer);
    EXPECT_EQ("unchanged", ItemText(1026)) << "shown once, not on every tick";
    EXPECT_EQ(before, Calls().size()) << "nothing is sent to a controller that does not answer";

    simwin::ClearJoystickScripts(Instance());
    EXPECT_EQ((Drive{0, 0, 0}), TickDrive()) << "the test ended; the stick rests";
    EXPECT_EQ(kConnected, ItemText(1026));
    EXPECT_FALSE(ItemShown(1038));
}

// Readings that keep failing while the controller answers must not leave
// the motors running: a test still ends on time, and the stick counts as
// resting.
TEST_F(VibrationTestPage, FailingReadingsNeverLeaveTheMotorsRunning) {
    Open();
    simwin::SetJoystickState(Instance(), Stick(0, 0));
    EXPECT_EQ((Drive{10000, 10000, 14142}), TickDrive());
    simwin::ScriptGetDeviceState(Instance(), E_FAIL, simwin::ScriptScope::EveryCall);
    EXPECT_EQ((Drive{0, 0, 0}), TickDrive()) << "stick-driven: still";
    EXPECT_EQ(std::make_pair(SHORT{0}, SHORT{0}), Indicator()) << "the indicator is centred";
    EXPECT_EQ(kConnected, ItemText(1026));

    Click(kRight);
    EXPECT_EQ((Drive{0, 10000, 10000}), TickDrive()) << "a button test does not need the stick";
    simwin::SetTime(kNow + 3800);
    EXPECT_EQ((Drive{0, 10000, 10000}), TickDrive());
    simwin::SetTime(kNow + 3801);
    EXPECT_EQ((Drive{0, 0, 0}), TickDrive()) << "and ends on time";
}

TEST_F(VibrationTestPage, LeavingThePageStopsTheTicksAndKeepsTheEffectAsTheModelDoes) {
    Open();
    Click(kLeft);
    const unsigned unacquires = simwin::DirectInputDevices()[0].unacquireCalls;
    LeavePage();
    EXPECT_TRUE(PageTimers().empty());
    EXPECT_EQ(unacquires + 1, simwin::DirectInputDevices()[0].unacquireCalls);
    // Model S gives its effect up; model T keeps it until the page returns.
    EXPECT_EQ(kModelS ? 0u : 1u, LiveEffects());

    ReturnToPage();
    ASSERT_EQ(2u, Effects().size());
    EXPECT_TRUE(Effects()[0].released) << "replaced on return";
    EXPECT_EQ(1u, LiveEffects());
    EXPECT_EQ((Drive{0, 0, 0}), TickDrive()) << "the left test ended when the page was left";

    ClosePage();
    EXPECT_EQ(0u, LiveEffects());
    EXPECT_TRUE(simwin::WindowTimers().empty());
}

TEST_F(VibrationTestPage, ANewPageShowsTheConnectionAtItsFirstTick) {
    Open();
    Tick(kTimer);
    ClosePage();
    Open();
    Tick(kTimer);
    EXPECT_EQ(kConnected, ItemText(1026));
}

TEST_F(VibrationTestPage, PageWithoutAnEffectKeepsStillOrShowsTheController) {
    // The effect cannot be created: the page stays still.
    simwin::FailCall("CreateEffect", 1, DIERR_DEVICEFULL);
    Open();
    EXPECT_TRUE(Effects().empty());
    EXPECT_TRUE(PageTimers().empty());
    ClosePage();

    // No device at all: the first tick shows that nothing answers, then the
    // ticks rest, since nothing can answer until another page opens a
    // device.
    sheet_->SetID(kJoystick + 1);
    ReopenSheetDevice(Owner(), sheet_->get());
    Open();
    EXPECT_EQ(TRUE, simwin::DialogInitResult(page()));
    EXPECT_EQ((std::vector<std::pair<UINT_PTR, UINT>>{{kTimer, 10u}}), PageTimers());
    Tick(kTimer);
    EXPECT_EQ(kNotConnected, ItemText(1026));
    EXPECT_TRUE(ItemShown(1038));
    EXPECT_TRUE(PageTimers().empty());
    // The slider still runs over the driver's scale and shows the strength
    // on it, so that a move stores a strength of that scale.
    EXPECT_EQ(1200, SendMessageA(Item(kSlider), TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(1000, SliderPosition());
}

// The Calibration page replaces the sheet's device while this page is not
// shown; leaving and closing this page must reach the new device and never
// the one that was released.
TEST_F(VibrationTestPage, ADeviceReplacedWhileThePageIsHiddenIsNeverUsedAfterItsRelease) {
    Open();
    LeavePage();
    ASSERT_EQ(S_OK, ReopenSheetDevice(Owner(), sheet_->get()));
    ReturnToPage();
    Tick(kTimer);
    ClosePage();
    EXPECT_EQ(0u, simwin::DirectInputReleaseErrors());
    ASSERT_EQ(2u, simwin::DirectInputDevices().size());
    EXPECT_EQ(1u, simwin::DirectInputDevices()[1].unacquireCalls);
}

}  // namespace

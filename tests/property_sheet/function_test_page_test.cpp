// The Function Test page at the level of its messages: its timer, its
// connection text, and which indicators each reading reaches.
//
// The page's previous reading is module-wide and outlives every page, so
// each test first shows the page a known reading and looks only at what
// later readings change.
#include <prsht.h>
#include <simwin/control_directinput.h>
#include <simwin/control_system.h>
#include <simwin/control_windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "page_fixture.h"
#include "property_sheet/controller_sheet.h"
#include "profiles/selected_model.h"
#include "property_sheet/pages/function_test_page.h"

namespace {

constexpr bool kModelS = kModelProfile.model == DeviceModel::S;
constexpr UINT_PTR kTimer = 1;
constexpr COLORREF kPressed = RGB(255, 0, 0);
constexpr COLORREF kReleased = RGB(150, 0, 0);
constexpr char kConnected[] = "Your game controller is connected correctly.";
constexpr char kNotConnected[] = "Your game controller is not connected correctly!";

const std::vector<int> kIndicators = {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007,
                                      1008, 1009, 1010, 1011, 1012, 1013, 1014};

DIJOYSTATE Resting() {
    DIJOYSTATE state = {};
    state.lX = state.lY = state.lZ = state.lRx = state.lRy = state.lRz = 32767;
    for (DWORD& pov : state.rgdwPOV) {
        pov = 0xFFFFFFFF;
    }
    return state;
}

DWORD Packed(LONG horizontal, LONG vertical) {
    return (static_cast<DWORD>(horizontal) << 16) | (static_cast<DWORD>(vertical) & 0xFFFF);
}

class FunctionTestPage : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        OpenPage(kFunctionTestRow);
    }

    // Shows the page `reading` and forgets what that redrew.
    void Settle(const DIJOYSTATE& reading) {
        simwin::SetJoystickState(Instance(), reading);
        Tick(kTimer);
        simwin::ClearInvalidAreas();
    }

    // One tick with `reading`; the indicators it redrew, in id order.
    std::vector<int> TickWith(const DIJOYSTATE& reading) {
        simwin::SetJoystickState(Instance(), reading);
        simwin::ClearInvalidAreas();
        Tick(kTimer);
        return Redrawn();
    }

    std::vector<int> Redrawn() const {
        std::vector<int> redrawn;
        for (int id : kIndicators) {
            if (!simwin::InvalidAreas(Item(id)).empty()) {
                redrawn.push_back(id);
            }
        }
        return redrawn;
    }

    DWORD Value(int id) const { return static_cast<DWORD>(GetWindowLongA(Item(id), GWL_USERDATA)); }
};

TEST_F(FunctionTestPage, TicksRunOnlyWhileThePageIsTheActiveTab) {
    using Timers = std::vector<std::pair<UINT_PTR, UINT>>;
    EXPECT_EQ(Timers({{kTimer, 10u}}), PageTimers()) << "shown first";
    LeavePage();
    EXPECT_EQ(Timers(), PageTimers());
    ReturnToPage();
    EXPECT_EQ(Timers({{kTimer, 10u}}), PageTimers());
    EXPECT_EQ(1u, simwin::DirectInputDevices().size()) << "returning does not reopen the device";
    ClosePage();
    EXPECT_TRUE(simwin::WindowTimers().empty());
}

TEST_F(FunctionTestPage, AnswersEachMessageAsTheSheetExpects) {
    EXPECT_EQ(0, simwin::DialogInitResult(page())) << "the default result once the device opened";
    for (UINT code : {PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, static_cast<UINT>(-12)}) {
        NMHDR header = {GetParent(page()), 0, code};
        EXPECT_EQ(TRUE, FunctionTestPageProcedure(page(), WM_NOTIFY, 0,
                                                  reinterpret_cast<LPARAM>(&header)))
            << code;
    }
    EXPECT_EQ(TRUE, FunctionTestPageProcedure(page(), WM_NOTIFY, 0, 0)) << "no header";
    EXPECT_EQ(0, FunctionTestPageProcedure(page(), WM_TIMER, 7, 0));
    EXPECT_EQ(kConnected, ItemText(1024)) << "a timer of any id ticks";
}

TEST_F(FunctionTestPage, ASheetPointerThatCannotBeReadChangesNothing) {
    Settle(Resting());
    const unsigned acquires = simwin::DirectInputDevices()[0].acquireCalls;
    DIJOYSTATE moved = Resting();
    moved.lX = 0;
    simwin::SetJoystickState(Instance(), moved);
    EXPECT_EQ(E_POINTER, UpdateFunctionTest(page(), nullptr));
    // Only the sheet object's last byte is unreadable.
    const BYTE* sheet = reinterpret_cast<const BYTE*>(sheet_->get());
    simwin::DeclareUnreadable(sheet + ControllerSheetObjectSize() - 1, 1);
    EXPECT_EQ(E_POINTER, UpdateFunctionTest(page(), sheet_->get()));
    simwin::ClearDeclaredMemory();
    EXPECT_EQ(acquires, simwin::DirectInputDevices()[0].acquireCalls);
    EXPECT_EQ(std::vector<int>(), Redrawn());
    EXPECT_EQ(S_OK, UpdateFunctionTest(page(), sheet_->get()));
    EXPECT_EQ(std::vector<int>({1012}), Redrawn());
}

TEST_F(FunctionTestPage, LampsAreLitOnlyWhenTheirButtonChanges) {
    Settle(Resting());
    for (int id = 1000; id <= 1011; ++id) {
        EXPECT_EQ(kReleased, Value(id)) << id;
    }
    struct Case {
        int button;  // 0-based
        BYTE state;
        bool shown;
    };
    const Case cases[] = {
        {0, 0x80, true},   {1, 0x01, true},   {2, 0xFF, true},
        {11, 0x40, true},  {12, 0x80, false},  // buttons from 13 on have no lamp
        {31, 0x80, false},
    };
    DIJOYSTATE pressed = Resting();
    for (const Case& c : cases) {
        pressed.rgbButtons[c.button] = c.state;
    }
    EXPECT_EQ(std::vector<int>({1000, 1001, 1002, 1011}), TickWith(pressed));
    for (const Case& c : cases) {
        if (c.shown) {
            EXPECT_EQ(kPressed, Value(1000 + c.button))
                << "any non-zero byte is pressed: " << int{c.state};
        }
    }
    EXPECT_EQ(kReleased, Value(1003));
    EXPECT_EQ(std::vector<int>(), TickWith(pressed)) << "held buttons are not sent again";

    DIJOYSTATE other = pressed;
    other.rgbButtons[0] = 0x01;  // still pressed, another byte: sent again, same colour
    other.rgbButtons[1] = 0x00;
    EXPECT_EQ(std::vector<int>({1000, 1001}), TickWith(other));
    EXPECT_EQ(kPressed, Value(1000));
    EXPECT_EQ(kReleased, Value(1001));
}

TEST_F(FunctionTestPage, EachIndicatorIsRedrawnOnlyWhenItsOwnAxesChange) {
    struct Case {
        const char* what;
        void (*change)(DIJOYSTATE&);
        std::vector<int> redrawn;
    };
    const Case cases[] = {
        {"X", [](DIJOYSTATE& s) { s.lX = 100; }, {1012}},
        {"Y", [](DIJOYSTATE& s) { s.lY = 65535; }, {1012}},
        {"Z", [](DIJOYSTATE& s) { s.lZ = 1000; }, {1013}},
        {"Rz", [](DIJOYSTATE& s) { s.lRz = 2000; }, {1013}},
        {"hat", [](DIJOYSTATE& s) { s.rgdwPOV[0] = 9000; }, {1014}},
        {"Rx", [](DIJOYSTATE& s) { s.lRx = 0; }, {}},
        {"Ry", [](DIJOYSTATE& s) { s.lRy = 0; }, {}},
        {"sliders", [](DIJOYSTATE& s) { s.rglSlider[0] = s.rglSlider[1] = 500; }, {}},
        {"hats 2 to 4", [](DIJOYSTATE& s) { s.rgdwPOV[1] = s.rgdwPOV[2] = s.rgdwPOV[3] = 0; }, {}},
    };
    for (const Case& c : cases) {
        Settle(Resting());
        DIJOYSTATE moved = Resting();
        c.change(moved);
        EXPECT_EQ(c.redrawn, TickWith(moved)) << c.what;
        EXPECT_EQ(std::vector<int>(), TickWith(moved)) << c.what << ", held";
    }
}

TEST_F(FunctionTestPage, IndicatorsShowTheModelsAxes) {
    Settle(Resting());
    DIJOYSTATE moved = Resting();
    moved.lX = 100;
    moved.lY = 200;
    moved.lZ = 300;
    moved.lRz = 400;
    moved.rgdwPOV[0] = 9000;
    TickWith(moved);
    EXPECT_EQ(Packed(100, 200), Value(1012));
    // Model S shows Z across and Rz up and down; model T the other way.
    EXPECT_EQ(kModelS ? Packed(300, 400) : Packed(400, 300), Value(1013));
    EXPECT_EQ(0x00642328u, Value(1014)) << "right, at the ring's full size";

    moved.lZ = 65535;  // Z alone
    TickWith(moved);
    EXPECT_EQ(kModelS ? Packed(65535, 400) : Packed(400, 65535), Value(1013));
}

TEST_F(FunctionTestPage, ConnectionTextChangesOnlyWithTheConnection) {
    struct Step {
        HRESULT acquire;
        const char* text;
        bool iconShown;
    };
    const Step steps[] = {
        {DI_OK, kConnected, false},
        {S_FALSE, kConnected, false},  // already acquired
        {DIERR_INPUTLOST, kNotConnected, true},
        {DIERR_UNPLUGGED, kNotConnected, true},
        {DI_OK, kConnected, false},
    };
    std::string shown;
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& step = steps[i];
        // The page's own text stands in place of whatever a tick that does
        // not change the state would have to leave alone.
        SetWindowTextA(Item(1024), "unchanged");
        simwin::ScriptAcquire(Instance(), step.acquire);
        Tick(kTimer);
        const bool changed = shown != step.text;
        EXPECT_EQ(changed ? step.text : "unchanged", ItemText(1024)) << i;
        EXPECT_EQ(step.iconShown, ItemShown(1037)) << i;
        shown = step.text;
    }
}

TEST_F(FunctionTestPage, ReadingsThatDoNotArriveAreNotRemembered) {
    Settle(Resting());
    DIJOYSTATE moved = Resting();
    moved.lX = 0;
    moved.rgbButtons[4] = 0x80;

    simwin::ScriptAcquire(Instance(), DIERR_INPUTLOST);
    EXPECT_EQ(std::vector<int>(), TickWith(moved)) << "not connected";
    simwin::ScriptGetDeviceState(Instance(), DIERR_INPUTLOST);
    EXPECT_EQ(std::vector<int>(), TickWith(moved)) << "no reading";
    EXPECT_EQ(std::vector<int>({1004, 1012}), TickWith(moved))
        << "compared with the last reading that arrived";
    EXPECT_EQ(Packed(0, 32767), Value(1012));
}

using FunctionTestPageWithoutController = PageTest;

TEST_F(FunctionTestPageWithoutController, LampsStayBlackAndTheTicksShowNothingAnswers) {
    sheet_->SetID(kJoystick + 1);  // not in DirectInput's joystick table
    OpenPage(kFunctionTestRow);
    EXPECT_EQ(TRUE, simwin::DialogInitResult(page()));
    for (int id = 1000; id <= 1011; ++id) {
        EXPECT_EQ(0, GetWindowLongA(Item(id), GWL_USERDATA)) << id;
    }
    Tick(kTimer);
    EXPECT_EQ(kNotConnected, ItemText(1024));
    EXPECT_TRUE(ItemShown(1037));
    // Nothing can answer until another page opens a device: the ticks rest
    // until the page is shown again.
    EXPECT_TRUE(PageTimers().empty());
    LeavePage();
    ReturnToPage();
    EXPECT_EQ((std::vector<std::pair<UINT_PTR, UINT>>{{kTimer, 10u}}), PageTimers());
    SetWindowTextA(Item(1024), "unchanged");
    Tick(kTimer);
    EXPECT_EQ("unchanged", ItemText(1024)) << "set once, not on every tick";
}

}  // namespace

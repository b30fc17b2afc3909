// The property sheet in a real window with a controller attached: the
// polling pages see it, the Function Test indicators follow what the player
// does, the Vibration Test page runs the motors through the effect driver,
// and the Calibration page's "Set" writes nothing on a Windows that has no
// place for calibration.
#include "shown_controller_sheet.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "calibration_places.h"
#include "model_reports.h"

namespace windows_test {
namespace {

using Sheet = ShownControllerSheet;

struct PollingPage {
    const char* name;
    UINT tab;
    int statusText;
    int warningIcon;
};
constexpr PollingPage kPollingPages[] = {
    {"Function Test", kFunctionTestTab, 1024, 1037},
    {"Calibration", kCalibrationTab, 1025, 1039},
    {"Vibration Test", kVibrationTestTab, 1026, 1038},
};

TEST_F(Sheet, PollingPagesShowTheControllerConnected) {
    Open(kFunctionTestTab);
    for (const PollingPage& polling : kPollingPages) {
        SCOPED_TRACE(polling.name);
        ASSERT_NE(nullptr, Visit(polling.tab));
        EXPECT_TRUE(PumpUntilText(polling.statusText, kConnectedText))
            << "shows "
            << testing::PrintToString(WindowText(GetDlgItem(page(), polling.statusText)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(page(), polling.warningIcon)))
            << "the warning icon shows while the controller answers";
    }
}

TEST_F(Sheet, ConnectionStateFollowsUnplugAndReplug) {
    Open(kFunctionTestTab);
    const PollingPage& polling = kPollingPages[0];
    ASSERT_TRUE(PumpUntilText(polling.statusText, kConnectedText));

    ASSERT_TRUE(controller_.Unplug());
    EXPECT_TRUE(PumpUntilText(polling.statusText, kNotConnectedText)) << "unplug went unnoticed";
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page(), polling.warningIcon)));

    ASSERT_TRUE(controller_.Replug());
    EXPECT_TRUE(PumpUntilText(polling.statusText, kConnectedText)) << "replug went unnoticed";
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page(), polling.warningIcon)));
}

// What the Function Test page's indicators hold: lamps their fill colour,
// the axes their position (horizontal in the high half), the hat its
// direction (low half) and arrow size (high half).
DWORD IndicatorValue(HWND page, int item) {
    return static_cast<DWORD>(GetWindowLongPtrW(GetDlgItem(page, item), GWLP_USERDATA));
}

constexpr int kFirstLamp = 1000;
constexpr int kLeftAxes = 1012;
constexpr int kRightAxes = 1013;
constexpr int kHat = 1014;
constexpr COLORREF kLit = RGB(255, 0, 0);
constexpr COLORREF kDim = RGB(150, 0, 0);

// The right indicator shows Z and Rz; which of them is horizontal is the
// model's choice.
DWORD RightAxesValue(DWORD z, DWORD rz) {
    return kModelProfile.rightIndicatorAxes == RightIndicatorAxes::ZThenRz ? (z << 16) | rz
                                                                           : (rz << 16) | z;
}

// The share of the lamp's pixels on screen that have `color`: its fill
// covers most of it, its number and rim the rest.
double LampShare(HWND page, int item, COLORREF color) {
    HWND lamp = GetDlgItem(page, item);
    RedrawWindow(lamp, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client;
    GetClientRect(lamp, &client);
    HDC dc = GetDC(lamp);
    int matching = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            matching += GetPixel(dc, x, y) == color ? 1 : 0;
        }
    }
    ReleaseDC(lamp, dc);
    const int all = client.right * client.bottom;
    return all > 0 ? static_cast<double>(matching) / all : 0.0;
}

TEST_F(Sheet, FunctionTestIndicatorsFollowTheController) {
    struct Case {
        const char* what;
        standin::InputState input;
        std::vector<int> pressed;  // 0-based buttons
        DWORD left;
        DWORD right;
        DWORD hat;
    };
    Case cases[] = {
        {"left stick right and up, right stick left and down, hat right",
         AxesInput(255, 0, 0, 255),
         {0, 4, 11},
         0xFFFF0000,
         RightAxesValue(0, 0xFFFF),
         (100u << 16) | 9000},
        {"left stick left and down, right stick right and up, hat left",
         AxesInput(0, 255, 255, 0),
         {1, 2, 3, 5, 6, 7, 8, 9, 10},
         0x0000FFFF,
         RightAxesValue(0xFFFF, 0),
         (100u << 16) | 27000},
    };
    cases[0].input.hat = 9000;
    cases[1].input.hat = 27000;

    Open(kFunctionTestTab);
    ASSERT_TRUE(PumpUntilText(1024, kConnectedText));
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int button : c.pressed) {
            c.input.buttons[button] = 1;
        }
        ASSERT_TRUE(controller_.SetInput(c.input));
        EXPECT_TRUE(PumpUntil([&] { return IndicatorValue(page(), kHat) == c.hat; }))
            << "hat shows " << std::hex << IndicatorValue(page(), kHat);
        EXPECT_TRUE(PumpUntil([&] {
            return IndicatorValue(page(), kLeftAxes) == c.left &&
                   IndicatorValue(page(), kRightAxes) == c.right;
        })) << "axes show "
            << std::hex << IndicatorValue(page(), kLeftAxes) << " and "
            << IndicatorValue(page(), kRightAxes);
        for (int button = 0; button < 12; ++button) {
            const bool pressed =
                std::find(c.pressed.begin(), c.pressed.end(), button) != c.pressed.end();
            EXPECT_EQ(pressed ? kLit : kDim, IndicatorValue(page(), kFirstLamp + button))
                << "lamp " << button + 1;
        }
        // What the lamps hold is what they show.
        const int lit = kFirstLamp + c.pressed.front();
        EXPECT_GT(LampShare(page(), lit, kLit), 0.3) << "lamp " << lit - kFirstLamp + 1;
        EXPECT_EQ(0.0, LampShare(page(), lit, kDim)) << "lamp " << lit - kFirstLamp + 1;
        for (int button = 0; button < 12; ++button) {
            if (std::find(c.pressed.begin(), c.pressed.end(), button) == c.pressed.end()) {
                EXPECT_GT(LampShare(page(), kFirstLamp + button, kDim), 0.3)
                    << "lamp " << button + 1;
                EXPECT_EQ(0.0, LampShare(page(), kFirstLamp + button, kLit))
                    << "lamp " << button + 1;
                break;
            }
        }
    }

    // Let go: every lamp dims, the hat centres, the sticks come back to the
    // middle (the runtime's dead zone decides the exact reading).
    ASSERT_TRUE(controller_.SetInput(standin::CentredInput()));
    EXPECT_TRUE(PumpUntil([&] { return (IndicatorValue(page(), kHat) & 0xFFFF) >= 36000; }));
    EXPECT_TRUE(PumpUntil([&] {
        for (int item : {kLeftAxes, kRightAxes}) {
            const DWORD value = IndicatorValue(page(), item);
            for (DWORD half : {value >> 16, value & 0xFFFF}) {
                if (half < 32768 - 1024 || half > 32768 + 1024) {
                    return false;
                }
            }
        }
        return true;
    })) << "sticks show "
        << std::hex << IndicatorValue(page(), kLeftAxes) << " and "
        << IndicatorValue(page(), kRightAxes);
    for (int button = 0; button < 12; ++button) {
        EXPECT_EQ(kDim, IndicatorValue(page(), kFirstLamp + button)) << "lamp " << button + 1;
    }
}

constexpr int kStrengthSlider = 1027;
constexpr int kBothButton = 1045;
constexpr int kStopButton = 1042;

TEST_F(Sheet, VibrationTestRunsTheMotorsThroughTheDriver) {
    Open(kVibrationTestTab);
    ASSERT_TRUE(PumpUntilText(1026, kConnectedText));
    struct Case {
        DWORD strength;
        ReportBytes expected;
    } cases[] = {
        {1000, BothForceReport()},
        {500, HalfBothForceReport()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "strength " << c.strength);
        // The slider moved as a person moves it: the trackbar's position,
        // then its notification to the page.
        HWND slider = GetDlgItem(page(), kStrengthSlider);
        SendMessageW(slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(c.strength));
        SendMessageW(page(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                     reinterpret_cast<LPARAM>(slider));
        const auto amplify = ReadRegistryValue(OemKeyPath(), "Amplify");
        ASSERT_TRUE(amplify.has_value()) << "the slider wrote no strength";
        EXPECT_EQ((std::vector<BYTE>{static_cast<BYTE>(c.strength),
                                     static_cast<BYTE>(c.strength >> 8), 0, 0}),
                  *amplify);

        controller_.SkipReceived();
        const double clicked = ModuleClockMs();
        Click(kBothButton);
        const auto report = controller_.WaitForReport(
            [&](const ReceivedOutput& r) { return r.bytes == c.expected; }, kPageTimeoutMs,
            [this] { Pump(); });
        ASSERT_TRUE(report.has_value()) << "\"Both force\" never reached the controller";
        std::printf(
            "\"Both force\" at strength %lu reached the controller %.1f ms (%.1f ticks) "
            "after the click\n",
            static_cast<unsigned long>(c.strength), report->timeMs - clicked,
            (report->timeMs - clicked) / kModelProfile.playbackPeriodMs);
        std::fflush(stdout);

        // "Stop" hands the motors back to the centred stick: they rest.
        Click(kStopButton);
        EXPECT_TRUE(controller_.WaitForReport(
            [](const ReceivedOutput& r) { return r.bytes == RestingReport(); }, kPageTimeoutMs,
            [this] { Pump(); }))
            << "\"Stop\" did not still the motors";
    }
}

TEST_F(Sheet, CalibrationSetWritesNothingWhereWindowsHasNoPlaceForIt) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    ASSERT_GE(version.dwMajorVersion, 6u)
        << "the runtime reports Windows " << version.dwMajorVersion << "." << version.dwMinorVersion
        << " to this program; this test is about the newer ones";

    Open(kCalibrationTab);
    ASSERT_TRUE(PumpUntilText(1025, kConnectedText));
    const GUID instance = JoystickInstance();
    ASSERT_FALSE(IsEqualGUID(GUID_NULL, instance));
    for (CalibrationPlace place : kCalibrationPlaces) {
        ASSERT_TRUE(CalibrationKey(place, instance).has_value())
            << "DirectInput keeps no " << PlaceName(place) << " for the joystick";
        ClearAxisCalibration(place, instance);
    }

    ASSERT_TRUE(SweepAxes().has_value()) << "the page did not follow the sticks";
    Click(1022);  // "Set"
    for (CalibrationPlace place : kCalibrationPlaces) {
        SCOPED_TRACE(PlaceName(place));
        for (const char* axis : kCalibratedAxes) {
            EXPECT_FALSE(ReadAxisCalibration(place, instance, axis).has_value())
                << "axis " << axis << " has a calibration";
        }
    }
}

}  // namespace
}  // namespace windows_test

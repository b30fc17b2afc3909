#include "property_sheet/pages/vibration_test_page.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <prsht.h>

#include "profiles/selected_model.h"
#include "property_sheet/controller_sheet.h"
#include "property_sheet/controls/axes_control.h"
#include "property_sheet/joystick_polling.h"
#include "property_sheet/pages/stick_position.h"
#include "property_sheet/pages/strength_setting.h"
#include "property_sheet/pages/vibration_effect.h"
#include "property_sheet/sheet_device.h"

namespace {

constexpr UINT_PTR kPageTimer = 3;
constexpr UINT kTickMs = 10;
// A button test runs its motors this long; up to and including it the test
// goes on.
constexpr DWORD kButtonTestMs = 3800;
constexpr LONG kFullStrength = 10000;

constexpr int kStopButton = 1042;
constexpr int kLeftButton = 1043;
constexpr int kRightButton = 1044;
constexpr int kBothButton = 1045;
constexpr int kStickIndicator = 1023;
constexpr int kStrengthSlider = 1027;
constexpr int kStrengthText = 1049;

enum class VibrationMode { Axis = 0, Left = 1, Both = 2, Right = 3 };

struct VibrationPageState {
    IDIGameCntrlPropSheet* sheet;
    IDirectInputEffect* effect;
    VibrationMode mode;
    DWORD testStart;  // timeGetTime at the button; 0 when no test runs
    StickPosition lastShown;
};

VibrationPageState g_page = {nullptr, nullptr, VibrationMode::Axis, 0, {0, 0}};

void EndButtonTest() {
    g_page.mode = VibrationMode::Axis;
    g_page.testStart = 0;
}

bool SheetUsable() {
    return !IsBadReadPtr(g_page.sheet, ControllerSheetObjectSize());
}

// The sheet's device now, or none. The Calibration page may have replaced
// it since this page last looked, and the one it replaced is gone, so the
// page never keeps a device from one message to the next.
IDirectInputDevice2A* CurrentDevice() {
    IDirectInputDevice2A* device = nullptr;
    if (SheetUsable()) {
        IDIGameCntrlPropSheet_GetInputDevice(g_page.sheet, &device);
    }
    return device;
}

void ReleaseEffect() {
    if (g_page.effect != nullptr) {
        IDirectInputEffect_Release(g_page.effect);
        g_page.effect = nullptr;
    }
}

void ShowStrength(HWND page, DWORD strength) {
    char text[16];
    FormatStrengthPercent(strength, text, sizeof text);
    SetDlgItemTextA(page, kStrengthText, text);
}

MotorPair MotorPairFor(StickPosition stick) {
    switch (g_page.mode) {
        case VibrationMode::Left:
            return {kFullStrength, 0};
        case VibrationMode::Both:
            return {kFullStrength, kFullStrength};
        case VibrationMode::Right:
            return {0, kFullStrength};
        case VibrationMode::Axis:
            break;
    }
    return {stick.x, stick.y};
}

void ShowStick(HWND page, StickPosition stick) {
    // Compared as shown: a stick held beyond the snap point is shown at the
    // edge once, not redrawn on every tick.
    const StickPosition shown = IndicatorPosition(stick);
    if (shown != g_page.lastShown) {
        SetAxesPosition(page, kStickIndicator, shown.x, shown.y);
        g_page.lastShown = shown;
    }
}

void Tick(HWND page) {
    if (!SheetUsable()) {
        return;
    }
    DIJOYSTATE reading;
    const JoystickPoll poll = PollSheetJoystick(g_page.sheet, &reading);
    if (!poll.connected) {
        // The effect is left alone: without the device acquired DirectInput
        // plays nothing, and the first tick that finds the controller again
        // rewrites it.
        if (ShowConnection(page, ConnectionPage::VibrationTest, false)) {
            EndButtonTest();
        }
        if (TicksCanRest(poll)) {
            KillTimer(page, kPageTimer);
        }
        return;
    }
    ShowConnection(page, ConnectionPage::VibrationTest, true);

    // A reading that fails counts as a centred stick, and the rest of the
    // tick still runs: a button test still ends on time, and in the
    // stick-driven mode the motors are set still rather than left running
    // at the last strength for as long as the readings keep failing.
    const StickPosition stick = poll.readingValid ? StickDeflection(reading) : StickPosition{0, 0};
    if (g_page.mode != VibrationMode::Axis && timeGetTime() - g_page.testStart > kButtonTestMs) {
        EndButtonTest();
    }
    const MotorPair pair = MotorPairFor(stick);
    if (g_page.effect != nullptr) {
        StartVibrationEffect(g_page.effect);
        DriveVibrationEffect(g_page.effect, pair);
    }
    ShowStick(page, stick);
}

INT_PTR Initialize(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* description = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    // A page created without its description has no sheet; opening the
    // device then fails on the sheet pointer.
    g_page.sheet = description != nullptr
                       ? reinterpret_cast<IDIGameCntrlPropSheet*>(description->lParam)
                       : nullptr;
    SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(g_page.sheet));
    // The slider gets the driver's scale whether or not the controller
    // answers: the strength can be set without it, and a position on the
    // platform's default scale of 0..100 would be stored as a strength.
    SendDlgItemMessageA(page, kStrengthSlider, TBM_SETRANGE, TRUE,
                        MAKELPARAM(0, kStrongestStrength));
    if (FAILED(OpenSheetDevice(GetParent(page), g_page.sheet))) {
        return TRUE;
    }
    EndButtonTest();
    return DefWindowProcA(page, message, wParam, lParam);
}

void Activate(HWND page) {
    IDirectInputDevice2A* device = CurrentDevice();
    SetTimer(page, kPageTimer, kTickMs, nullptr);
    ReleaseEffect();
    // Without a device there is nothing to create; the timer goes on so
    // that the ticks show that the controller does not answer.
    if (device != nullptr) {
        if (SUCCEEDED(CreateVibrationEffect(device, &g_page.effect))) {
            StartVibrationEffect(g_page.effect);
        } else {
            g_page.effect = nullptr;
            KillTimer(page, kPageTimer);
        }
    }
    // Until a strength has been stored the driver applies its default, so
    // that is what the page shows.
    DWORD strength = kDriverDefaultStrength;
    ReadStrengthSetting(&strength);
    ShowStrength(page, strength);
    SendDlgItemMessageA(page, kStrengthSlider, TBM_SETPOS, TRUE, static_cast<LPARAM>(strength));
    EndButtonTest();
}

void Deactivate(HWND page) {
    IDirectInputDevice2A* device = CurrentDevice();
    if (device != nullptr) {
        IDirectInputDevice2_Unacquire(device);
    }
    KillTimer(page, kPageTimer);
    if (kModelProfile.vibrationPageReleasesEffectOnLeave) {
        ReleaseEffect();
    }
    EndButtonTest();
}

void Destroy(HWND page) {
    IDirectInputDevice2A* device = CurrentDevice();
    if (device != nullptr) {
        IDirectInputDevice2_Unacquire(device);
    }
    KillTimer(page, kPageTimer);
    ReleaseEffect();
    ForgetConnectionDisplay(ConnectionPage::VibrationTest);
    EndButtonTest();
}

void StartButtonTest(VibrationMode mode) {
    g_page.mode = mode;
    g_page.testStart = timeGetTime();
    if (g_page.effect != nullptr) {
        StartVibrationEffect(g_page.effect);
    }
}

void Command(int id) {
    switch (id) {
        case kLeftButton:
            StartButtonTest(VibrationMode::Left);
            break;
        case kRightButton:
            StartButtonTest(VibrationMode::Right);
            break;
        case kBothButton:
            StartButtonTest(VibrationMode::Both);
            break;
        case kStopButton:
            EndButtonTest();
            break;
        default:
            break;
    }
}

void StoreStrength(HWND page) {
    const auto position =
        static_cast<DWORD>(SendDlgItemMessageA(page, kStrengthSlider, TBM_GETPOS, 0, 0));
    if (WriteStrengthSetting(position)) {
        ShowStrength(page, position);
    }
}

}  // namespace

INT_PTR CALLBACK VibrationTestPageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return Initialize(page, message, wParam, lParam);
        case WM_NOTIFY: {
            // A notification without its header carries nothing to act on.
            const UINT code = lParam != 0 ? reinterpret_cast<const NMHDR*>(lParam)->code : 0;
            if (code == PSN_SETACTIVE) {
                Activate(page);
            } else if (code == PSN_KILLACTIVE) {
                Deactivate(page);
            }
            return TRUE;
        }
        case WM_DESTROY:
            Destroy(page);
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                Command(LOWORD(wParam));
            }
            break;
        case WM_HSCROLL:
            StoreStrength(page);
            break;
        case WM_TIMER:
            Tick(page);
            break;
        default:
            break;
    }
    return DefWindowProcA(page, message, wParam, lParam);
}

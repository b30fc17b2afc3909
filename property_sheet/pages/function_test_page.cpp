#include "property_sheet/pages/function_test_page.h"

#include <prsht.h>

#include "profiles/selected_model.h"
#include "property_sheet/controller_sheet.h"
#include "property_sheet/controls/axes_control.h"
#include "property_sheet/controls/lamp_control.h"
#include "property_sheet/controls/pov_control.h"
#include "property_sheet/joystick_polling.h"
#include "property_sheet/sheet_device.h"

namespace {

constexpr UINT_PTR kPageTimer = 1;
constexpr UINT kTickMs = 10;

constexpr int kShownButtons = 12;
constexpr int kFirstLamp = 1000;
constexpr int kLeftIndicator = 1012;
constexpr int kRightIndicator = 1013;
constexpr int kHatIndicator = 1014;
// The arrow is drawn at the ring's full size whatever the hat's direction.
constexpr LONG kHatArrowSize = 100;

constexpr COLORREF kPressed = RGB(255, 0, 0);
constexpr COLORREF kReleased = RGB(150, 0, 0);

IDIGameCntrlPropSheet* g_sheet = nullptr;
// The last valid reading, all zero at load.
DIJOYSTATE g_previous = {};

void ShowRightIndicator(HWND page, const DIJOYSTATE& reading) {
    if (kModelProfile.rightIndicatorAxes == RightIndicatorAxes::ZThenRz) {
        SetAxesPosition(page, kRightIndicator, reading.lZ, reading.lRz);
    } else {
        SetAxesPosition(page, kRightIndicator, reading.lRz, reading.lZ);
    }
}

void ShowChanges(HWND page, const DIJOYSTATE& reading) {
    for (int i = 0; i < kShownButtons; ++i) {
        if (reading.rgbButtons[i] != g_previous.rgbButtons[i]) {
            SetLampColor(page, kFirstLamp + i, reading.rgbButtons[i] != 0 ? kPressed : kReleased);
        }
    }
    if (reading.lX != g_previous.lX || reading.lY != g_previous.lY) {
        SetAxesPosition(page, kLeftIndicator, reading.lX, reading.lY);
    }
    if (reading.lZ != g_previous.lZ || reading.lRz != g_previous.lRz) {
        ShowRightIndicator(page, reading);
    }
    if (reading.rgdwPOV[0] != g_previous.rgdwPOV[0]) {
        SetPovDirection(page, kHatIndicator, reading.rgdwPOV[0], kHatArrowSize, kHatArrowSize);
    }
}

INT_PTR Initialize(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* description = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    // A page created without its description has no sheet; opening the
    // device then fails on the sheet pointer.
    g_sheet = description != nullptr ? reinterpret_cast<IDIGameCntrlPropSheet*>(description->lParam)
                                     : nullptr;
    if (FAILED(OpenSheetDevice(GetParent(page), g_sheet))) {
        // The lamps stay black; the ticks show that nothing answers.
        return TRUE;
    }
    for (int i = 0; i < kShownButtons; ++i) {
        SetLampColor(page, kFirstLamp + i, kReleased);
    }
    return DefWindowProcA(page, message, wParam, lParam);
}

void Notify(HWND page, const NMHDR& header) {
    if (header.code == PSN_SETACTIVE) {
        SetTimer(page, kPageTimer, kTickMs, nullptr);
    } else if (header.code == PSN_KILLACTIVE) {
        KillTimer(page, kPageTimer);
    }
}

}  // namespace

HRESULT UpdateFunctionTest(HWND page, IDIGameCntrlPropSheet* sheet) {
    if (IsBadReadPtr(sheet, ControllerSheetObjectSize())) {
        return E_POINTER;
    }
    DIJOYSTATE reading;
    const JoystickPoll poll = PollSheetJoystick(sheet, &reading);
    ShowConnection(page, ConnectionPage::FunctionTest, poll.connected);
    if (TicksCanRest(poll)) {
        KillTimer(page, kPageTimer);
    }
    if (!poll.connected || !poll.readingValid) {
        return S_OK;
    }
    ShowChanges(page, reading);
    g_previous = reading;
    return S_OK;
}

INT_PTR CALLBACK FunctionTestPageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return Initialize(page, message, wParam, lParam);
        case WM_NOTIFY:
            // A notification without its header carries nothing to act on.
            if (lParam != 0) {
                Notify(page, *reinterpret_cast<const NMHDR*>(lParam));
            }
            return TRUE;
        case WM_TIMER:
            UpdateFunctionTest(page, g_sheet);
            return DefWindowProcA(page, message, wParam, lParam);
        case WM_DESTROY:
            KillTimer(page, kPageTimer);
            ForgetConnectionDisplay(ConnectionPage::FunctionTest);
            return DefWindowProcA(page, message, wParam, lParam);
        default:
            return DefWindowProcA(page, message, wParam, lParam);
    }
}

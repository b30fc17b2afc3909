#include "property_sheet/pages/calibration_page.h"

#include <prsht.h>

#include <cstdio>
#include <cstring>

#include <dinput.h>
#include <dinputd.h>

#include "profiles/selected_model.h"
#include "property_sheet/apply_calibration.h"
#include "property_sheet/controller_sheet.h"
#include "property_sheet/controls/axes_control.h"
#include "property_sheet/joystick_polling.h"
#include "property_sheet/module_state.h"
#include "property_sheet/sheet_device.h"

namespace {

constexpr UINT_PTR kPageTimer = 2;
constexpr UINT kTickMs = 10;

constexpr int kLeftIndicator = 1012;
constexpr int kRightIndicator = 1013;
constexpr WORD kDefaultButton = 1021;
constexpr WORD kSetButton = 1022;

// Calibration is kept on the scale 0..255: a reading's high byte.
constexpr LONG kScaleShift = 8;
constexpr DWORD kFullMinimum = 0;
constexpr DWORD kFullMaximum = 255;
constexpr DWORD kMiddle = 128;

struct Axis {
    LONG DIJOYSTATE::*reading;
    DWORD JOYPOS::*member;
    int numberItem;
};

// X, Y, Z, Rz: the four axes the page shows and calibrates.
constexpr Axis kAxes[] = {
    {&DIJOYSTATE::lX, &JOYPOS::dwX, 1016},
    {&DIJOYSTATE::lY, &JOYPOS::dwY, 1017},
    {&DIJOYSTATE::lZ, &JOYPOS::dwZ, 1018},
    {&DIJOYSTATE::lRz, &JOYPOS::dwR, 1019},
};
constexpr int kAxisCount = sizeof kAxes / sizeof kAxes[0];

constexpr bool kKeepsSweep =
    kModelProfile.calibrationSetRange == CalibrationSetRange::SweptSinceLastPress;

struct Sweep {
    // Signed, so that an empty sweep (minimum 255, maximum 0) compares as
    // empty.
    LONG minimum[kAxisCount];
    LONG maximum[kAxisCount];
};

constexpr Sweep kEmptySweep = {
    {255, 255, 255, 255},
    {0, 0, 0, 0},
};

IDIGameCntrlPropSheet* g_sheet = nullptr;
// The configuration being edited; only its hardware range changes here.
DIJOYCONFIG_DX5 g_record = {};
// The previous valid reading, all zero at load.
DIJOYSTATE g_previous = {};
Sweep g_sweep = kEmptySweep;

JOYRANGE& Range() {
    return g_record.hwc.hwv.jrvHardware;
}

LONG Scaled(const DIJOYSTATE& reading, const Axis& axis) {
    return reading.*axis.reading >> kScaleShift;
}

UINT JoystickIndex(IDIGameCntrlPropSheet* sheet) {
    // The control panel's 16-bit id is a signed joystick number.
    return static_cast<UINT>(
        static_cast<INT>(static_cast<SHORT>(IDIGameCntrlPropSheet_GetID(sheet))));
}

void SetRange(DWORD minimum, DWORD centre, DWORD maximum) {
    for (const Axis& axis : kAxes) {
        Range().jpMin.*axis.member = minimum;
        Range().jpCenter.*axis.member = centre;
        Range().jpMax.*axis.member = maximum;
    }
}

bool IsUsableSheet(IDIGameCntrlPropSheet* sheet) {
    return sheet != nullptr && !IsBadReadPtr(sheet, ControllerSheetObjectSize());
}

// Reads the joystick's hardware configuration into the record and seeds
// its range. False when the configuration cannot be read: the range is
// then left unseeded.
bool ReadConfiguration(IDIGameCntrlPropSheet* sheet) {
    IDirectInputJoyConfig* joyConfig = nullptr;
    IDIGameCntrlPropSheet_GetJoyConfigObject(sheet, &joyConfig);
    if (joyConfig == nullptr) {
        return false;
    }
    // Nothing of another sheet's joystick may survive into this one's.
    std::memset(&g_record, 0, sizeof g_record);
    g_record.dwSize = sizeof g_record;
    IDirectInputJoyConfig_Acquire(joyConfig);
    const HRESULT read = IDirectInputJoyConfig_GetConfig(joyConfig, JoystickIndex(sheet),
                                                         reinterpret_cast<LPDIJOYCONFIG>(&g_record),
                                                         DIJC_REGHWCONFIGTYPE);
    IDirectInputJoyConfig_Unacquire(joyConfig);
    if (FAILED(read)) {
        return false;
    }
    // 128 lies inside every range, so model S's widening starts from the
    // middle and grows only as far as the stick goes.
    SetRange(kMiddle, kMiddle, kMiddle);
    return true;
}

INT_PTR Initialize(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* description = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    // A page created without its description has no sheet; opening the
    // device then fails on the sheet pointer.
    g_sheet = description != nullptr ? reinterpret_cast<IDIGameCntrlPropSheet*>(description->lParam)
                                     : nullptr;
    SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(g_sheet));
    if (FAILED(OpenSheetDevice(GetParent(page), g_sheet))) {
        // The ticks show that nothing answers.
        return TRUE;
    }
    if (!ReadConfiguration(g_sheet)) {
        return 0;
    }
    return DefWindowProcA(page, message, wParam, lParam);
}

void ShowIndicatorChanges(HWND page, const DIJOYSTATE& reading) {
    if (reading.lX != g_previous.lX || reading.lY != g_previous.lY) {
        SetAxesPosition(page, kLeftIndicator, reading.lX, reading.lY);
    }
    if (reading.lZ != g_previous.lZ || reading.lRz != g_previous.lRz) {
        if (kModelProfile.rightIndicatorAxes == RightIndicatorAxes::ZThenRz) {
            SetAxesPosition(page, kRightIndicator, reading.lZ, reading.lRz);
        } else {
            SetAxesPosition(page, kRightIndicator, reading.lRz, reading.lZ);
        }
    }
}

// Model S: the record's range only ever grows. The SheetLock keeps the
// record out of reach of a device (re)opening in the middle of it.
void WidenRange(const DIJOYSTATE& reading) {
    EnterSheetLock();
    for (const Axis& axis : kAxes) {
        const auto scaled = static_cast<DWORD>(Scaled(reading, axis));
        DWORD& minimum = Range().jpMin.*axis.member;
        DWORD& maximum = Range().jpMax.*axis.member;
        if (scaled < minimum) {
            minimum = scaled;
        }
        if (scaled > maximum) {
            maximum = scaled;
        }
    }
    LeaveSheetLock();
}

void ExtendSweep(const DIJOYSTATE& reading) {
    for (int i = 0; i < kAxisCount; ++i) {
        const LONG scaled = Scaled(reading, kAxes[i]);
        if (scaled < g_sweep.minimum[i]) {
            g_sweep.minimum[i] = scaled;
        }
        if (scaled > g_sweep.maximum[i]) {
            g_sweep.maximum[i] = scaled;
        }
    }
}

void Tick(HWND page) {
    if (!IsUsableSheet(g_sheet)) {
        return;
    }
    DIJOYSTATE reading;
    const JoystickPoll poll = PollSheetJoystick(g_sheet, &reading);
    ShowConnection(page, ConnectionPage::Calibration, poll.connected);
    if (TicksCanRest(poll)) {
        KillTimer(page, kPageTimer);
    }
    // Without a fresh reading there is nothing to show or to calibrate by.
    if (!poll.connected || !poll.readingValid) {
        return;
    }
    ShowIndicatorChanges(page, reading);
    if (!kKeepsSweep) {
        WidenRange(reading);
    }
    for (const Axis& axis : kAxes) {
        Range().jpCenter.*axis.member = static_cast<DWORD>(Scaled(reading, axis));
    }
    if (kKeepsSweep) {
        ExtendSweep(reading);
    }
    for (const Axis& axis : kAxes) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", static_cast<int>(Scaled(reading, axis)));
        SetDlgItemTextA(page, axis.numberItem, number);
    }
    g_previous = reading;
}

void WriteRecord(HWND page) {
    if (ApplyCalibration(g_record, g_sheet)) {
        ReopenSheetDevice(GetParent(page), g_sheet);
    }
}

void PressDefault(HWND page) {
    SetRange(kFullMinimum, kMiddle, kFullMaximum);
    WriteRecord(page);
    if (kKeepsSweep) {
        g_sweep = kEmptySweep;
    }
}

bool RangeIsOrdered() {
    for (const Axis& axis : kAxes) {
        if (Range().jpMin.*axis.member > Range().jpMax.*axis.member) {
            return false;
        }
    }
    return true;
}

bool SweepIsEmpty() {
    for (int i = 0; i < kAxisCount; ++i) {
        if (g_sweep.minimum[i] > g_sweep.maximum[i]) {
            return true;
        }
    }
    return false;
}

// "Set" pressed before any reading was swept since the last press (or
// before any reading at all) has no range to offer. Rather than invent one
// (a zero-wide range would leave the axis dead), it writes nothing and
// keeps the calibration the system already has; the record keeps its
// range, and the device is not reopened. Every tick extends all four axes
// together, so the sweep is either empty on every axis or on none.
void PressSet(HWND page) {
    if (kKeepsSweep) {
        if (SweepIsEmpty()) {
            return;
        }
        for (int i = 0; i < kAxisCount; ++i) {
            Range().jpMin.*kAxes[i].member = static_cast<DWORD>(g_sweep.minimum[i]);
            Range().jpMax.*kAxes[i].member = static_cast<DWORD>(g_sweep.maximum[i]);
        }
    }
    if (RangeIsOrdered()) {
        WriteRecord(page);
    }
    if (kKeepsSweep) {
        g_sweep = kEmptySweep;
    }
}

void Notify(HWND page, const NMHDR& header) {
    if (header.code == PSN_SETACTIVE) {
        SetTimer(page, kPageTimer, kTickMs, nullptr);
    } else if (header.code == PSN_KILLACTIVE) {
        KillTimer(page, kPageTimer);
    }
}

void Command(HWND page, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) {
        return;
    }
    if (LOWORD(wParam) == kDefaultButton) {
        PressDefault(page);
    } else if (LOWORD(wParam) == kSetButton) {
        PressSet(page);
    }
}

}  // namespace

INT_PTR CALLBACK CalibrationPageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
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
            Tick(page);
            return DefWindowProcA(page, message, wParam, lParam);
        case WM_COMMAND:
            Command(page, wParam);
            return DefWindowProcA(page, message, wParam, lParam);
        case WM_DESTROY:
            KillTimer(page, kPageTimer);
            ForgetConnectionDisplay(ConnectionPage::Calibration);
            return DefWindowProcA(page, message, wParam, lParam);
        default:
            return DefWindowProcA(page, message, wParam, lParam);
    }
}

// How the pages read the shared joystick on each timer tick, and how they
// show whether it answers.
//
// The controller counts as connected when the device's Acquire answers
// DI_OK or S_FALSE (already acquired); a sheet without a device is not
// connected. A reading is valid only when GetDeviceState answers exactly
// DI_OK. Poll is never called: the joystick needs no polling and the pages
// must not depend on it.
//
// Each page kind keeps a module-wide connection display state (0 nothing
// shown yet, 1 connected shown, 2 not connected shown), so the status text
// and the warning icon change only when the state does; the page puts it
// back to 0 when its window is destroyed, and a new page shows its first
// tick's state.
#pragma once

#include <windows.h>
#include <dinput.h>

#include "property_sheet/controller_sheet_interface.h"

struct JoystickPoll {
    bool hasDevice;
    bool connected;
    bool readingValid;  // `*state` holds a new reading
};

// A sheet without a device cannot answer until a page opens one, and pages
// open it only when they are created, which happens while the page that
// polls is hidden; its next activation starts its ticks again. So a page
// whose tick found no device and showed that stops its ticks: they would
// only repeat it, at the cost of a timer message every 10 ms.
inline bool TicksCanRest(const JoystickPoll& poll) {
    return !poll.hasDevice;
}

// One tick's reading of the sheet's device; `*state` changes only when the
// reading is valid.
JoystickPoll PollSheetJoystick(IDIGameCntrlPropSheet* sheet, DIJOYSTATE* state);

// The connection test alone: the sheet has a device and it acquires.
bool SheetJoystickAnswers(IDIGameCntrlPropSheet* sheet);

enum class ConnectionPage { FunctionTest, Calibration, VibrationTest };

enum ConnectionDisplay { kNothingShown = 0, kConnectedShown = 1, kNotConnectedShown = 2 };

// Shows the connection state in the page's status text and warning icon if
// it differs from what the page shows. True when the display changed.
bool ShowConnection(HWND page, ConnectionPage kind, bool connected);
// At the page's WM_DESTROY.
void ForgetConnectionDisplay(ConnectionPage kind);
ConnectionDisplay ConnectionDisplayOf(ConnectionPage kind);

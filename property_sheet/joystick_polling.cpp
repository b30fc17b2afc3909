#include "property_sheet/joystick_polling.h"

namespace {

constexpr char kConnectedText[] = "Your game controller is connected correctly.";
constexpr char kNotConnectedText[] = "Your game controller is not connected correctly!";

struct ConnectionControls {
    int statusText;
    int warningIcon;
};

// By ConnectionPage.
constexpr ConnectionControls kControls[] = {
    {1024, 1037},  // Function Test
    {1025, 1039},  // Calibration
    {1026, 1038},  // Vibration Test
};

ConnectionDisplay g_displays[] = {kNothingShown, kNothingShown, kNothingShown};

size_t IndexOf(ConnectionPage kind) {
    return static_cast<size_t>(kind);
}

}  // namespace

namespace {

// The connection test: Acquire answers DI_OK, or S_FALSE when the device was
// acquired already.
bool DeviceAnswers(IDirectInputDevice2A* device) {
    if (device == nullptr) {
        return false;
    }
    const HRESULT acquired = IDirectInputDevice2_Acquire(device);
    return acquired == DI_OK || acquired == S_FALSE;
}

IDirectInputDevice2A* SheetDevice(IDIGameCntrlPropSheet* sheet) {
    IDirectInputDevice2A* device = nullptr;
    IDIGameCntrlPropSheet_GetInputDevice(sheet, &device);
    return device;
}

}  // namespace

bool SheetJoystickAnswers(IDIGameCntrlPropSheet* sheet) {
    return DeviceAnswers(SheetDevice(sheet));
}

JoystickPoll PollSheetJoystick(IDIGameCntrlPropSheet* sheet, DIJOYSTATE* state) {
    IDirectInputDevice2A* device = SheetDevice(sheet);
    JoystickPoll poll = {device != nullptr, DeviceAnswers(device), false};
    if (poll.connected) {
        // Read aside: the caller's record keeps the last valid reading, and
        // other success codes do not promise a complete one.
        DIJOYSTATE reading;
        poll.readingValid =
            IDirectInputDevice2_GetDeviceState(device, sizeof reading, &reading) == DI_OK;
        if (poll.readingValid) {
            *state = reading;
        }
    }
    return poll;
}

bool ShowConnection(HWND page, ConnectionPage kind, bool connected) {
    ConnectionDisplay& shown = g_displays[IndexOf(kind)];
    const ConnectionDisplay wanted = connected ? kConnectedShown : kNotConnectedShown;
    if (shown == wanted) {
        return false;
    }
    const ConnectionControls& controls = kControls[IndexOf(kind)];
    SetDlgItemTextA(page, controls.statusText, connected ? kConnectedText : kNotConnectedText);
    ShowWindow(GetDlgItem(page, controls.warningIcon), connected ? SW_HIDE : SW_SHOW);
    shown = wanted;
    return true;
}

void ForgetConnectionDisplay(ConnectionPage kind) {
    g_displays[IndexOf(kind)] = kNothingShown;
}

ConnectionDisplay ConnectionDisplayOf(ConnectionPage kind) {
    return g_displays[IndexOf(kind)];
}

// The standard joystick data format, c_dfDIJoystick, and the table whose
// entries stand for DirectInput's predefined properties (see MAKEDIPROP in
// directinput_devices.h).
//
// c_dfDIJoystick describes DIJOYSTATE object by object: the six axes, the
// two sliders, the four points of view and the 32 buttons, 44 objects in
// all, each optional so that a joystick with fewer objects still matches,
// with absolute axes and an 80-byte record.
#include "simwin/directinput_devices.h"

namespace {

constexpr DWORD kAnyAxis = DIDFT_OPTIONAL | DIDFT_AXIS | DIDFT_ANYINSTANCE;
constexpr DWORD kAnyPov = DIDFT_OPTIONAL | DIDFT_POV | DIDFT_ANYINSTANCE;
constexpr DWORD kAnyButton = DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE;

constexpr DWORD kJoystickObjects = 44;

// Writable only because the record's member is not declared const.
DIOBJECTDATAFORMAT g_joystick_objects[kJoystickObjects] = {
    {&GUID_XAxis, DIJOFS_X, kAnyAxis, DIDOI_ASPECTPOSITION},
    {&GUID_YAxis, DIJOFS_Y, kAnyAxis, DIDOI_ASPECTPOSITION},
    {&GUID_ZAxis, DIJOFS_Z, kAnyAxis, DIDOI_ASPECTPOSITION},
    {&GUID_RxAxis, DIJOFS_RX, kAnyAxis, DIDOI_ASPECTPOSITION},
    {&GUID_RyAxis, DIJOFS_RY, kAnyAxis, DIDOI_ASPECTPOSITION},
    {&GUID_RzAxis, DIJOFS_RZ, kAnyAxis, DIDOI_ASPECTPOSITION},
    {&GUID_Slider, DIJOFS_SLIDER(0), kAnyAxis, DIDOI_ASPECTPOSITION},
    {&GUID_Slider, DIJOFS_SLIDER(1), kAnyAxis, DIDOI_ASPECTPOSITION},
    {&GUID_POV, DIJOFS_POV(0), kAnyPov, 0},
    {&GUID_POV, DIJOFS_POV(1), kAnyPov, 0},
    {&GUID_POV, DIJOFS_POV(2), kAnyPov, 0},
    {&GUID_POV, DIJOFS_POV(3), kAnyPov, 0},
    // Buttons take any button object, so they name no object type.
    {nullptr, DIJOFS_BUTTON(0), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(1), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(2), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(3), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(4), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(5), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(6), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(7), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(8), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(9), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(10), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(11), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(12), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(13), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(14), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(15), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(16), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(17), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(18), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(19), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(20), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(21), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(22), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(23), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(24), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(25), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(26), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(27), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(28), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(29), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(30), kAnyButton, 0},
    {nullptr, DIJOFS_BUTTON(31), kAnyButton, 0},
};

}  // namespace

extern "C" {

const DIDATAFORMAT c_dfDIJoystick = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS,
    sizeof(DIJOYSTATE),   kJoystickObjects,           g_joystick_objects,
};

// Only the addresses matter; the contents tell the entries apart when a
// debugger shows one.
#define SIMWIN_PROPERTY(n)                     \
    {                                          \
        n, 0, 0, {                             \
            'D', 'I', 'P', 'R', 'O', 'P', 0, 0 \
        }                                      \
    }
const GUID SimwinPredefinedProperties[SIMWIN_PREDEFINED_PROPERTY_COUNT] = {
    SIMWIN_PROPERTY(0),  SIMWIN_PROPERTY(1),  SIMWIN_PROPERTY(2),  SIMWIN_PROPERTY(3),
    SIMWIN_PROPERTY(4),  SIMWIN_PROPERTY(5),  SIMWIN_PROPERTY(6),  SIMWIN_PROPERTY(7),
    SIMWIN_PROPERTY(8),  SIMWIN_PROPERTY(9),  SIMWIN_PROPERTY(10), SIMWIN_PROPERTY(11),
    SIMWIN_PROPERTY(12), SIMWIN_PROPERTY(13), SIMWIN_PROPERTY(14), SIMWIN_PROPERTY(15),
    SIMWIN_PROPERTY(16), SIMWIN_PROPERTY(17), SIMWIN_PROPERTY(18), SIMWIN_PROPERTY(19),
    SIMWIN_PROPERTY(20), SIMWIN_PROPERTY(21), SIMWIN_PROPERTY(22), SIMWIN_PROPERTY(23),
    SIMWIN_PROPERTY(24), SIMWIN_PROPERTY(25), SIMWIN_PROPERTY(26), SIMWIN_PROPERTY(27),
    SIMWIN_PROPERTY(28), SIMWIN_PROPERTY(29), SIMWIN_PROPERTY(30), SIMWIN_PROPERTY(31),
};
#undef SIMWIN_PROPERTY

}  // extern "C"

#include "tools/standin_controller/dinput/joystick_objects.h"

#include <cstddef>

namespace standin_dinput {

namespace {

constexpr DWORD ButtonOffset(DWORD n) {
    return static_cast<DWORD>(offsetof(DIJOYSTATE, rgbButtons)) + n;
}

const JoystickObject kObjects[] = {
    {ObjectKind::Axis, 0, DIJOFS_X, &GUID_XAxis, "X Axis", true},
    {ObjectKind::Axis, 1, DIJOFS_Y, &GUID_YAxis, "Y Axis", true},
    {ObjectKind::Axis, 2, DIJOFS_Z, &GUID_ZAxis, "Z Axis", false},
    {ObjectKind::Axis, 3, DIJOFS_RZ, &GUID_RzAxis, "Z Rotation", false},
    {ObjectKind::Hat, 0, DIJOFS_POV(0), &GUID_POV, "Hat Switch", false},
    {ObjectKind::Button, 0, ButtonOffset(0), &GUID_Button, "Button 0", false},
    {ObjectKind::Button, 1, ButtonOffset(1), &GUID_Button, "Button 1", false},
    {ObjectKind::Button, 2, ButtonOffset(2), &GUID_Button, "Button 2", false},
    {ObjectKind::Button, 3, ButtonOffset(3), &GUID_Button, "Button 3", false},
    {ObjectKind::Button, 4, ButtonOffset(4), &GUID_Button, "Button 4", false},
    {ObjectKind::Button, 5, ButtonOffset(5), &GUID_Button, "Button 5", false},
    {ObjectKind::Button, 6, ButtonOffset(6), &GUID_Button, "Button 6", false},
    {ObjectKind::Button, 7, ButtonOffset(7), &GUID_Button, "Button 7", false},
    {ObjectKind::Button, 8, ButtonOffset(8), &GUID_Button, "Button 8", false},
    {ObjectKind::Button, 9, ButtonOffset(9), &GUID_Button, "Button 9", false},
    {ObjectKind::Button, 10, ButtonOffset(10), &GUID_Button, "Button 10", false},
    {ObjectKind::Button, 11, ButtonOffset(11), &GUID_Button, "Button 11", false},
};
static_assert(sizeof kObjects / sizeof kObjects[0] == kAxisCount + kHatCount + kJoystickButtonCount,
              "every object of the joystick has its row");

DWORD TypeFlags(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Axis:
            return DIDFT_ABSAXIS;
        case ObjectKind::Hat:
            return DIDFT_POV;
        case ObjectKind::Button:
            return DIDFT_PSHBUTTON;
    }
    return 0;
}

bool KindMatches(ObjectKind kind, DWORD identifier) {
    switch (kind) {
        case ObjectKind::Axis:
            return (identifier & DIDFT_AXIS) != 0;
        case ObjectKind::Hat:
            return (identifier & DIDFT_POV) != 0;
        case ObjectKind::Button:
            return (identifier & DIDFT_BUTTON) != 0;
    }
    return false;
}

}  // namespace

DWORD ObjectCount() {
    return sizeof kObjects / sizeof kObjects[0];
}

const JoystickObject& ObjectAt(DWORD position) {
    return kObjects[position];
}

DWORD ObjectIdentifier(const JoystickObject& object) {
    DWORD identifier = TypeFlags(object.kind) | DIDFT_MAKEINSTANCE(object.index);
    if (object.actuator) {
        identifier |= DIDFT_FFACTUATOR;
    }
    if (object.kind == ObjectKind::Button) {
        identifier |= DIDFT_FFEFFECTTRIGGER;
    }
    return identifier;
}

DWORD ObjectFlags(const JoystickObject& object) {
    DWORD flags = DIDOI_ASPECTPOSITION;
    if (object.actuator) {
        flags |= DIDOI_FFACTUATOR;
    }
    if (object.kind == ObjectKind::Button) {
        flags = DIDOI_FFEFFECTTRIGGER;
    }
    return flags;
}

const JoystickObject* ObjectByOffset(DWORD offset) {
    for (const JoystickObject& object : kObjects) {
        if (object.offset == offset) {
            return &object;
        }
    }
    return nullptr;
}

const JoystickObject* ObjectByIdentifier(DWORD identifier) {
    const DWORD instance = DIDFT_GETINSTANCE(identifier);
    for (const JoystickObject& object : kObjects) {
        if (object.index == instance && KindMatches(object.kind, identifier)) {
            return &object;
        }
    }
    return nullptr;
}

}  // namespace standin_dinput

// The objects of a stand-in joystick: four axes (X, Y, Z, Rz), one hat and
// twelve buttons. Each has its place in the joystick state records and its
// object identifier; X and Y are the force-feedback actuators (the two
// motors), every button can trigger an effect.
#pragma once

#include <windows.h>
#include <dinput.h>

namespace standin_dinput {

enum class ObjectKind { Axis, Hat, Button };

struct JoystickObject {
    ObjectKind kind;
    DWORD index;   // among the objects of its kind
    DWORD offset;  // in DIJOYSTATE and DIJOYSTATE2
    const GUID* type;
    const char* name;
    bool actuator;
};

constexpr DWORD kAxisCount = 4;
constexpr DWORD kHatCount = 1;
constexpr DWORD kJoystickButtonCount = 12;
constexpr DWORD kActuatorCount = 2;

DWORD ObjectCount();
const JoystickObject& ObjectAt(DWORD position);

// The object's identifier: its type flags and its instance number, which
// counts within its kind (X is axis 0, Rz axis 3).
DWORD ObjectIdentifier(const JoystickObject& object);
DWORD ObjectFlags(const JoystickObject& object);

// Null when no object of the joystick has that offset / identifier.
const JoystickObject* ObjectByOffset(DWORD offset);
const JoystickObject* ObjectByIdentifier(DWORD identifier);

}  // namespace standin_dinput

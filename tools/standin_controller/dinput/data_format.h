// The data formats a stand-in joystick takes: the two predefined joystick
// formats, recognised by their sizes and the offsets of their objects (each
// program has its own copy of the records, so their addresses say nothing).
#pragma once

#include <windows.h>
#include <dinput.h>

namespace standin_dinput {

enum class JoystickFormat { None, State, State2 };

JoystickFormat RecognizeFormat(const DIDATAFORMAT* format);
// The size of the record GetDeviceState fills in that format.
DWORD FormatDataSize(JoystickFormat format);

}  // namespace standin_dinput

// Finding the HID device-interface path of the controller that DirectInput
// knows under a joystick id.
#pragma once

#include <windows.h>

#include "effect_driver/device_entry.h"

// Fills `path` with the controller's interface path, or leaves it empty when
// DirectInput has no joystick at that id or no present HID interface is that
// joystick. An interface whose path does not fit the buffer never matches.
void FindControllerPath(char (&path)[kDevicePathCapacity], DWORD joystickId);

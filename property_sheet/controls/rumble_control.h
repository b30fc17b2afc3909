// RumbleControl: the stick position of the vibration test as a red dot in a
// sunken white box with a crosshair at its centre. The value holds the
// horizontal position in its high 16 bits and the vertical in its low 16,
// each a signed -10000..10000 (positive: right, down); a new control shows
// the dot at the centre. The page sets it with SetAxesPosition.
#pragma once

#include <windows.h>

bool RegisterRumbleControlClass(HINSTANCE instance);
LRESULT CALLBACK RumbleControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The dot's centre in a width × height control for a value. Not clamped:
// positions beyond ±10000 move it past the box.
POINT RumbleDotPosition(DWORD value, int width, int height);

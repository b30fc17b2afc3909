// AxesControl: one two-axis position as a crosshair in a sunken white box.
// The value is the horizontal position in the high 16 bits and the vertical
// in the low 16, each 0..65535 (0 is left/top); a new control is centred.
#pragma once

#include <windows.h>

bool RegisterAxesControlClass(HINSTANCE instance);
LRESULT CALLBACK AxesControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Stores a position in the dialog's control (each half cut to 16 bits, so
// that negative positions read back unchanged as signed halves) and has it
// repainted. Serves the rumble indicator too.
void SetAxesPosition(HWND dialog, int itemId, LONG horizontal, LONG vertical);

// Where the crosshair of a width × height control stands for a value: the
// marker never leaves the box.
POINT AxesMarkerPosition(DWORD value, int width, int height);

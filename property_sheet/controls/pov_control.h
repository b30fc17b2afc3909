// PovControl: the point-of-view hat as an arrow on a ring. The value is the
// direction in hundredths of a degree in the low 16 bits (36000 and more:
// centred, no arrow) and the arrow's size in percent of the ring's radius in
// the high 16 bits; a new control is centred at size 100.
#pragma once

#include <windows.h>

bool RegisterPovControlClass(HINSTANCE instance);
LRESULT CALLBACK PovControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Stores a hat direction in the dialog's hat indicator, its size taken from
// the horizontal and vertical magnitudes by the direction's octant, and
// invalidates only the areas of the old and the new arrow.
void SetPovDirection(HWND dialog, int itemId, DWORD direction, LONG horizontalMagnitude,
                     LONG verticalMagnitude);

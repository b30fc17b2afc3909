// The Function Test page: while it is the active tab it reads the
// controller every 10 ms and shows its twelve buttons as lamps, its four
// axes on two crosshair boxes, the hat as an arrow, and whether the
// controller answers.
//
// The page's state is module-wide, one set per process: a second Function
// Test page takes over the sheet and the previous reading of the first. The
// previous reading is never reset while the module is loaded, so a page
// compares its first reading with the last reading of any earlier page (all
// zero at load). Indicators are sent only what differs from that reading.
#pragma once

#include <windows.h>

#include "property_sheet/controller_sheet_interface.h"

// The dialog procedure of template 107.
INT_PTR CALLBACK FunctionTestPageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// One poll of the sheet's device and the redraw of what changed: S_OK, or
// E_POINTER (nothing touched) when `sheet` is not a readable sheet object.
HRESULT UpdateFunctionTest(HWND page, IDIGameCntrlPropSheet* sheet);

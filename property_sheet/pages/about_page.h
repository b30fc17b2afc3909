// The About page: the product name, the driver version and a line on what
// the module is for, all in its dialog template (112). It has no behaviour
// of its own: no state, no timer, and it never touches the sheet or the
// controller.
#pragma once

#include <windows.h>

// The dialog procedure of template 112: every message goes to
// DefWindowProcA and its result is returned.
INT_PTR CALLBACK AboutPageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

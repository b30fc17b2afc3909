// The window class shared by the sheet's indicator controls: they differ
// only in name and window procedure, and keep their state in the window's
// user value.
#pragma once

#include <windows.h>

// True when the platform registered the class (a second registration of the
// same name in the process answers false).
bool RegisterIndicatorClass(HINSTANCE instance, LPCSTR name, WNDPROC procedure);

// Removes every indicator class of the module. The platform keeps a
// module's classes after the module is unloaded; left behind, they would
// point at window procedures that are gone when the module is loaded again
// elsewhere, and its registrations would then fail.
void UnregisterIndicatorClasses(HINSTANCE instance);

// The control's 32-bit value, kept in the window's user value so that one
// form serves both processor widths.
DWORD IndicatorValue(HWND control);
void SetIndicatorValue(HWND control, DWORD value);

// The window procedures of the standard classes and their registration.
#pragma once

#include "simwin/window_manager.h"

namespace simwin::detail {

LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ButtonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TrackbarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers "#32770", "STATIC", "BUTTON" and TRACKBAR_CLASSA.
void RegisterStandardClasses();

}  // namespace simwin::detail

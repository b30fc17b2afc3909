// The Vibration Test page: runs the controller's two rumble motors through
// one DirectInput constant-force effect and sets the vibration strength
// that the force-feedback driver applies.
//
// While the page is the active tab, a 10 ms tick reads the stick and
// rewrites the effect so that its two Cartesian components are the wanted
// left and right motor strengths: by default the stick's X and Y
// deflections, or full strength on one or both motors for a 3800 ms button
// test. The strength slider writes "Amplify" to the device's OEM key; the
// driver picks it up at the next start of the effect, which every tick
// makes.
//
// The page's state is module-wide, one set per process, shared by every
// instance of the page.
#pragma once

#include <windows.h>

// The dialog procedure of template 108.
INT_PTR CALLBACK VibrationTestPageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

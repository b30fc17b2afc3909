// Which Windows the sheet runs on, as far as the calibration store cares:
// the place where the game-input layer reads joystick calibration depends
// on it.
#pragma once

#include <windows.h>

enum WindowsVersionCode : int {
    // GetVersionExA failed, an unknown platform, or a major version this
    // table does not know (every Windows from Vista on).
    kUnrecognisedWindows = 0,
    kWin32s = 1,
    kWindows95 = 2,
    kWindows98 = 3,
    kWindowsMe = 4,
    kWindowsNt4 = 5,  // NT 3 and NT 4
    kWindows2000 = 6,
    kWindowsXp = 7,  // and Server 2003: 5.x with a minor version other than 0
};

WindowsVersionCode GetWindowsVersionCode();

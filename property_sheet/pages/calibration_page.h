// The Calibration page: while it is the active tab it reads the controller
// every 10 ms and shows its four axes on two crosshair boxes and as numbers
// from 0 to 255; "Default" writes the full range for every axis, "Set" the
// range the page has gathered with the stick's present position as the
// centre (how the range is gathered is the model's choice, see
// CalibrationSetRange). After a write the sheet's device is opened afresh
// so that DirectInput reads the new calibration.
//
// The page's state is module-wide, one set per process: the configuration
// record being edited (read afresh and seeded with 128 at each creation of
// the page), the previous reading, and the swept minima and maxima, which
// only "Default" and "Set" reset.
//
// A tick whose reading fails changes nothing. "Set" never writes a range
// whose minimum lies above its maximum: before any reading has been swept
// it writes nothing (see PressSet).
#pragma once

#include <windows.h>

// The dialog procedure of template 109.
INT_PTR CALLBACK CalibrationPageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

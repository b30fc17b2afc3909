// The one DirectInput joystick device that all pages of a sheet share, with
// the joystick-configuration object the sheet keeps beside it.
//
// OpenSheetDevice opens whichever of the two the sheet lacks; pages call it
// when their dialog is initialised, so the first page opens them and later
// pages find them present (S_FALSE, DirectInput untouched).
// ReopenSheetDevice replaces both, so that DirectInput reads calibration
// data written since the device was opened. Both run entirely inside the
// SheetLock and release the DirectInput object they create on every path.
//
// A device is prepared for the pages' polling: the standard joystick
// format, exclusive background access for the owner window, and a dead zone
// of 5 % on the four axes the pages show.
#pragma once

#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

#include "property_sheet/controller_sheet.h"

// S_FALSE when the sheet already had a device; else the result of
// CreateJoystickDevice, or the first failing call's code unchanged.
HRESULT OpenSheetDevice(HWND owner, IDIGameCntrlPropSheet* sheet);

// Releases the sheet's joy-config object and device and opens both afresh.
// A failure after the old ones are released leaves the sheet without them.
HRESULT ReopenSheetDevice(HWND owner, IDIGameCntrlPropSheet* sheet);

// Creates the device of joystick `joystickId` (0xFFFF, "no id", asks for
// joystick -1) in its second interface, with the joystick format and
// exclusive background access for `owner`. On failure `*device` is none
// and nothing is left open.
HRESULT CreateJoystickDevice(USHORT joystickId, HWND owner, IDirectInputA* directInput,
                             IDirectInputJoyConfig* joyConfig, IDirectInputDevice2A** device);

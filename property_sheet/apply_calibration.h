// What the Calibration page's two buttons do with the range they formed:
// write it for the sheet's controller, if the controller answers.
#pragma once

#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

#include "property_sheet/controller_sheet_interface.h"

// False when the sheet's controller does not answer (no device, or its
// Acquire fails): nothing is written. True otherwise, whether or not the
// store found a place and wrote; the page then has the device opened afresh
// so that DirectInput reads what was written.
bool ApplyCalibration(const DIJOYCONFIG_DX5& record, IDIGameCntrlPropSheet* sheet);

// Effect directions from one coordinate system to another, as DirectInput
// converts them between what a program gives and what an effect driver
// takes. Angles are in hundredths of a degree: polar from north (-Y)
// clockwise, spherical from +X towards +Y; cartesian components are scaled
// to 10000.
#pragma once

#include <windows.h>

namespace standin_dinput {

// False when there is no conversion for that many axes (only two-axis
// directions change systems); `out` is then untouched.
bool ConvertDirection(DWORD from, const LONG* in, DWORD to, LONG* out, DWORD axisCount);

}  // namespace standin_dinput

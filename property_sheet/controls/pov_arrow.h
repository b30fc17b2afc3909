// The hat indicator's arrow: seven points of a head and shaft pointing from
// the centre of an ellipse (radii rx, ry) in a direction given in hundredths
// of a degree clockwise from straight up, its size scaled by `scale` (1.0:
// the base of the head lies on the ring). The paint draws it and the setter
// invalidates its area, so both build it here.
#pragma once

#include <windows.h>

constexpr int kPovArrowPoints = 7;

// Directions from this one on mean a centred hat: no arrow.
constexpr DWORD kPovCentred = 36000;

void BuildPovArrow(DWORD direction, double scale, int cx, int cy, int rx, int ry,
                   POINT points[kPovArrowPoints]);

// Where the Vibration Test page sees the stick: X and Y as signed
// deflections from the centre on the motor scale, and the position its
// rumble indicator shows for them.
#pragma once

#include <windows.h>
#include <dinput.h>

struct StickPosition {
    LONG x;
    LONG y;

    bool operator==(const StickPosition& other) const { return x == other.x && y == other.y; }
    bool operator!=(const StickPosition& other) const { return !(*this == other); }
};

// (axis - 32768) × 10000 / 32768, truncated toward zero: the axis range
// 0..65535 becomes -10000..9999.
StickPosition StickDeflection(const DIJOYSTATE& reading);

// A deflection of 8750 or more either way is shown at the edge (±10000), so
// a stick pushed as far as it goes reaches the indicator's edge.
StickPosition IndicatorPosition(StickPosition deflection);

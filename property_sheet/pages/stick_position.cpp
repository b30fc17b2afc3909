#include "property_sheet/pages/stick_position.h"

namespace {

constexpr LONG kAxisCentre = 32768;
// 10000 / 32768, exact in binary.
constexpr double kMotorUnitsPerAxisUnit = 0.30517578125;

constexpr LONG kIndicatorSnap = 8750;
constexpr LONG kIndicatorEdge = 10000;

LONG Deflection(LONG axis) {
    return static_cast<LONG>((static_cast<double>(axis) - kAxisCentre) * kMotorUnitsPerAxisUnit);
}

LONG Snapped(LONG value) {
    if (value <= -kIndicatorSnap) {
        return -kIndicatorEdge;
    }
    if (value >= kIndicatorSnap) {
        return kIndicatorEdge;
    }
    return value;
}

}  // namespace

StickPosition StickDeflection(const DIJOYSTATE& reading) {
    return {Deflection(reading.lX), Deflection(reading.lY)};
}

StickPosition IndicatorPosition(StickPosition deflection) {
    return {Snapped(deflection.x), Snapped(deflection.y)};
}

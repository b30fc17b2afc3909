#include "property_sheet/controls/pov_arrow.h"

#include <cmath>

namespace {

// One formula for every processor width, so both draw the same pixels.
constexpr double kPi = 3.141592653589793;
constexpr double kOneOver180 = 0.005555555555555556;

LONG Trunc(double value) {
    return static_cast<LONG>(value);
}

}  // namespace

void BuildPovArrow(DWORD direction, double scale, int cx, int cy, int rx, int ry,
                   POINT points[kPovArrowPoints]) {
    const double angle = direction * 0.01 * kPi * kOneOver180;
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    const double sf = s * scale;
    const double cf = c * scale;

    const double tipX = (rx * s) * scale + cx;
    const double tipY = cy - (ry * c) * scale;
    const LONG tx = Trunc(tipX);
    const LONG ty = Trunc(tipY);
    const LONG bx = Trunc(tipX - sf * 10);
    const LONG by = Trunc(cf * 10 + tipY);

    points[0] = {Trunc(tx + sf * 6), Trunc(ty - cf * 6)};  // the point, beyond the tip
    points[1] = {Trunc(tx + cf * 6), Trunc(ty + sf * 6)};  // right barb
    points[2] = {Trunc(tx + cf * 3), Trunc(ty + sf * 3)};
    points[3] = {Trunc(bx + cf * 3), Trunc(by + sf * 3)};
    points[4] = {Trunc(bx - cf * 3), Trunc(by - sf * 3)};
    points[5] = {Trunc(tx - cf * 3), Trunc(ty - sf * 3)};
    points[6] = {Trunc(tx - cf * 6), Trunc(ty - sf * 6)};  // left barb
}

#include "tools/standin_controller/dinput/axis_scaling.h"

#include <cmath>

namespace standin_dinput {

namespace {

constexpr double kReadingMaximum = 255.0;
constexpr double kReadingCentre = 128.0;

}  // namespace

AxisSettings DefaultAxisSettings() {
    return {0, 65535, 0, kFullScale};
}

LONG ScaleAxis(uint8_t reading, const AxisSettings& settings) {
    const double minimum = settings.minimum;
    const double maximum = settings.maximum;
    // The centre reading lands where the linear mapping puts it, so that an
    // axis without dead zone keeps its exact default values.
    const double centre = minimum + (maximum - minimum) * kReadingCentre / kReadingMaximum;
    const bool below = reading < kReadingCentre;
    const double halfSpan = below ? kReadingCentre : kReadingMaximum - kReadingCentre;
    // 0 at the centre, 1 at either end.
    double fraction = std::fabs(reading - kReadingCentre) / halfSpan;

    const double deadZone = settings.deadZone / static_cast<double>(kFullScale);
    const double saturation = settings.saturation / static_cast<double>(kFullScale);
    if (fraction <= deadZone) {
        fraction = 0.0;
    } else if (fraction >= saturation) {
        fraction = 1.0;
    } else {
        fraction = (fraction - deadZone) / (saturation - deadZone);
    }
    const double end = below ? minimum : maximum;
    return static_cast<LONG>(std::lround(centre + (end - centre) * fraction));
}

}  // namespace standin_dinput

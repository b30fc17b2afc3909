#include "tools/standin_controller/dinput/effect_coordinates.h"

#include <dinput.h>

#include <cmath>

namespace standin_dinput {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr LONG kFullTurn = 36000;
constexpr LONG kQuarterTurn = 9000;
constexpr double kCartesianScale = 10000.0;

LONG NormalisedAngle(long long angle) {
    angle %= kFullTurn;
    return static_cast<LONG>(angle < 0 ? angle + kFullTurn : angle);
}

// The direction as a spherical angle (from +X towards +Y).
LONG SphericalAngle(DWORD from, const LONG* in) {
    switch (from) {
        case DIEFF_POLAR:
            return NormalisedAngle(static_cast<long long>(in[0]) - kQuarterTurn);
        case DIEFF_SPHERICAL:
            return NormalisedAngle(in[0]);
        default: {
            const double angle = std::atan2(static_cast<double>(in[1]), static_cast<double>(in[0]));
            return NormalisedAngle(std::llround(angle * 18000.0 / kPi));
        }
    }
}

}  // namespace

bool ConvertDirection(DWORD from, const LONG* in, DWORD to, LONG* out, DWORD axisCount) {
    if (from == to) {
        for (DWORD i = 0; i < axisCount; ++i) {
            out[i] = in[i];
        }
        return true;
    }
    if (axisCount != 2) {
        return false;
    }
    const LONG spherical = SphericalAngle(from, in);
    switch (to) {
        case DIEFF_POLAR:
            out[0] = NormalisedAngle(static_cast<long long>(spherical) + kQuarterTurn);
            out[1] = 0;
            return true;
        case DIEFF_SPHERICAL:
            out[0] = spherical;
            out[1] = 0;
            return true;
        case DIEFF_CARTESIAN: {
            const double angle = spherical * kPi / 18000.0;
            out[0] = static_cast<LONG>(std::lround(std::cos(angle) * kCartesianScale));
            out[1] = static_cast<LONG>(std::lround(std::sin(angle) * kCartesianScale));
            return true;
        }
        default:
            return false;
    }
}

}  // namespace standin_dinput

// From an 8-bit axis reading (0..255, centre 128) to the value DirectInput
// reports: the axis's range, with its dead zone around the centre and its
// saturation towards the ends, both in hundredths of a percent of the way
// from the centre to an end.
//
// With no dead zone and full saturation the mapping is linear and exact:
// the default range 0..65535 gives reading * 257 (0, 32896, 65535). Inside
// the dead zone the value is the range's centre (the reading 128); between
// the dead zone and the saturation it rises linearly to the end of the
// range; beyond the saturation it stays at the end.
#pragma once

#include <windows.h>

#include <stdint.h>

namespace standin_dinput {

struct AxisSettings {
    LONG minimum;
    LONG maximum;
    DWORD deadZone;    // 0..10000
    DWORD saturation;  // 0..10000
};

constexpr DWORD kFullScale = 10000;

AxisSettings DefaultAxisSettings();
LONG ScaleAxis(uint8_t reading, const AxisSettings& settings);

}  // namespace standin_dinput

// Where DirectInput reads a joystick's axis calibration, looked up the way
// DirectInput does it: the key whose "GUID" value holds the joystick's
// instance identifier, below one of two parents. DirectX 8.0 and older use
// the controller's HID device-interface key, newer ones DirectInput's
// private calibration key of the vendor/product pair. Each axis keeps
// minimum, centre and maximum as three little-endian 32-bit numbers.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace windows_test {

enum class CalibrationPlace { HidInterface, DirectInputPrivate };
inline constexpr CalibrationPlace kCalibrationPlaces[] = {CalibrationPlace::HidInterface,
                                                          CalibrationPlace::DirectInputPrivate};
// The axes the property sheet calibrates: X, Y, Z and Rz.
inline constexpr const char* kCalibratedAxes[] = {"0", "1", "2", "5"};

const char* PlaceName(CalibrationPlace place);

// The key below HKEY_LOCAL_MACHINE that DirectInput keeps for the joystick
// in that place; nothing when there is none.
std::optional<std::string> CalibrationKey(CalibrationPlace place, const GUID& instance);

struct AxisCalibration {
    DWORD minimum;
    DWORD centre;
    DWORD maximum;
};

// The axis's "Calibration" value in that place; nothing when it is missing
// or not 12 bytes.
std::optional<AxisCalibration> ReadAxisCalibration(CalibrationPlace place, const GUID& instance,
                                                   const char* axis);

// Removes every axis calibration of the joystick from that place.
void ClearAxisCalibration(CalibrationPlace place, const GUID& instance);

}  // namespace windows_test

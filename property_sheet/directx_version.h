// The installed DirectX version, read from the "Version" text DirectX keeps
// in the registry. On Windows 2000 and XP it decides where DirectInput
// reads joystick calibration.
#pragma once

#include <windows.h>

// The number when the version cannot be read: older than every DirectX that
// moved calibration.
inline constexpr DWORD kUnknownDirectXVersion = 0x700;
// DirectX 8.0 and older read calibration below the controller's HID
// interface key; newer ones below DirectInput's private properties.
inline constexpr DWORD kLastDirectXReadingInterfaceCalibration = 0x800;

// The "Version" text's second field × 256 + its third field, e.g. 0x801 for
// "4.08.01.0810". kUnknownDirectXVersion when the key or the value cannot be
// read, the value is longer than 256 bytes, or its first four
// dot-separated hexadecimal fields do not all convert.
DWORD ReadDirectXVersion();

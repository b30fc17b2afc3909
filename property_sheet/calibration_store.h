// Writes the four axes' calibration (minimum, centre, maximum) where the
// game-input layer of the running Windows reads it:
//  - Windows 98 and Me: the whole hardware configuration as the legacy
//    "Joystick<n>Configuration" value of the current joystick settings;
//  - Windows 2000 and XP with DirectX 8.0 or older: a "Calibration" value
//    per axis below the controller's HID interface key;
//  - Windows 2000 and XP with DirectX 8.1 or newer: the same values below
//    DirectInput's private calibration key of the model's pair.
// Every other Windows has no place for it (E_FAIL, nothing written). The
// store never reads calibration back; DirectInput picks the new values up
// when the device is opened afresh.
#pragma once

#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

// StoreCalibration's flag asking for the axis values to be written; without
// it the two newer places only locate their key.
inline constexpr DWORD kStoreAxisValues = 2;

// The 9x joystick configuration keeps the settings of the joystick in use
// under the key of the standard joystick driver, "msjstick.drv"; that is
// where DirectInput on 98 and Me reads them. The key belongs to the system
// and is never created here.
inline constexpr char kLegacyJoystickSettingsKey[] =
    "System\\CurrentControlSet\\Control\\MediaResources\\Joystick\\msjstick.drv\\"
    "CurrentJoystickSettings";

// Writes `record.hwc`'s range (only its jpMin, jpCenter and jpMax members
// dwX, dwY, dwZ, dwR; on 98/Me the whole hwc) for the joystick with
// DirectInput instance `instance` and joystick id `joystickId` (a signed
// 16-bit number). Returns 0, a registry error code unchanged, or E_FAIL
// when the Windows version has no calibration place or no key matches the
// instance. Every key opened is closed again.
LONG StoreCalibration(const DIJOYCONFIG_DX5& record, DWORD flags, const GUID& instance,
                      USHORT joystickId);

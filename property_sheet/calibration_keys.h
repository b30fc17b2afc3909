// Finding the registry key that holds a joystick's calibration, by the
// DirectInput instance identifier stored in its "GUID" value. DirectX 8.0
// and older keep it below the controller's HID device-interface key;
// DirectX 8.1 and newer below DirectInput's private calibration key of the
// model's vendor/product pair.
//
// Both searches walk the subkeys of their parent key in order and stop at
// the first whose "GUID" value is exactly the 16 bytes of the identifier; a
// value of any other size never matches. Every key they open is closed
// again, except the one they hand back.
#pragma once

#include <windows.h>

// The HID device-interface class key, whose subkeys are the interfaces.
inline constexpr char kHidInterfaceClassKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
    "{4d1e55b2-f16f-11cf-88cb-001111000030}";
// Below an interface key: where DirectInput keeps the interface's "GUID".
inline constexpr char kInterfaceDirectXSubkey[] = "#\\Device Parameters\\DirectX";

// ERROR_SUCCESS with `*found` the open interface subkey (the caller closes
// it); otherwise the error that ended the search (ERROR_NO_MORE_ITEMS when
// no interface matched) and `*found` none.
LSTATUS FindHidInterfaceKey(const GUID& instance, HKEY* found);

// As FindHidInterfaceKey, over the instance subkeys of the model's private
// calibration key; each carries its "GUID" itself.
LSTATUS FindCalibrationInstanceKey(const GUID& instance, HKEY* found);

// "...\DirectInput\VID_xxxx&PID_xxxx\Calibration" for the model's pair.
void FormatPrivateCalibrationKeyPath(char (&out)[MAX_PATH]);

// The registry keys DirectInput keeps for a joystick it has seen. The
// property sheet finds its calibration keys by the "GUID" value in them, so
// they are written as soon as the joystick configuration or a device first
// sees a controller:
//
//   HKLM\SYSTEM\CurrentControlSet\Control\MediaProperties\PrivateProperties
//       \DirectInput\VID_xxxx&PID_xxxx\Calibration\<n>         "GUID"
//   HKLM\SYSTEM\CurrentControlSet\Control\DeviceClasses\{HID class}
//       \##?#hid#...#{HID class}\#\Device Parameters\DirectX  "GUID"
//
// "GUID" is REG_BINARY, the 16 bytes of the instance GUID. n counts the
// instances of one vendor/product pair: 0 for the first seen, 1 for the
// next; a controller seen before keeps its n.
#pragma once

#include <windows.h>

#include "tools/standin_controller/controller_channel.h"

namespace standin_dinput {

// Writes both keys (again: the values are the same every time) and returns
// the controller's instance number n; 0 when the keys could not be written.
DWORD RecordControllerKeys(const standin::ControllerInfo& controller, const GUID& instance);

}  // namespace standin_dinput

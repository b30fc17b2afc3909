// How a stand-in joystick describes itself: its device instance record
// (shared by EnumDevices and GetDeviceInfo), its capabilities and objects.
#pragma once

#include <windows.h>
#include <dinput.h>

#include "tools/standin_controller/controller_channel.h"

namespace standin_dinput {

// The device type DirectInput gives a HID game pad.
DWORD JoystickDeviceType();

// Fills a DIDEVICEINSTANCEA of the size its dwSize says (the DirectX 3
// record or the full one); false for any other size.
bool FillDeviceInstance(const standin::ControllerInfo& controller, DIDEVICEINSTANCEA* instance);

}  // namespace standin_dinput

// How DirectInput names a stand-in controller.
//
// Instance GUIDs follow one fixed pattern, so that every process (the
// deliverables, the tests, the viewer) gives the controller in a slot the
// same identity without sharing any state:
//
//     {9D1B00ss-0000-4000-8053-54414E44494E}     ss = slot (00..0F)
//
// The product GUID is the one DirectInput gives HID devices,
// {PPPPVVVV-0000-0000-0000-504944564944} ("PIDVID" at the end).
#pragma once

#include <windows.h>

#include <stdint.h>

#include "tools/standin_controller/controller_channel.h"

namespace standin_dinput {

GUID InstanceGuidForSlot(uint32_t slot);
// False when the GUID is not a stand-in controller's.
bool SlotFromInstanceGuid(const GUID& instance, uint32_t* slot);
GUID ProductGuid(const standin::ControllerSpec& spec);

// "VID_xxxx&PID_xxxx": the name of the controller's registry keys.
constexpr size_t kVendorProductKeySize = sizeof "VID_0000&PID_0000";
void FormatVendorProductKey(char (&out)[kVendorProductKeySize],
                            const standin::ControllerSpec& spec);

}  // namespace standin_dinput

// Opening, replacing and closing the connection of a device entry to its
// controller. Every function here takes the entry's connection guard.
#pragma once

#include "effect_driver/device_entry.h"

// Opens a HID device path for output reports the way the driver always
// does: read and write access, shared with other users of the device.
HANDLE OpenDevicePath(const char* path);

// Binding: the path just found and the handle just opened (or the invalid
// handle value) replace the entry's; a handle they replace is closed.
// A successful open also brings the device's output report id.
void ReplaceConnection(DeviceEntry& entry, const char* path, HANDLE handle);
void ReplaceConnection(DeviceEntry& entry, const char* path, HANDLE handle, BYTE reportId);

// Playback tick: reopens the stored path when the entry holds no open
// handle. True when the entry is connected afterwards.
bool EnsureConnected(DeviceEntry& entry);

// Closes the entry's handle, if open, and leaves it none: after a write
// found the controller unplugged, and when the driver goes away.
void CloseConnection(DeviceEntry& entry);

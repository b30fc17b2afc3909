// The vendor/product key text "VID_xxxx&PID_xxxx" that names the playback
// lock and ends the device's OEM registry key, and the registry paths built
// on it.
#pragma once

#include <windows.h>

#include <cstddef>

// Room for the longest path the driver forms under HKEY_LOCAL_MACHINE.
inline constexpr size_t kRegistryPathCapacity = 256;

// "VID_%04X&PID_%04X": four upper-case hexadecimal digits each.
void FormatVendorProductKey(char (&out)[18], WORD vendorId, WORD productId);

// The device's OEM key, home of "Amplify" and "Rumble".
void FormatDeviceOemKeyPath(char (&out)[kRegistryPathCapacity], WORD vendorId, WORD productId);

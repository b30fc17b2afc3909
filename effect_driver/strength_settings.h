// The device's strength settings in its OEM registry key: "Amplify", the
// strength factor in thousandths that the property sheet writes, and, on
// models that have it, the "Rumble" switch. Read at every StartEffect.
#pragma once

#include <windows.h>

struct EffectDriver;

// Reads up to 4 bytes of a value of any type as a little-endian number: a
// shorter value gives the number of its bytes, an empty one 0. On any
// failure `number` keeps its value; a value longer than 4 bytes is a failed
// read (ERROR_MORE_DATA).
LSTATUS ReadRegistryNumber(HKEY key, const char* valueName, DWORD* number);

// Updates the device entry's amplify from "Amplify" when it reads, and
// returns the rumble switch: 0 when the model reads "Rumble" and it is 0,
// else 1. A missing key or value changes nothing.
DWORD ReadStrengthSettings(EffectDriver* driver, DWORD deviceId);

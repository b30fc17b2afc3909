// The vibration strength the user sets on the Vibration Test page: the
// value "Amplify" in the device's OEM registry key, which the force-feedback
// driver reads each time an effect starts and scales every force by
// (1000 = unchanged, 0 = silent, 1200 = the strongest the slider offers).
//
// The page only ever opens the key; it never creates it, since the device
// installation owns it.
#pragma once

#include <windows.h>

constexpr DWORD kStrongestStrength = 1200;
// What the driver applies while no "Amplify" has been written.
constexpr DWORD kDriverDefaultStrength = 1000;

// The stored strength; false when the key or a 4-byte REG_DWORD "Amplify"
// is missing (`*strength` is then untouched).
bool ReadStrengthSetting(DWORD* strength);

// Writes "Amplify" as a REG_DWORD; false when the key does not open.
bool WriteStrengthSetting(DWORD strength);

// The strength as the percentage text the page shows: whole percent of the
// strongest setting, truncated ("83%" for 1000). `out` holds at least 16.
void FormatStrengthPercent(DWORD strength, char* out, size_t capacity);

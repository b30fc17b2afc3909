// The vendor/product key text "VID_xxxx&PID_xxxx" that names the model's
// registry keys (its OEM key and DirectInput's private calibration key).
#pragma once

#include <windows.h>

#include <cstddef>

// Characters of the key text, terminator included.
inline constexpr size_t kVendorProductKeySize = 18;

// "VID_%04X&PID_%04X": four upper-case hexadecimal digits each.
void FormatVendorProductKey(char (&out)[kVendorProductKeySize], WORD vendorId, WORD productId);

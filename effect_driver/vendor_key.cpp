#include "effect_driver/vendor_key.h"

#include <cstdio>

void FormatVendorProductKey(char (&out)[18], WORD vendorId, WORD productId) {
    std::snprintf(out, sizeof out, "VID_%04X&PID_%04X", static_cast<unsigned>(vendorId),
                  static_cast<unsigned>(productId));
}

void FormatDeviceOemKeyPath(char (&out)[kRegistryPathCapacity], WORD vendorId, WORD productId) {
    std::snprintf(out, sizeof out,
                  "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "Joystick\\OEM\\VID_%04X&PID_%04X",
                  static_cast<unsigned>(vendorId), static_cast<unsigned>(productId));
}

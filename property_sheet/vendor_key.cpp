#include "property_sheet/vendor_key.h"

#include <cstdio>

void FormatVendorProductKey(char (&out)[kVendorProductKeySize], WORD vendorId, WORD productId) {
    std::snprintf(out, sizeof out, "VID_%04X&PID_%04X", static_cast<unsigned>(vendorId),
                  static_cast<unsigned>(productId));
}

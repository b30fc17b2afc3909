// The vendor/product key text and the device OEM key path.
#include "effect_driver/vendor_key.h"

#include <gtest/gtest.h>

namespace {

TEST(VendorKey, FourUpperCaseZeroPaddedDigitsEach) {
    struct Case {
        WORD vendor, product;
        const char* expected;
    } cases[] = {
        {0x0001, 0x00AB, "VID_0001&PID_00AB"},
        {0xABCD, 0xEF01, "VID_ABCD&PID_EF01"},
        {0x0000, 0x0000, "VID_0000&PID_0000"},
        {0xFFFF, 0x0FFF, "VID_FFFF&PID_0FFF"},
    };
    for (const Case& c : cases) {
        char text[18];
        FormatVendorProductKey(text, c.vendor, c.product);
        EXPECT_STREQ(c.expected, text);
    }
}

TEST(VendorKey, OemKeyPathEndsInTheKeyText) {
    char path[kRegistryPathCapacity];
    FormatDeviceOemKeyPath(path, 0x0001, 0x00AB);
    EXPECT_STREQ(
        "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\Joystick\\OEM\\"
        "VID_0001&PID_00AB",
        path);
}

}  // namespace

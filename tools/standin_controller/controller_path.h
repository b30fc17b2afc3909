// The device-interface path of a stand-in controller, written the same way
// by the kernel module (which names its link after it) and by user mode
// (which lists and opens it). Plain code without a C runtime, so that the
// module can use it.
#pragma once

#include <stdint.h>

#include "tools/standin_controller/controller_channel.h"

namespace standin {

// The HID device-interface class that every controller path ends with.
inline constexpr char kHidInterfaceClassText[] = "{4d1e55b2-f16f-11cf-88cb-001111000030}";
// What the user-mode form has before the part the kernel link shares.
inline constexpr char kUserPathPrefix[] = "\\\\?\\";

namespace path_detail {

inline uint32_t Append(char* out, uint32_t at, const char* text) {
    while (*text != '\0' && at + 1 < kPathCapacity) {
        out[at++] = *text++;
    }
    return at;
}

inline uint32_t AppendHex4(char* out, uint32_t at, uint16_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int shift = 12; shift >= 0 && at + 1 < kPathCapacity; shift -= 4) {
        out[at++] = kDigits[(value >> shift) & 0xF];
    }
    return at;
}

inline uint32_t AppendDecimal(char* out, uint32_t at, uint32_t value) {
    char digits[10];
    uint32_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0 && at + 1 < kPathCapacity) {
        out[at++] = digits[--count];
    }
    return at;
}

}  // namespace path_detail

// "\\?\hid#vid_xxxx&pid_xxxx#<slot>&0&0000#{hid interface class}": the path
// SetupAPI lists for the controller and CreateFile opens. Always terminated.
inline void WriteControllerPath(char (&path)[kPathCapacity], uint32_t slot,
                                const ControllerSpec& spec) {
    using namespace path_detail;
    uint32_t at = Append(path, 0, kUserPathPrefix);
    at = Append(path, at, "hid#vid_");
    at = AppendHex4(path, at, spec.vendorId);
    at = Append(path, at, "&pid_");
    at = AppendHex4(path, at, spec.productId);
    at = Append(path, at, "#");
    at = AppendDecimal(path, at, slot);
    at = Append(path, at, "&0&0000#");
    at = Append(path, at, kHidInterfaceClassText);
    path[at] = '\0';
}

}  // namespace standin

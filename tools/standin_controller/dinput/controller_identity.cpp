#include "tools/standin_controller/dinput/controller_identity.h"

#include <cstdio>
#include <cstring>

namespace standin_dinput {

namespace {

constexpr DWORD kInstancePrefix = 0x9D1B0000;
constexpr BYTE kInstanceTail[8] = {0x80, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x49, 0x4E};
constexpr BYTE kProductTail[8] = {0x00, 0x00, 'P', 'I', 'D', 'V', 'I', 'D'};

}  // namespace

GUID InstanceGuidForSlot(uint32_t slot) {
    GUID guid;
    guid.Data1 = kInstancePrefix | (slot & 0xFF);
    guid.Data2 = 0x0000;
    guid.Data3 = 0x4000;
    std::memcpy(guid.Data4, kInstanceTail, sizeof guid.Data4);
    return guid;
}

bool SlotFromInstanceGuid(const GUID& instance, uint32_t* slot) {
    const uint32_t candidate = instance.Data1 & 0xFF;
    if (candidate >= standin::kSlotCount) {
        return false;
    }
    const GUID expected = InstanceGuidForSlot(candidate);
    if (!IsEqualGUID(expected, instance)) {
        return false;
    }
    *slot = candidate;
    return true;
}

GUID ProductGuid(const standin::ControllerSpec& spec) {
    GUID guid;
    guid.Data1 = (static_cast<DWORD>(spec.productId) << 16) | spec.vendorId;
    guid.Data2 = 0;
    guid.Data3 = 0;
    std::memcpy(guid.Data4, kProductTail, sizeof guid.Data4);
    return guid;
}

void FormatVendorProductKey(char (&out)[kVendorProductKeySize],
                            const standin::ControllerSpec& spec) {
    std::snprintf(out, sizeof out, "VID_%04X&PID_%04X", static_cast<unsigned>(spec.vendorId),
                  static_cast<unsigned>(spec.productId));
}

}  // namespace standin_dinput

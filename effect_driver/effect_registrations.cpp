#include "effect_driver/effect_registrations.h"

#include <cstdio>
#include <cstring>

#include "profiles/selected_model.h"

namespace {

// The registration GUIDs differ only in the last digit of their first group,
// which is the effect id as one upper-case hexadecimal digit.
constexpr char kRegistrationGuidText[] = "{13541C20-8E33-11D0-9AD0-00A0C9A06E35}";
constexpr size_t kEffectIdDigit = 8;

}  // namespace

bool FormatEffectRegistrationPath(UINT position, char* out, size_t capacity) {
    if (position >= kEffectTypeCount || out == nullptr) {
        return false;
    }
    char guidText[sizeof kRegistrationGuidText];
    std::memcpy(guidText, kRegistrationGuidText, sizeof guidText);
    guidText[kEffectIdDigit] = "0123456789AB"[position];
    int written = std::snprintf(out, capacity,
                                "System\\CurrentControlSet\\Control\\MediaProperties\\"
                                "PrivateProperties\\Joystick\\OEM\\VID_%04X&PID_%04X\\"
                                "OEMForceFeedback\\Effects\\%s",
                                static_cast<unsigned>(kModelProfile.vendorId),
                                static_cast<unsigned>(kModelProfile.productId), guidText);
    return written > 0 && static_cast<size_t>(written) < capacity;
}

bool ReadEffectAttributes(UINT position, DIEFFECTATTRIBUTES* destination) {
    char path[256];
    if (destination == nullptr || !FormatEffectRegistrationPath(position, path, sizeof path)) {
        return false;
    }
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD length = 0;
    if (RegQueryValueExA(key, "Attributes", nullptr, nullptr, nullptr, &length) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return false;
    }
    HANDLE heap = GetProcessHeap();
    // One byte more than asked keeps the read's buffer non-empty for an
    // empty value.
    BYTE* buffer = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, length + 1));
    if (buffer == nullptr) {
        RegCloseKey(key);
        return false;
    }
    DWORD read = length;
    if (RegQueryValueExA(key, "Attributes", nullptr, nullptr, buffer, &read) != ERROR_SUCCESS) {
        RegCloseKey(key);
        HeapFree(heap, 0, buffer);
        return false;
    }
    RegCloseKey(key);
    std::memset(destination, 0, sizeof *destination);
    std::memcpy(destination, buffer, read < sizeof *destination ? read : sizeof *destination);
    HeapFree(heap, 0, buffer);
    return true;
}

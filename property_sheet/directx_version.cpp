#include "property_sheet/directx_version.h"

namespace {

constexpr char kDirectXKey[] = "Software\\Microsoft\\DirectX";
constexpr char kVersionValue[] = "Version";
// The longest "Version" value that is read; a longer one is not a version.
constexpr DWORD kVersionCapacity = 256;

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// One field: optional blanks, then hexadecimal digits. A field without
// digits, or one whose value does not fit 32 bits, does not convert.
bool ReadHexField(const char** text, DWORD* value) {
    const char* p = *text;
    while (IsBlank(*p)) {
        ++p;
    }
    DWORD number = 0;
    const char* digits = p;
    for (int digit = HexDigitValue(*p); digit >= 0; digit = HexDigitValue(*++p)) {
        if (number > 0x0FFFFFFFu) {
            return false;
        }
        number = number * 16 + static_cast<DWORD>(digit);
    }
    if (p == digits) {
        return false;
    }
    *text = p;
    *value = number;
    return true;
}

// "major.minor.sub.build", every field hexadecimal; anything after the
// fourth field is ignored.
bool ParseVersionFields(const char* text, DWORD (&fields)[4]) {
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (*text != '.') {
                return false;
            }
            ++text;
        }
        if (!ReadHexField(&text, &fields[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

DWORD ReadDirectXVersion() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kDirectXKey, &key) != ERROR_SUCCESS) {
        return kUnknownDirectXVersion;
    }
    // One byte beyond what is read, so that the text always ends, whatever
    // type and bytes the value has.
    char text[kVersionCapacity + 1] = {};
    DWORD size = kVersionCapacity;
    const LSTATUS status = RegQueryValueExA(key, kVersionValue, nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || size > kVersionCapacity) {
        return kUnknownDirectXVersion;
    }
    text[size] = '\0';

    DWORD fields[4] = {};
    if (!ParseVersionFields(text, fields)) {
        return kUnknownDirectXVersion;
    }
    // Saturates rather than wrapping, so that an absurd minor version never
    // reads as an old DirectX.
    const unsigned long long number = static_cast<unsigned long long>(fields[1]) * 256u + fields[2];
    return number > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(number);
}

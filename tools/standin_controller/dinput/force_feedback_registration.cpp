#include "tools/standin_controller/dinput/force_feedback_registration.h"

#include <cstdio>
#include <cstring>

#include "tools/standin_controller/dinput/controller_identity.h"

namespace standin_dinput {

namespace {

constexpr char kGenericProductName[] = "HID game controller";

// "...\Joystick\OEM\VID_xxxx&PID_xxxx" followed by `tail`.
void FormatOemKeyPath(char (&path)[MAX_PATH], const standin::ControllerSpec& spec,
                      const char* tail) {
    char vendorProduct[kVendorProductKeySize];
    FormatVendorProductKey(vendorProduct, spec);
    std::snprintf(path, sizeof path,
                  "System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "Joystick\\OEM\\%s%s",
                  vendorProduct, tail);
}

HKEY OpenOemKey(const standin::ControllerSpec& spec, const char* tail) {
    char path[MAX_PATH];
    FormatOemKeyPath(path, spec, tail);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

// A string value, terminated whatever the registry held.
bool ReadString(HKEY key, const char* value, char (&out)[MAX_PATH]) {
    DWORD size = sizeof out - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(out), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        out[0] = '\0';
        return false;
    }
    out[size < sizeof out ? size : sizeof out - 1] = '\0';
    return true;
}

// A binary value of exactly the record's size: a shorter one would leave
// part of the record to chance.
template <typename Record>
bool ReadRecord(HKEY key, const char* value, Record* record) {
    DWORD size = sizeof *record;
    return RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(record), &size) ==
               ERROR_SUCCESS &&
           size == sizeof *record;
}

bool ParseHex(const char* text, size_t digits, unsigned long long* value) {
    *value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
        *value = (*value << 4) | digit;
    }
    return true;
}

}  // namespace

bool ParseGuid(const char* text, GUID* guid) {
    // {01234567-0123-0123-0123-0123456789ab}
    if (text == nullptr || std::strlen(text) != 38 || text[0] != '{' || text[37] != '}' ||
        text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-') {
        return false;
    }
    unsigned long long value = 0;
    if (!ParseHex(text + 1, 8, &value)) {
        return false;
    }
    guid->Data1 = static_cast<DWORD>(value);
    if (!ParseHex(text + 10, 4, &value)) {
        return false;
    }
    guid->Data2 = static_cast<WORD>(value);
    if (!ParseHex(text + 15, 4, &value)) {
        return false;
    }
    guid->Data3 = static_cast<WORD>(value);
    const size_t byteStarts[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (size_t i = 0; i < 8; ++i) {
        if (!ParseHex(text + byteStarts[i], 2, &value)) {
            return false;
        }
        guid->Data4[i] = static_cast<BYTE>(value);
    }
    return true;
}

bool ReadForceFeedbackRegistration(const standin::ControllerSpec& spec,
                                   ForceFeedbackRegistration* registration) {
    HKEY key = OpenOemKey(spec, "\\OEMForceFeedback");
    if (key == nullptr) {
        return false;
    }
    char text[MAX_PATH];
    const bool found =
        ReadString(key, "CLSID", text) && ParseGuid(text, &registration->driverClass);
    if (found && !ReadRecord(key, "Attributes", &registration->device)) {
        std::memset(&registration->device, 0, sizeof registration->device);
    }
    RegCloseKey(key);
    return found;
}

void ReadProductName(const standin::ControllerSpec& spec, char (&name)[MAX_PATH]) {
    HKEY key = OpenOemKey(spec, "");
    if (key == nullptr || !ReadString(key, "OEMName", name) || name[0] == '\0') {
        std::snprintf(name, sizeof name, "%s", kGenericProductName);
    }
    if (key != nullptr) {
        RegCloseKey(key);
    }
}

HKEY OpenEffectsKey(const standin::ControllerSpec& spec) {
    return OpenOemKey(spec, "\\OEMForceFeedback\\Effects");
}

bool ReadEffectRegistration(HKEY effects, const char* keyName, EffectRegistration* registration) {
    std::memset(registration, 0, sizeof *registration);
    if (!ParseGuid(keyName, &registration->guid)) {
        return false;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(effects, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    const bool read = ReadRecord(key, "Attributes", &registration->attributes);
    ReadString(key, nullptr, registration->name);
    RegCloseKey(key);
    return read;
}

bool FindEffectRegistration(const standin::ControllerSpec& spec, const GUID& effect,
                            EffectRegistration* registration) {
    bool found = false;
    ForEachEffectRegistration(spec, [&](const EffectRegistration& candidate) {
        if (IsEqualGUID(candidate.guid, effect)) {
            *registration = candidate;
            found = true;
            return false;
        }
        return true;
    });
    return found;
}

}  // namespace standin_dinput

#include "tools/standin_controller/dinput/registry_traces.h"

#include <cstdio>
#include <cstring>

#include "tools/standin_controller/dinput/controller_identity.h"

namespace standin_dinput {

namespace {

constexpr char kGuidValue[] = "GUID";
constexpr char kHidClassKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
    "{4d1e55b2-f16f-11cf-88cb-001111000030}";
constexpr char kInterfaceDirectXSubkey[] = "#\\Device Parameters\\DirectX";
// Instance numbers tried before giving up on finding a free one.
constexpr DWORD kMaxInstances = 256;

LSTATUS WriteGuid(HKEY key, const GUID& instance) {
    return RegSetValueExA(key, kGuidValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&instance),
                          sizeof instance);
}

bool HoldsGuid(HKEY key, const GUID& instance) {
    GUID stored;
    DWORD size = sizeof stored;
    DWORD type = 0;
    return RegQueryValueExA(key, kGuidValue, nullptr, &type, reinterpret_cast<BYTE*>(&stored),
                            &size) == ERROR_SUCCESS &&
           type == REG_BINARY && size == sizeof stored && IsEqualGUID(stored, instance);
}

DWORD RecordCalibrationInstance(const standin::ControllerSpec& spec, const GUID& instance) {
    char vendorProduct[kVendorProductKeySize];
    FormatVendorProductKey(vendorProduct, spec);
    char path[MAX_PATH];
    std::snprintf(path, sizeof path,
                  "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "DirectInput\\%s\\Calibration",
                  vendorProduct);
    HKEY calibration = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &calibration, nullptr) != ERROR_SUCCESS) {
        return 0;
    }
    // The first subkey that already names the instance keeps it; otherwise
    // the first number not taken becomes its own.
    DWORD chosen = kMaxInstances;
    for (DWORD n = 0; n < kMaxInstances; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "%lu", static_cast<unsigned long>(n));
        HKEY candidate = nullptr;
        if (RegOpenKeyExA(calibration, name, 0, KEY_READ, &candidate) != ERROR_SUCCESS) {
            if (chosen == kMaxInstances) {
                chosen = n;
            }
            continue;
        }
        const bool holds = HoldsGuid(candidate, instance);
        RegCloseKey(candidate);
        if (holds) {
            chosen = n;
            break;
        }
    }
    DWORD number = 0;
    if (chosen < kMaxInstances) {
        char name[16];
        std::snprintf(name, sizeof name, "%lu", static_cast<unsigned long>(chosen));
        HKEY key = nullptr;
        if (RegCreateKeyExA(calibration, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            if (WriteGuid(key, instance) == ERROR_SUCCESS) {
                number = chosen;
            }
            RegCloseKey(key);
        }
    }
    RegCloseKey(calibration);
    return number;
}

// The interface key is the interface path with its "\\?\" written "##?#".
void RecordInterfaceKey(const char* interfacePath, const GUID& instance) {
    constexpr char kPrefix[] = "\\\\?\\";
    const size_t prefixLength = sizeof kPrefix - 1;
    if (std::strncmp(interfacePath, kPrefix, prefixLength) != 0) {
        return;
    }
    char path[MAX_PATH * 2];
    const int written = std::snprintf(path, sizeof path, "%s\\##?#%s\\%s", kHidClassKey,
                                      interfacePath + prefixLength, kInterfaceDirectXSubkey);
    if (written < 0 || static_cast<size_t>(written) >= sizeof path) {
        return;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        WriteGuid(key, instance);
        RegCloseKey(key);
    }
}

}  // namespace

DWORD RecordControllerKeys(const standin::ControllerInfo& controller, const GUID& instance) {
    char interfacePath[standin::kPathCapacity];
    std::memcpy(interfacePath, controller.path, sizeof interfacePath);
    interfacePath[sizeof interfacePath - 1] = '\0';
    RecordInterfaceKey(interfacePath, instance);
    return RecordCalibrationInstance(controller.spec, instance);
}

}  // namespace standin_dinput

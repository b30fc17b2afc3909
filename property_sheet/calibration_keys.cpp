#include "property_sheet/calibration_keys.h"

#include <cstdio>
#include <cstring>

#include "profiles/selected_model.h"
#include "property_sheet/vendor_key.h"

namespace {

constexpr char kGuidValue[] = "GUID";
// Room for the longest subkey name the enumeration takes, terminator
// included.
constexpr DWORD kSubkeyNameCapacity = 2048;

// Only exactly 16 bytes can be the identifier: a shorter value would leave
// part of the comparison to whatever the buffer held.
bool HoldsInstance(HKEY key, const GUID& instance) {
    BYTE stored[sizeof(GUID)];
    DWORD size = sizeof stored;
    if (RegQueryValueExA(key, kGuidValue, nullptr, nullptr, stored, &size) != ERROR_SUCCESS ||
        size != sizeof stored) {
        return false;
    }
    return std::memcmp(stored, &instance, sizeof stored) == 0;
}

// `guidSubkey` names where below the candidate the "GUID" value lives;
// none when the candidate carries it itself.
bool CandidateHoldsInstance(HKEY candidate, const char* guidSubkey, const GUID& instance) {
    if (guidSubkey == nullptr) {
        return HoldsInstance(candidate, instance);
    }
    HKEY holder = nullptr;
    if (RegOpenKeyA(candidate, guidSubkey, &holder) != ERROR_SUCCESS) {
        return false;
    }
    const bool holds = HoldsInstance(holder, instance);
    RegCloseKey(holder);
    return holds;
}

LSTATUS FindSubkeyHoldingInstance(const char* parentPath, const char* guidSubkey,
                                  const GUID& instance, HKEY* found) {
    *found = nullptr;
    HKEY parent = nullptr;
    LSTATUS status = RegOpenKeyA(HKEY_LOCAL_MACHINE, parentPath, &parent);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    char name[kSubkeyNameCapacity];
    for (DWORD index = 0;; ++index) {
        status = RegEnumKeyA(parent, index, name, kSubkeyNameCapacity);
        if (status != ERROR_SUCCESS) {
            break;  // ERROR_NO_MORE_ITEMS after the last subkey
        }
        HKEY candidate = nullptr;
        status = RegOpenKeyA(parent, name, &candidate);
        if (status != ERROR_SUCCESS) {
            break;
        }
        if (CandidateHoldsInstance(candidate, guidSubkey, instance)) {
            *found = candidate;
            break;
        }
        RegCloseKey(candidate);
    }
    RegCloseKey(parent);
    return status;
}

}  // namespace

LSTATUS FindHidInterfaceKey(const GUID& instance, HKEY* found) {
    return FindSubkeyHoldingInstance(kHidInterfaceClassKey, kInterfaceDirectXSubkey, instance,
                                     found);
}

LSTATUS FindCalibrationInstanceKey(const GUID& instance, HKEY* found) {
    char path[MAX_PATH];
    FormatPrivateCalibrationKeyPath(path);
    return FindSubkeyHoldingInstance(path, nullptr, instance, found);
}

void FormatPrivateCalibrationKeyPath(char (&out)[MAX_PATH]) {
    char vendorProduct[kVendorProductKeySize];
    FormatVendorProductKey(vendorProduct, kModelProfile.vendorId, kModelProfile.productId);
    std::snprintf(out, sizeof out,
                  "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "DirectInput\\%s\\Calibration",
                  vendorProduct);
}

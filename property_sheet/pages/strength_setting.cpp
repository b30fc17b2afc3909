#include "property_sheet/pages/strength_setting.h"

#include <cstdio>

#include "profiles/selected_model.h"
#include "property_sheet/vendor_key.h"

namespace {

constexpr char kStrengthValue[] = "Amplify";
constexpr char kOemKeyParent[] =
    "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\Joystick\\OEM\\";

// The device's OEM key, named by the model's vendor and product id.
HKEY OpenDeviceOemKey() {
    char vendorProduct[kVendorProductKeySize];
    FormatVendorProductKey(vendorProduct, kModelProfile.vendorId, kModelProfile.productId);
    char path[160];
    std::snprintf(path, sizeof path, "%s%s", kOemKeyParent, vendorProduct);
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

}  // namespace

bool ReadStrengthSetting(DWORD* strength) {
    HKEY key = OpenDeviceOemKey();
    if (key == nullptr) {
        return false;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS status = RegQueryValueExA(key, kStrengthValue, nullptr, &type,
                                            reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) {
        return false;
    }
    *strength = value;
    return true;
}

bool WriteStrengthSetting(DWORD strength) {
    HKEY key = OpenDeviceOemKey();
    if (key == nullptr) {
        return false;
    }
    RegSetValueExA(key, kStrengthValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&strength),
                   sizeof strength);
    RegCloseKey(key);
    return true;
}

void FormatStrengthPercent(DWORD strength, char* out, size_t capacity) {
    // Whole percent, taken as 1/12 of the value so that no stored number
    // can overflow the product.
    const unsigned percent = strength / (kStrongestStrength / 100);
    std::snprintf(out, capacity, "%d%c", static_cast<int>(percent), '%');
}

#include "effect_driver/strength_settings.h"

#include "effect_driver/effect_driver.h"
#include "effect_driver/vendor_key.h"
#include "profiles/selected_model.h"

LSTATUS ReadRegistryNumber(HKEY key, const char* valueName, DWORD* number) {
    BYTE bytes[4] = {};
    DWORD length = sizeof bytes;
    LSTATUS result = RegQueryValueExA(key, valueName, nullptr, nullptr, bytes, &length);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    DWORD value = 0;
    for (DWORD i = length; i > 0; --i) {
        value = (value << 8) + bytes[i - 1];
    }
    *number = value;
    return ERROR_SUCCESS;
}

DWORD ReadStrengthSettings(EffectDriver* driver, DWORD deviceId) {
    DWORD rumble = 1;
    char path[kRegistryPathCapacity];
    FormatDeviceOemKeyPath(path, kModelProfile.vendorId, kModelProfile.productId);
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS) {
        return rumble;
    }
    DWORD amplify = 0;
    if (ReadRegistryNumber(key, "Amplify", &amplify) == ERROR_SUCCESS) {
        driver->devices[deviceId].amplify = amplify;
    }
    if (kModelProfile.readsRumbleSwitch) {
        ReadRegistryNumber(key, "Rumble", &rumble);
    }
    RegCloseKey(key);
    return rumble;
}

// "Amplify" and "Rumble" in the device's OEM key.
#include "effect_driver/strength_settings.h"

#include <gtest/gtest.h>

#include "effect_driver/vendor_key.h"
#include "profiles/selected_model.h"
#include "support/driver_fixture.h"

namespace {

class StrengthSettings : public test_support::DriverFixture {
  protected:
    HKEY OemKey() {
        char path[kRegistryPathCapacity];
        FormatDeviceOemKeyPath(path, kModelProfile.vendorId, kModelProfile.productId);
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key));
        return key;
    }
    void Set(const char* name, DWORD type, std::vector<BYTE> bytes) {
        HKEY key = OemKey();
        RegSetValueExA(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
    }
    void Delete(const char* name) {
        HKEY key = OemKey();
        RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
};

TEST_F(StrengthSettings, NumbersAreUpToFourLittleEndianBytesOfAnyType) {
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> bytes;
        LSTATUS result;
        DWORD number;
    } cases[] = {
        {"4-byte number", REG_DWORD, {0xF4, 0x01, 0, 0}, ERROR_SUCCESS, 500},
        {"one byte", REG_BINARY, {0x64}, ERROR_SUCCESS, 100},
        {"two bytes", REG_BINARY, {0x34, 0x12}, ERROR_SUCCESS, 0x1234},
        {"text", REG_SZ, {'a', 'b', 0}, ERROR_SUCCESS, 0x006261},
        {"empty", REG_BINARY, {}, ERROR_SUCCESS, 0},
        {"8 bytes: a failed read", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, ERROR_MORE_DATA, 4242},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Set("Value", c.type, c.bytes);
        HKEY key = OemKey();
        DWORD number = 4242;
        EXPECT_EQ(c.result, ReadRegistryNumber(key, "Value", &number));
        EXPECT_EQ(c.number, number);
        RegCloseKey(key);
    }
    HKEY key = OemKey();
    DWORD number = 4242;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadRegistryNumber(key, "Missing", &number));
    EXPECT_EQ(4242u, number);
    RegCloseKey(key);
}

TEST_F(StrengthSettings, AmplifyReplacesTheDevicesFactorOnlyWhenItReads) {
    EXPECT_EQ(1u, ReadStrengthSettings(driver_, 2)) << "no key at all";
    EXPECT_EQ(1000u, entry(2).amplify.load());

    Set("Amplify", REG_DWORD, {0xF4, 0x01, 0, 0});
    ReadStrengthSettings(driver_, 2);
    EXPECT_EQ(500u, entry(2).amplify.load());
    EXPECT_EQ(1000u, entry(3).amplify.load()) << "only the device asked for";

    Delete("Amplify");
    ReadStrengthSettings(driver_, 2);
    EXPECT_EQ(500u, entry(2).amplify.load()) << "a missing value keeps the last one";

    Set("Amplify", REG_QWORD, {0xE8, 0x03, 0, 0, 0, 0, 0, 0});
    ReadStrengthSettings(driver_, 2);
    EXPECT_EQ(500u, entry(2).amplify.load()) << "an 8-byte value is a failed read";

    Set("Amplify", REG_BINARY, {});
    ReadStrengthSettings(driver_, 2);
    EXPECT_EQ(0u, entry(2).amplify.load()) << "an empty value silences";
}

TEST_F(StrengthSettings, RumbleSwitchesOnlyTheModelThatHasIt) {
    struct Case {
        const char* what;
        std::vector<BYTE> rumble;  // empty vector: value absent
        bool present;
        DWORD modelS, modelT;
    } cases[] = {
        {"absent", {}, false, 1, 1},
        {"0", {0, 0, 0, 0}, true, 0, 1},
        {"1", {1, 0, 0, 0}, true, 1, 1},
        {"one zero byte", {0}, true, 0, 1},
        {"any other number", {7, 1, 0, 0}, true, 0x107, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Delete("Rumble");
        if (c.present) {
            Set("Rumble", REG_DWORD, c.rumble);
        }
        DWORD expected = kModelProfile.readsRumbleSwitch ? c.modelS : c.modelT;
        EXPECT_EQ(expected, ReadStrengthSettings(driver_, 0));
    }
}

}  // namespace

// Reading the effect attributes table from the effect registrations.
#include "effect_driver/effect_registrations.h"

#include <gtest/gtest.h>
#include <simwin/control.h>

#include "effect_driver/effect_driver.h"
#include "profiles/selected_model.h"
#include "support/effect_registrations_fixture.h"

namespace {

using test_support::EffectRegistrationPath;
using test_support::InstallEffectRegistrations;

void SetAttributes(unsigned position, DWORD type, const std::vector<BYTE>& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE,
                                           EffectRegistrationPath(kModelProfile.vendorId,
                                                                  kModelProfile.productId, position)
                                               .c_str(),
                                           &key));
    RegSetValueExA(key, "Attributes", 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

class EffectRegistrations : public ::testing::Test {
  protected:
    void SetUp() override { simwin::Reset(); }
};

TEST_F(EffectRegistrations, PathsEndInTheEffectIdAsAnUpperCaseDigit) {
    const char* expectedGuids[] = {
        "{13541C20-8E33-11D0-9AD0-00A0C9A06E35}", "{13541C29-8E33-11D0-9AD0-00A0C9A06E35}",
        "{13541C2A-8E33-11D0-9AD0-00A0C9A06E35}", "{13541C2B-8E33-11D0-9AD0-00A0C9A06E35}"};
    const unsigned positions[] = {0, 9, 10, 11};
    char vendorProduct[32];
    std::snprintf(vendorProduct, sizeof vendorProduct, "\\OEM\\VID_%04X&PID_%04X\\",
                  kModelProfile.vendorId, kModelProfile.productId);
    for (int i = 0; i < 4; ++i) {
        char path[256];
        ASSERT_TRUE(FormatEffectRegistrationPath(positions[i], path, sizeof path));
        std::string text = path;
        EXPECT_EQ(0u, text.find("System\\CurrentControlSet\\Control\\MediaProperties\\"
                                "PrivateProperties\\Joystick\\OEM\\"));
        EXPECT_NE(std::string::npos, text.find(vendorProduct)) << text;
        EXPECT_EQ(std::string("\\OEMForceFeedback\\Effects\\") + expectedGuids[i],
                  text.substr(text.size() - 26 - 38));
    }
    char path[256];
    EXPECT_FALSE(FormatEffectRegistrationPath(12, path, sizeof path));
    EXPECT_FALSE(FormatEffectRegistrationPath(0, path, 40)) << "a path that does not fit";
}

TEST_F(EffectRegistrations, EntryTHoldsTheAttributesOfRegistrationT) {
    InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId);
    for (unsigned t = 0; t < 12; ++t) {
        DIEFFECTATTRIBUTES entry;
        std::memset(&entry, 0xCC, sizeof entry);
        ASSERT_TRUE(ReadEffectAttributes(t, &entry));
        EXPECT_EQ(t, entry.dwEffectId);
        EXPECT_EQ(0x1 + t, entry.dwEffType);
        EXPECT_EQ(0x30u, entry.dwCoords);
    }
    DIEFFECTATTRIBUTES entry;
    EXPECT_FALSE(ReadEffectAttributes(12, &entry));
    EXPECT_FALSE(ReadEffectAttributes(0, nullptr));
}

TEST_F(EffectRegistrations, ValuesOfOtherLengthsAreCutOrZeroFilledWhateverTheirType) {
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> value;
        DIEFFECTATTRIBUTES expected;
    } cases[] = {
        {"exact record",
         REG_BINARY,
         {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0},
         {1, 2, 3, 4, 5}},
        {"longer: first 20 bytes",
         REG_BINARY,
         {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 9, 9, 9, 9},
         {1, 2, 3, 4, 5}},
        {"shorter: rest zero", REG_BINARY, {7, 0, 0, 0, 8, 0}, {7, 8, 0, 0, 0}},
        {"empty: all zero", REG_BINARY, {}, {0, 0, 0, 0, 0}},
        {"a number type is read as bytes", REG_DWORD, {3, 0, 0, 0}, {3, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetAttributes(4, c.type, c.value);
        DIEFFECTATTRIBUTES entry;
        std::memset(&entry, 0xCC, sizeof entry);
        ASSERT_TRUE(ReadEffectAttributes(4, &entry));
        EXPECT_EQ(0, std::memcmp(&c.expected, &entry, sizeof entry));
    }
}

TEST_F(EffectRegistrations, InitializationStopsAtTheFirstMissingRegistration) {
    InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId, {11});
    EffectDriver* driver = CreateEffectDriver();
    ASSERT_NE(nullptr, driver);
    EXPECT_EQ(E_FAIL, InitializeDriver(driver));
    for (unsigned t = 0; t < 11; ++t) {
        EXPECT_EQ(t, driver->attributes[t].dwEffectId) << "positions before the gap were read";
    }
    // Destroy through the interface, as CreateInstance does.
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(&driver->iface));
}

TEST_F(EffectRegistrations, InitializationResetsEveryDevice) {
    InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId);
    EffectDriver* driver = CreateEffectDriver();
    ASSERT_NE(nullptr, driver);
    ASSERT_EQ(S_OK, InitializeDriver(driver));
    for (const DeviceEntry& entry : driver->devices) {
        EXPECT_EQ(0u, entry.bound.load());
        EXPECT_EQ(nullptr, entry.deviceHandle);
        EXPECT_EQ(-1, entry.joystickId);
        EXPECT_EQ(0, entry.reportId);
        EXPECT_EQ(10000u, entry.gain.load());
        EXPECT_EQ(1000u, entry.amplify.load());
        EXPECT_EQ(0u, entry.leftMotor);
        EXPECT_EQ(0u, entry.rightMotor);
        EXPECT_STREQ("", entry.devicePath);
        for (const EffectSlot& slot : entry.slots) {
            EXPECT_EQ(0u, slot.inUse);
            EXPECT_EQ(static_cast<DWORD>(kIdle), slot.playState.load());
        }
    }
    EXPECT_EQ(0u, driver->playbackTimer);
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(&driver->iface));
}

}  // namespace

// "Amplify" and "Rumble" in the model's OEM key, as the control panel writes
// them into the runtime's registry; the driver reads them at every start.
#include "loaded_driver.h"

namespace windows_test {
namespace {

using StrengthSettings = DriverObject;

std::vector<BYTE> Number(DWORD value) {
    return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
            static_cast<BYTE>(value >> 24)};
}

TEST_F(StrengthSettings, RumbleOffStopsEveryEffectOnModelSOnly) {
    SavedRegistryValue rumble(OemKeyPath(), "Rumble");
    ASSERT_EQ(1u, DownloadNew(0, DIEP_ALLPARAMS | DIEP_START));
    ASSERT_EQ(2u, DownloadNew());

    ASSERT_EQ(ERROR_SUCCESS, rumble.Set(REG_DWORD, Number(0)));
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(driver_, 0, 2, 0, 1));
    if (kModelProfile.model == DeviceModel::S) {
        EXPECT_EQ(0u, Status(0, 2)) << "switched off: not started";
        EXPECT_EQ(0u, Status(0, 1)) << "switched off: the others stop";
    } else {
        EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(0, 2)) << "this model has no switch";
        EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(0, 1));
    }

    ASSERT_EQ(ERROR_SUCCESS, rumble.Set(REG_DWORD, Number(1)));
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(driver_, 0, 2, 0, 1));
    EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(0, 2));

    ASSERT_EQ(ERROR_SUCCESS, rumble.Delete());
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(driver_, 0, 1, 0, 1));
    EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(0, 1)) << "no switch means on";
}

TEST_F(StrengthSettings, AmplifyInAnyFormLetsEffectsStart) {
    SavedRegistryValue amplify(OemKeyPath(), "Amplify");
    ASSERT_EQ(1u, DownloadNew());
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> bytes;
    } cases[] = {
        {"500", REG_DWORD, Number(500)},
        {"0", REG_DWORD, Number(0)},
        {"largest number", REG_DWORD, Number(0xFFFFFFFF)},
        {"one byte", REG_BINARY, {0x64}},
        {"empty", REG_BINARY, {}},
        {"text", REG_SZ, {'1', '0', '0', 0}},
        {"8 bytes", REG_QWORD, {0xE8, 0x03, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ERROR_SUCCESS, amplify.Set(c.type, c.bytes));
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(driver_, 0, 1, 0, 1));
        EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(0, 1));
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_StopEffect(driver_, 0, 1));
    }
}

}  // namespace
}  // namespace windows_test

// The device-wide methods and the binding of a device entry, in a runtime
// that has no controller.
#include "loaded_driver.h"

namespace windows_test {
namespace {

using DriverCommands = DriverObject;

TEST_F(DriverCommands, DeviceIdChecksItsArgumentsBeforeLookingForTheController) {
    // What DirectInput gets back when no controller answers the id: the bare
    // error number, not an HRESULT.
    constexpr HRESULT kDeviceNotConnected = ERROR_DEVICE_NOT_CONNECTED;
    static_assert(kDeviceNotConnected == 1167, "");
    struct Case {
        const char* what;
        DWORD version;
        DWORD id;
        HRESULT expected;
    } cases[] = {
        {"id 16", 0x0700, 16, E_INVALIDARG},
        {"id 16 before the version", 0x0500, 16, E_INVALIDARG},
        {"version 6.FF", 0x06FF, 0, DIERR_OLDDIRECTINPUTVERSION},
        {"id 0 without controller", 0x0700, 0, kDeviceNotConnected},
        {"id 15 without controller", 0x0800, 15, kDeviceNotConnected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected,
                  IDirectInputEffectDriver_DeviceID(driver_, c.version, c.id, 0, 0, nullptr));
    }
    EXPECT_EQ(static_cast<HRESULT>(0x80070057), E_INVALIDARG);
    EXPECT_EQ(static_cast<HRESULT>(0x8007047E), DIERR_OLDDIRECTINPUTVERSION);

    // An entry that found no controller still stores effects.
    EXPECT_EQ(1u, DownloadNew());
}

TEST_F(DriverCommands, GetVersionsNeedsTheRecordSize) {
    DIDRIVERVERSIONS versions = {};
    versions.dwSize = 12;
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_GetVersions(driver_, &versions));
    EXPECT_EQ(0u, versions.dwFirmwareRevision);
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_GetVersions(driver_, nullptr));

    versions.dwSize = sizeof versions;
    ASSERT_EQ(16u, versions.dwSize);
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_GetVersions(driver_, &versions));
    EXPECT_EQ(1u, versions.dwFirmwareRevision);
    EXPECT_EQ(1u, versions.dwHardwareRevision);
    EXPECT_EQ(2u, versions.dwFFDriverVersion);
}

TEST_F(DriverCommands, EscapeGainAndStateCheckTheirArguments) {
    DIEFFESCAPE escape = {};
    escape.dwSize = sizeof escape;
    DIDEVICESTATE state = {};
    state.dwSize = sizeof state;
    struct Case {
        const char* what;
        HRESULT result;
        HRESULT expected;
    } cases[] = {
        {"escape", IDirectInputEffectDriver_Escape(driver_, 0, 0, &escape), S_OK},
        {"escape to effect 32", IDirectInputEffectDriver_Escape(driver_, 15, 32, &escape), S_OK},
        {"escape to effect 33", IDirectInputEffectDriver_Escape(driver_, 0, 33, &escape),
         E_INVALIDARG},
        {"escape to device 16", IDirectInputEffectDriver_Escape(driver_, 16, 0, &escape),
         E_INVALIDARG},
        {"escape without record", IDirectInputEffectDriver_Escape(driver_, 0, 0, nullptr),
         E_INVALIDARG},
        {"gain 10000", IDirectInputEffectDriver_SetGain(driver_, 0, 10000), S_OK},
        {"gain 0", IDirectInputEffectDriver_SetGain(driver_, 15, 0), S_OK},
        {"gain 10001", IDirectInputEffectDriver_SetGain(driver_, 0, 10001), E_INVALIDARG},
        {"gain on device 16", IDirectInputEffectDriver_SetGain(driver_, 16, 5000), E_INVALIDARG},
        {"state", IDirectInputEffectDriver_GetForceFeedbackState(driver_, 0, &state), S_OK},
        {"state of device 16", IDirectInputEffectDriver_GetForceFeedbackState(driver_, 16, &state),
         E_INVALIDARG},
        {"state without record",
         IDirectInputEffectDriver_GetForceFeedbackState(driver_, 0, nullptr), E_INVALIDARG},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, c.result) << c.what;
    }
}

TEST_F(DriverCommands, ForceFeedbackCommandsAreSingleKnownFlags) {
    struct Case {
        DWORD command;
        HRESULT expected;
    } cases[] = {
        {DISFFC_RESET, S_OK},
        {DISFFC_STOPALL, S_OK},
        {DISFFC_PAUSE, S_OK},
        {DISFFC_CONTINUE, S_OK},
        {DISFFC_SETACTUATORSON, S_OK},
        {DISFFC_SETACTUATORSOFF, S_OK},
        {0, E_NOTIMPL},
        {DISFFC_RESET | DISFFC_STOPALL, E_NOTIMPL},
        {0x40, E_NOTIMPL},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected,
                  IDirectInputEffectDriver_SendForceFeedbackCommand(driver_, 0, c.command))
            << "command " << c.command;
    }
    EXPECT_EQ(E_INVALIDARG,
              IDirectInputEffectDriver_SendForceFeedbackCommand(driver_, 16, DISFFC_RESET));
}

}  // namespace
}  // namespace windows_test

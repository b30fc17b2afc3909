// The device-wide methods: versions, escapes, gain, commands, state.
#include <gtest/gtest.h>
#include <simwin/control_devices.h>

#include "effect_driver/playback_tick.h"

#include "support/driver_fixture.h"
#include "support/effect_records.h"

namespace {

using test_support::EffectRecord;

class DriverCommands : public test_support::DriverFixture {
  protected:
    DWORD Download(DWORD device, EffectRecord& r) {
        DWORD handle = 0;
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_DownloadEffect(iface(), device, 0, &handle,
                                                                r.get(), DIEP_START));
        return handle;
    }
    DWORD Status(DWORD device, DWORD handle) {
        DWORD status = 0;
        IDirectInputEffectDriver_GetEffectStatus(iface(), device, handle, &status);
        return status;
    }
};

TEST_F(DriverCommands, VersionsNeedTheRecordsSize) {
    DIDRIVERVERSIONS versions = {12, 9, 9, 9};
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_GetVersions(iface(), &versions));
    EXPECT_EQ(9u, versions.dwFirmwareRevision);
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_GetVersions(iface(), nullptr));
    versions.dwSize = sizeof versions;
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_GetVersions(iface(), &versions));
    EXPECT_EQ(1u, versions.dwFirmwareRevision);
    EXPECT_EQ(1u, versions.dwHardwareRevision);
    EXPECT_EQ(2u, versions.dwFFDriverVersion);
}

TEST_F(DriverCommands, ArgumentChecks) {
    DIEFFESCAPE escape = {sizeof escape, 7, nullptr, 0, nullptr, 0};
    const DIEFFESCAPE untouched = escape;
    DIDEVICESTATE state = {sizeof state, 0xAAAA, 0xBBBB};
    struct Case {
        const char* what;
        HRESULT result, expected;
    } cases[] = {
        {"escape, effect 0", IDirectInputEffectDriver_Escape(iface(), 0, 0, &escape), S_OK},
        {"escape, effect 32", IDirectInputEffectDriver_Escape(iface(), 15, 32, &escape), S_OK},
        {"escape, effect 33", IDirectInputEffectDriver_Escape(iface(), 0, 33, &escape),
         E_INVALIDARG},
        {"escape, device 16", IDirectInputEffectDriver_Escape(iface(), 16, 1, &escape),
         E_INVALIDARG},
        {"escape, no record", IDirectInputEffectDriver_Escape(iface(), 0, 1, nullptr),
         E_INVALIDARG},
        {"gain 10000", IDirectInputEffectDriver_SetGain(iface(), 3, 10000), S_OK},
        {"gain 10001", IDirectInputEffectDriver_SetGain(iface(), 3, 10001), E_INVALIDARG},
        {"gain, device 16", IDirectInputEffectDriver_SetGain(iface(), 16, 5), E_INVALIDARG},
        {"state", IDirectInputEffectDriver_GetForceFeedbackState(iface(), 0, &state), S_OK},
        {"state, device 16", IDirectInputEffectDriver_GetForceFeedbackState(iface(), 16, &state),
         E_INVALIDARG},
        {"state, no record", IDirectInputEffectDriver_GetForceFeedbackState(iface(), 0, nullptr),
         E_INVALIDARG},
        {"command, device 16", IDirectInputEffectDriver_SendForceFeedbackCommand(iface(), 16, 1),
         E_INVALIDARG},
        {"reset and stop at once", IDirectInputEffectDriver_SendForceFeedbackCommand(iface(), 0, 3),
         E_NOTIMPL},
        {"no command", IDirectInputEffectDriver_SendForceFeedbackCommand(iface(), 0, 0), E_NOTIMPL},
        {"unknown command", IDirectInputEffectDriver_SendForceFeedbackCommand(iface(), 0, 0x40),
         E_NOTIMPL},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, c.result) << c.what;
    }
    EXPECT_EQ(0, std::memcmp(&untouched, &escape, sizeof escape)) << "nothing is escaped";
    EXPECT_EQ(0xAAAAu, state.dwState) << "the state record is left as passed";
    EXPECT_EQ(0xBBBBu, state.dwLoad);
    EXPECT_EQ(10000u, entry(3).gain.load()) << "the refused gain changed nothing";
    IDirectInputEffectDriver_SetGain(iface(), 3, 0);
    EXPECT_EQ(0u, entry(3).gain.load());
}

TEST_F(DriverCommands, ResetDestroysAndStopAllStopsTheDevicesEffects) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {1});
    DWORD handles[5];
    for (DWORD& h : handles) {
        h = Download(0, r);
    }
    DWORD other = Download(1, r);
    for (DWORD h : {1u, 3u, 4u}) {
        IDirectInputEffectDriver_DestroyEffect(iface(), 0, h);
    }
    // Effects in slots 2 and 5 remain.
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_SendForceFeedbackCommand(iface(), 0, DISFFC_STOPALL));
    EXPECT_EQ(0u, Status(0, 2));
    EXPECT_EQ(0u, Status(0, 5));
    EXPECT_EQ(1u, entry(0).slots[1].inUse) << "stopped, still downloaded";
    EXPECT_EQ(1u, entry(0).slots[4].inUse);
    EXPECT_EQ(DIEGES_PLAYING, Status(1, other)) << "other devices play on";

    EXPECT_EQ(S_OK, IDirectInputEffectDriver_SendForceFeedbackCommand(iface(), 0, DISFFC_RESET));
    for (const EffectSlot& slot : entry(0).slots) {
        EXPECT_EQ(0u, slot.inUse);
    }
    EXPECT_EQ(1u, entry(1).slots[0].inUse);
}

TEST_F(DriverCommands, PauseAndActuatorCommandsChangeNothing) {
    const simwin::ControllerId controller = PlugAndBind(0).id;
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {1});
    DWORD h = Download(0, r);
    PlaybackTick(driver_);
    const std::vector<BYTE> playing = simwin::WrittenReports(controller).front().bytes;
    ASSERT_NE(0, playing[3]) << "the effect drives the left motor";
    for (DWORD command :
         {DISFFC_PAUSE, DISFFC_CONTINUE, DISFFC_SETACTUATORSON, DISFFC_SETACTUATORSOFF}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_SendForceFeedbackCommand(iface(), 0, command));
        EXPECT_EQ(DIEGES_PLAYING, Status(0, h));
        simwin::ClearWrittenReports(controller);
        PlaybackTick(driver_);
        auto reports = simwin::WrittenReports(controller);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(playing, reports.front().bytes) << "the motors keep running";
    }
}

}  // namespace

// A game's use of the driver, as DirectInput makes it: the module loaded by
// the loader, an object from its factory, a binding, effects, and the bytes
// that reach the controller over simulated time.
#include <dinput.h>
#include <dinputd.h>
#include <gtest/gtest.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <unistd.h>

#include "profiles/selected_model.h"
#include "support/effect_records.h"
#include "support/effect_registrations_fixture.h"
#include "support/loaded_module.h"

namespace {

using Bytes = std::vector<BYTE>;
constexpr bool kModelS = kModelProfile.model == DeviceModel::S;
constexpr DWORD kPeriod = kModelProfile.playbackPeriodMs;

// The strength report for motor bytes (left, right), report id 3.
Bytes Strength(BYTE left, BYTE right) {
    return kModelS ? Bytes{3, 0x51, 0, left, 0, right, 0, 0} : Bytes{3, 0, 0, left, right};
}
const Bytes kFollowUp = {3, 0xFA, 0xFE, 0, 0, 0, 0, 0};
const Bytes kStop = {3, 0xF3, 0, 0, 0, 0, 0, 0};

TEST(EndToEnd, AGameRumblesTheControllerThroughTheModule) {
    simwin::Reset();
    simwin::SetEventNamespace("rumbix-e2e-" + std::to_string(getpid()));
    test_support::InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId);
    simwin::HidControllerSpec spec;
    spec.vendorId = kModelProfile.vendorId;
    spec.productId = kModelProfile.productId;
    spec.interfacePath =
        "\\\\?\\hid#vid_0000&pid_0000#8&1&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    spec.directInputInstance = {0xC0FFEE, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    spec.outputReportId = 3;
    simwin::ControllerId controller = simwin::AddHidController(spec);
    simwin::SetJoystick(1, spec.directInputInstance);

    test_support::LoadedModule module(RUMBIX_LIBRARY);
    ASSERT_TRUE(module.loaded());
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, module.GetClassObject(kModelProfile.effectDriverClassId, IID_IClassFactory,
                                          reinterpret_cast<void**>(&factory)));
    IDirectInputEffectDriver* driver = nullptr;
    ASSERT_EQ(S_OK, IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver,
                                                 reinterpret_cast<void**>(&driver)));
    IClassFactory_Release(factory);
    ASSERT_EQ(S_OK, IDirectInputEffectDriver_DeviceID(driver, 0x0700, 1, 1, 0, nullptr));

    // Engine rumble: a half-strength constant force on both motors.
    test_support::EffectRecord engine;
    test_support::MakeConstantForce(engine, 5000, {1});
    DWORD engineHandle = 0;
    ASSERT_EQ(S_OK, IDirectInputEffectDriver_DownloadEffect(driver, 1, 0, &engineHandle,
                                                            engine.get(), DIEP_START));
    simwin::ClearWrittenReports(controller);
    simwin::AdvanceTime(2 * kPeriod);
    // 127 × 0.5 = 63.5 → 63 on each motor.
    std::vector<Bytes> expected =
        kModelS ? std::vector<Bytes>{Strength(126, 126), kFollowUp, Strength(126, 126), kFollowUp}
                : std::vector<Bytes>{Strength(63, 63), Strength(63, 63)};
    auto reports = simwin::WrittenReports(controller);
    ASSERT_EQ(expected.size(), reports.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i], reports[i].bytes) << i;
    }

    // A short explosion on top for one tick's worth of time, then gone.
    test_support::EffectRecord blast;
    test_support::MakeConstantForce(blast, 10000, {1}, /*duration=*/kPeriod * 1000);
    DWORD blastHandle = 0;
    ASSERT_EQ(S_OK, IDirectInputEffectDriver_DownloadEffect(driver, 1, 0, &blastHandle, blast.get(),
                                                            DIEP_START));
    simwin::ClearWrittenReports(controller);
    simwin::AdvanceTime(3 * kPeriod);
    reports = simwin::WrittenReports(controller);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(kModelS ? 0xFE : 0x7F, reports.front().bytes[3]) << "both effects: full strength";
    const Bytes& lastStrength = reports[reports.size() - (kModelS ? 2 : 1)].bytes;
    EXPECT_EQ(Strength(kModelS ? 126 : 63, kModelS ? 126 : 63), lastStrength)
        << "the blast ended, the engine remains";
    DWORD status = 0;
    IDirectInputEffectDriver_GetEffectStatus(driver, 1, blastHandle, &status);
    EXPECT_EQ(0u, status);

    // Half the device gain halves the engine.
    ASSERT_EQ(S_OK, IDirectInputEffectDriver_SetGain(driver, 1, 5000));
    simwin::ClearWrittenReports(controller);
    simwin::AdvanceTime(kPeriod);
    reports = simwin::WrittenReports(controller);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(kModelS ? 62 : 31, reports.front().bytes[3]);

    // Stopped: the motors fall still.
    ASSERT_EQ(S_OK, IDirectInputEffectDriver_StopEffect(driver, 1, engineHandle));
    simwin::ClearWrittenReports(controller);
    simwin::AdvanceTime(kPeriod);
    reports = simwin::WrittenReports(controller);
    expected = kModelS ? std::vector<Bytes>{kFollowUp, kStop} : std::vector<Bytes>{Strength(0, 0)};
    ASSERT_EQ(expected.size(), reports.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i], reports[i].bytes) << i;
    }

    // The game lets go: the controller gets the model's final output, and
    // the module may be unloaded.
    simwin::ClearWrittenReports(controller);
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver));
    reports = simwin::WrittenReports(controller);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(kModelS ? kFollowUp : Strength(0, 0), reports.back().bytes);
    EXPECT_EQ(0u, simwin::OpenHandleCount(controller));
    EXPECT_TRUE(simwin::ActiveTimers().empty());
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}

}  // namespace

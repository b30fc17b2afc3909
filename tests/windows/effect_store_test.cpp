// The effect store through the driver's interface: handles, downloads,
// updates, playback states and the device-wide commands that act on them.
#include "loaded_driver.h"

namespace windows_test {
namespace {

using test_support::EffectRecord;
using test_support::kConstantForce;
using test_support::MakeConstantForce;

using EffectStore = DriverObject;

TEST_F(EffectStore, HandlesRunFromOneTo32AndFreedOnesAreGivenOutAgain) {
    for (DWORD expected = 1; expected <= 32; ++expected) {
        ASSERT_EQ(expected, DownloadNew());
    }
    DWORD handle = 0;
    EXPECT_EQ(E_FAIL, Download(0, &handle)) << "a 33rd effect";
    EXPECT_EQ(0u, handle);

    EXPECT_EQ(1u, DownloadNew(15)) << "every device has its own 32";

    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(driver_, 0, 3));
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(driver_, 0, 30));
    EXPECT_EQ(3u, DownloadNew()) << "the lowest free handle";
    EXPECT_EQ(30u, DownloadNew());
    handle = 0;
    EXPECT_EQ(E_FAIL, Download(0, &handle));
}

TEST_F(EffectStore, RefusedDownloadsStoreNothing) {
    EffectRecord good;
    MakeConstantForce(good, 5000, {1, 1});
    EffectRecord axesOnly;
    MakeConstantForce(axesOnly, 5000, {1, 1});
    DIEFFECT* axesWithoutDirections = axesOnly.get();
    axesWithoutDirections->rglDirection = nullptr;
    EffectRecord sizeless;
    MakeConstantForce(sizeless, 5000, {1, 1});
    DIEFFECT* paramsWithoutSize = sizeless.get();
    paramsWithoutSize->cbTypeSpecificParams = 0;

    struct Case {
        const char* what;
        DWORD device;
        DWORD type;
        DWORD handle;
        LPCDIEFFECT record;
        DWORD flags;
    } cases[] = {
        {"device 16", 16, kConstantForce, 0, good.get(), DIEP_ALLPARAMS},
        {"effect type 12", 0, 12, 0, good.get(), DIEP_ALLPARAMS},
        {"handle 33", 0, kConstantForce, 33, good.get(), DIEP_ALLPARAMS},
        {"no record", 0, kConstantForce, 0, nullptr, DIEP_ALLPARAMS},
        {"axes without directions", 0, kConstantForce, 0, axesWithoutDirections, DIEP_ALLPARAMS},
        {"parameters without their size", 0, kConstantForce, 0, paramsWithoutSize, DIEP_ALLPARAMS},
        {"checked even without download", 0, kConstantForce, 0, axesWithoutDirections,
         DIEP_ALLPARAMS | DIEP_NODOWNLOAD},
        {"update of a free handle", 0, kConstantForce, 5, good.get(), DIEP_DURATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DWORD handle = c.handle;
        EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_DownloadEffect(
                                    driver_, c.device, c.type, &handle, c.record, c.flags));
        EXPECT_EQ(c.handle, handle);
    }
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_DownloadEffect(driver_, 0, kConstantForce,
                                                                    nullptr, good.get(), 0));

    // Checked but not downloaded: success, and still no effect.
    DWORD handle = 0;
    EXPECT_EQ(S_OK, Download(0, &handle, DIEP_ALLPARAMS | DIEP_NODOWNLOAD));
    EXPECT_EQ(0u, handle);
    EXPECT_EQ(1u, DownloadNew()) << "nothing was stored before";
}

TEST_F(EffectStore, UpdatesKeepTheHandleAndTheAxesInStep) {
    ASSERT_EQ(1u, DownloadNew());
    DWORD handle = 1;
    EXPECT_EQ(S_OK, Download(0, &handle, DIEP_DURATION | DIEP_GAIN));
    EXPECT_EQ(1u, handle);

    EffectRecord oneAxis;
    MakeConstantForce(oneAxis, 5000, {1});
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_DownloadEffect(
                                driver_, 0, kConstantForce, &handle, oneAxis.get(), DIEP_DIRECTION))
        << "a new axis count needs the axes too";
    EXPECT_EQ(S_OK,
              IDirectInputEffectDriver_DownloadEffect(driver_, 0, kConstantForce, &handle,
                                                      oneAxis.get(), DIEP_AXES | DIEP_DIRECTION));
    EXPECT_EQ(1u, handle);
    EXPECT_EQ(2u, DownloadNew()) << "updates took no new slot";
}

TEST_F(EffectStore, StartStopSoloAndStatus) {
    EXPECT_EQ(1u, DownloadNew(0, DIEP_ALLPARAMS | DIEP_START));
    EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(0, 1)) << "started by its download";
    ASSERT_EQ(2u, DownloadNew());
    ASSERT_EQ(3u, DownloadNew());
    EXPECT_EQ(0u, Status(0, 2)) << "downloaded, not started";

    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(driver_, 0, 2, 0, 1));
    EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(0, 1));
    EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(0, 2));

    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(driver_, 0, 3, DIES_SOLO, 1));
    EXPECT_EQ(0u, Status(0, 1)) << "stopped by a solo start";
    EXPECT_EQ(0u, Status(0, 2));
    EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(0, 3));

    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StopEffect(driver_, 0, 3));
    EXPECT_EQ(0u, Status(0, 3));

    struct Case {
        const char* what;
        DWORD device;
        DWORD handle;
    } refused[] = {{"handle 0", 0, 0}, {"handle 33", 0, 33}, {"device 16", 16, 1}};
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        DWORD status = 0;
        EXPECT_EQ(E_INVALIDARG,
                  IDirectInputEffectDriver_GetEffectStatus(driver_, c.device, c.handle, &status));
        EXPECT_EQ(E_INVALIDARG,
                  IDirectInputEffectDriver_StartEffect(driver_, c.device, c.handle, 0, 1));
        EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_StopEffect(driver_, c.device, c.handle));
        EXPECT_EQ(E_INVALIDARG,
                  IDirectInputEffectDriver_DestroyEffect(driver_, c.device, c.handle));
    }
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_GetEffectStatus(driver_, 0, 1, nullptr));
}

TEST_F(EffectStore, StopAllStopsEveryEffectAndResetDestroysThem) {
    for (DWORD handle = 1; handle <= 3; ++handle) {
        ASSERT_EQ(handle, DownloadNew(0, DIEP_ALLPARAMS | DIEP_START));
    }
    ASSERT_EQ(1u, DownloadNew(1, DIEP_ALLPARAMS | DIEP_START));

    EXPECT_EQ(S_OK, IDirectInputEffectDriver_SendForceFeedbackCommand(driver_, 0, DISFFC_STOPALL));
    for (DWORD handle = 1; handle <= 3; ++handle) {
        EXPECT_EQ(0u, Status(0, handle)) << "handle " << handle;
    }
    EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(1, 1)) << "only the device asked for";
    EXPECT_EQ(4u, DownloadNew()) << "stopped effects stay stored";

    EXPECT_EQ(S_OK, IDirectInputEffectDriver_SendForceFeedbackCommand(driver_, 0, DISFFC_RESET));
    EXPECT_EQ(1u, DownloadNew()) << "every effect of the device was destroyed";
    EXPECT_EQ(2u, DownloadNew());
    EXPECT_EQ(2u, DownloadNew(1)) << "the other device kept its effect";
}

}  // namespace
}  // namespace windows_test

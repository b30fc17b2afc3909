// The effect store through the driver interface: handles, what an update
// changes, refusals, play state, and the lock.
#include "effect_driver/effect_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <simwin/control.h>
#include <simwin/control_devices.h>

#include "effect_driver/playback_lock.h"
#include "effect_driver/playback_tick.h"
#include "effect_driver/vendor_key.h"
#include "profiles/selected_model.h"
#include "support/driver_fixture.h"
#include "support/effect_records.h"

namespace {

using test_support::EffectRecord;
using test_support::kConstantForce;
using test_support::kSineWave;

class EffectStore : public test_support::DriverFixture {
  protected:
    DWORD Download(DWORD device, EffectRecord& r, DWORD flags = 0, DWORD handle = 0,
                   HRESULT expected = S_OK, DWORD type = kConstantForce) {
        EXPECT_EQ(expected, IDirectInputEffectDriver_DownloadEffect(iface(), device, type, &handle,
                                                                    r.get(), flags));
        return handle;
    }
    DWORD Status(DWORD device, DWORD handle) {
        DWORD status = 0xBAD;
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_GetEffectStatus(iface(), device, handle, &status));
        return status;
    }
    const EffectSlot& Slot(DWORD device, DWORD handle) { return entry(device).slots[handle - 1]; }
    void SetOem(const char* name, DWORD value) {
        char path[kRegistryPathCapacity];
        FormatDeviceOemKeyPath(path, kModelProfile.vendorId, kModelProfile.productId);
        HKEY key = nullptr;
        RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key);
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
        RegCloseKey(key);
    }
};

TEST_F(EffectStore, HandlesAreTheLowestFreeSlotPlusOne) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {1});
    for (DWORD expected = 1; expected <= 32; ++expected) {
        EXPECT_EQ(expected, Download(2, r));
    }
    EXPECT_EQ(0u, Download(2, r, 0, 0, E_FAIL)) << "the 33rd";
    EXPECT_EQ(1u, Download(3, r)) << "every device has its own 32";

    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(iface(), 2, 3));
    EXPECT_EQ(0u, Slot(2, 3).inUse);
    EXPECT_EQ(3u, Download(2, r));
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(iface(), 2, 3));
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(iface(), 2, 3)) << "already free";
}

TEST_F(EffectStore, TheStoreKeepsItsOwnCopy) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {10000, 0}, 2000000);
    r.effect.lpEnvelope = &r.envelope;
    r.envelope = {sizeof(DIENVELOPE), 1, 2, 3, 4};
    r.effect.dwSamplePeriod = 7;
    DWORD h = Download(0, r);
    r.directions[0] = 1;  // the caller's record is not kept
    r.constant.lMagnitude = 1;
    const EffectParameters& p = Slot(0, h).parameters;
    EXPECT_EQ(0u, p.dwSize);
    EXPECT_EQ(2000000u, p.dwDuration);
    EXPECT_EQ(7u, p.dwSamplePeriod);
    EXPECT_EQ(2u, p.cAxes);
    EXPECT_NE(r.directions.data(), p.rglDirection);
    EXPECT_EQ(10000, p.rglDirection[0]);
    EXPECT_EQ(5000, static_cast<const DICONSTANTFORCE*>(p.lpvTypeSpecificParams)->lMagnitude);
    ASSERT_NE(nullptr, p.lpEnvelope);
    EXPECT_EQ(4u, p.lpEnvelope->dwFadeTime);
    EXPECT_EQ(&driver_->attributes[kConstantForce], Slot(0, h).attributes);
    EXPECT_EQ(static_cast<DWORD>(kIdle), Slot(0, h).playState.load()) << "a new effect is idle";
}

TEST_F(EffectStore, AnUpdateChangesOnlyWhatItsFlagsSay) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {10000, 0}, 2000000);
    DWORD h = Download(0, r);
    IDirectInputEffectDriver_StartEffect(iface(), 0, h, 0, 3);

    EffectRecord update;
    test_support::MakeConstantForce(update, 9999, {0, 10000}, 111);
    update.effect.dwFlags = DIEFF_POLAR;
    update.effect.dwGain = 1;
    EXPECT_EQ(h, Download(0, update, DIEP_DIRECTION, h));
    const EffectParameters& p = Slot(0, h).parameters;
    EXPECT_EQ(static_cast<DWORD>(DIEFF_POLAR), p.dwFlags);
    EXPECT_EQ(0, p.rglDirection[0]);
    EXPECT_EQ(10000, p.rglDirection[1]);
    EXPECT_EQ(2000000u, p.dwDuration);
    EXPECT_EQ(10000u, p.dwGain);
    EXPECT_EQ(5000, static_cast<const DICONSTANTFORCE*>(p.lpvTypeSpecificParams)->lMagnitude);
    EXPECT_EQ(DIEGES_PLAYING, Status(0, h)) << "play state untouched";
    EXPECT_EQ(3u, Slot(0, h).iterationsLeft.load());

    update.effect.dwFlags = DIEFF_CARTESIAN;
    EXPECT_EQ(h, Download(0, update, 0, h));
    EXPECT_EQ(static_cast<DWORD>(DIEFF_CARTESIAN), p.dwFlags) << "dwFlags is always copied";
    EXPECT_EQ(10000u, p.dwGain);

    EXPECT_EQ(h, Download(0, update, DIEP_DURATION | DIEP_GAIN | DIEP_TYPESPECIFICPARAMS, h));
    EXPECT_EQ(111u, p.dwDuration);
    EXPECT_EQ(1u, p.dwGain);
    EXPECT_EQ(9999, static_cast<const DICONSTANTFORCE*>(p.lpvTypeSpecificParams)->lMagnitude);

    // Removing the envelope and the type-specific block frees them.
    size_t before = simwin::LiveAllocations();
    update.effect.cbTypeSpecificParams = 0;
    update.effect.lpvTypeSpecificParams = nullptr;
    EXPECT_EQ(h, Download(0, update, DIEP_TYPESPECIFICPARAMS | DIEP_ENVELOPE, h));
    EXPECT_EQ(nullptr, p.lpvTypeSpecificParams);
    EXPECT_EQ(before - 1, simwin::LiveAllocations());
}

TEST_F(EffectStore, AxisCountChangesOnlyWithBothBlocks) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {10000, 0});
    DWORD h = Download(0, r);
    EffectRecord three;
    test_support::MakeConstantForce(three, 5000, {1, 2, 3});
    for (DWORD flags : {DIEP_DIRECTION, DIEP_AXES}) {
        EXPECT_EQ(h, Download(0, three, flags, h, E_INVALIDARG)) << flags;
        EXPECT_EQ(2u, Slot(0, h).parameters.cAxes) << "nothing changed";
        EXPECT_EQ(1u, Slot(0, h).inUse);
    }
    EXPECT_EQ(h, Download(0, three, DIEP_AXES | DIEP_DIRECTION, h));
    EXPECT_EQ(3u, Slot(0, h).parameters.cAxes);
    EXPECT_EQ(3, Slot(0, h).parameters.rglDirection[2]);
}

TEST_F(EffectStore, InconsistentOrInvalidRequestsChangeNothing) {
    EffectRecord good;
    test_support::MakeConstantForce(good, 5000, {1, 1});
    DWORD existing = Download(0, good);

    struct Case {
        const char* what;
        std::function<void(DIEFFECT&)> spoil;
    } records[] = {
        {"axes without directions", [](DIEFFECT& e) { e.rglDirection = nullptr; }},
        {"directions without axes", [](DIEFFECT& e) { e.rgdwAxes = nullptr; }},
        {"blocks with no axis count", [](DIEFFECT& e) { e.cAxes = 0; }},
        {"size without parameters", [](DIEFFECT& e) { e.lpvTypeSpecificParams = nullptr; }},
        {"parameters without size", [](DIEFFECT& e) { e.cbTypeSpecificParams = 0; }},
    };
    size_t allocations = simwin::LiveAllocations();
    for (const Case& c : records) {
        EffectRecord r;
        test_support::MakeConstantForce(r, 5000, {1, 1});
        DIEFFECT* e = r.get();
        c.spoil(*e);
        DWORD handle = 0;
        EXPECT_EQ(E_INVALIDARG,
                  IDirectInputEffectDriver_DownloadEffect(iface(), 0, 0, &handle, e, 0))
            << c.what;
        EXPECT_EQ(0u, handle);
        handle = existing;
        EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_DownloadEffect(iface(), 0, 0, &handle, e,
                                                                        DIEP_NODOWNLOAD))
            << c.what << " (checked before anything else)";
    }
    DWORD handle = 0;
    EXPECT_EQ(E_INVALIDARG,
              IDirectInputEffectDriver_DownloadEffect(iface(), 16, 0, &handle, good.get(), 0));
    EXPECT_EQ(E_INVALIDARG,
              IDirectInputEffectDriver_DownloadEffect(iface(), 0, 12, &handle, good.get(), 0));
    EXPECT_EQ(E_INVALIDARG,
              IDirectInputEffectDriver_DownloadEffect(iface(), 0, 0, nullptr, good.get(), 0));
    EXPECT_EQ(E_INVALIDARG,
              IDirectInputEffectDriver_DownloadEffect(iface(), 0, 0, &handle, nullptr, 0));
    handle = 33;
    EXPECT_EQ(E_INVALIDARG,
              IDirectInputEffectDriver_DownloadEffect(iface(), 0, 0, &handle, good.get(), 0));
    handle = 9;  // a handle that holds no effect
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_DownloadEffect(iface(), 0, 0, &handle,
                                                                    good.get(), DIEP_DURATION));
    EXPECT_EQ(0u, entry(0).slots[8].inUse);
    EXPECT_EQ(allocations, simwin::LiveAllocations());
    EXPECT_EQ(1, FindFreeSlot(entry(0)));

    for (DWORD bad : {0u, 33u}) {
        DWORD status = 0;
        EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_DestroyEffect(iface(), 0, bad));
        EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_StartEffect(iface(), 0, bad, 0, 1));
        EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_StopEffect(iface(), 0, bad));
        EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_GetEffectStatus(iface(), 0, bad, &status));
    }
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_DestroyEffect(iface(), 16, 1));
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_StartEffect(iface(), 16, 1, 0, 1));
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_StopEffect(iface(), 16, 1));
    EXPECT_EQ(E_INVALIDARG, IDirectInputEffectDriver_GetEffectStatus(iface(), 0, 1, nullptr));
}

TEST_F(EffectStore, NoDownloadAndStartFlags) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {1});
    EXPECT_EQ(0u, Download(0, r, DIEP_NODOWNLOAD));
    EXPECT_EQ(0, FindFreeSlot(entry(0))) << "nothing stored";

    simwin::SetTime(5000);
    DWORD h = Download(0, r, DIEP_START);
    EXPECT_EQ(DIEGES_PLAYING, Status(0, h));
    EXPECT_EQ(1u, Slot(0, h).iterationsLeft.load());
    EXPECT_EQ(5000u, Slot(0, h).startTime.load());
}

TEST_F(EffectStore, StartingAndStopping) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {1});
    DWORD a = Download(1, r), b = Download(1, r), c = Download(1, r);
    ASSERT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(iface(), 1, a, 0, INFINITE));
    EXPECT_EQ(INFINITE, Slot(1, a).iterationsLeft.load());
    IDirectInputEffectDriver_StartEffect(iface(), 1, b, 0, 1);
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(iface(), 1, c, DIES_SOLO, 2));
    EXPECT_EQ(0u, Status(1, a)) << "solo stops the others";
    EXPECT_EQ(0u, Status(1, b));
    EXPECT_EQ(static_cast<DWORD>(kStopped), Slot(1, 30).playState.load()) << "free slots too";
    EXPECT_EQ(DIEGES_PLAYING, Status(1, c));

    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StopEffect(iface(), 1, c));
    EXPECT_EQ(0u, Status(1, c));
    EXPECT_EQ(1u, Slot(1, c).inUse) << "a stopped effect stays downloaded";

    // A free slot can be started; nothing plays there.
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(iface(), 1, 20, 0, 1));
    EXPECT_EQ(DIEGES_PLAYING, Status(1, 20));
}

TEST_F(EffectStore, ANewEffectStartsIdleWhateverItsFreeSlotHeard) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 10000, {1});
    PlugAndBind(0);
    simwin::SetTime(4000);
    auto expectIdle = [&](DWORD handle) {
        EXPECT_EQ(0u, Status(0, handle));
        EXPECT_EQ(static_cast<DWORD>(kIdle), Slot(0, handle).playState.load());
        EXPECT_EQ(0u, Slot(0, handle).startTime.load());
        EXPECT_EQ(0u, Slot(0, handle).iterationsLeft.load());
    };

    // Handle 1 is started while its slot is free.
    ASSERT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(iface(), 0, 1, 0, 3));
    ASSERT_EQ(1u, Download(0, r));
    expectIdle(1);

    // Handle 2 is started just after it was destroyed (a stale handle on
    // another thread).
    ASSERT_EQ(2u, Download(0, r));
    ASSERT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(iface(), 0, 2));
    ASSERT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(iface(), 0, 2, 0, 3));
    ASSERT_EQ(DIEGES_PLAYING, Status(0, 2));
    ASSERT_EQ(2u, Download(0, r));
    expectIdle(2);

    PlaybackTick(driver_);
    EXPECT_EQ(0u, entry(0).leftMotor.load()) << "a downloaded effect plays only once started";
    EXPECT_EQ(0u, entry(0).rightMotor.load());
}

TEST_F(EffectStore, StartReadsTheStrengthSettings) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {1});
    DWORD a = Download(0, r), b = Download(0, r);
    SetOem("Amplify", 500);
    IDirectInputEffectDriver_StartEffect(iface(), 0, a, 0, 1);
    EXPECT_EQ(500u, entry(0).amplify.load());

    SetOem("Rumble", 0);
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(iface(), 0, b, 0, 1));
    if (kModelProfile.readsRumbleSwitch) {
        EXPECT_EQ(0u, Status(0, a)) << "rumble off stops what played";
        EXPECT_EQ(0u, Status(0, b)) << "and starts nothing";
    } else {
        EXPECT_EQ(DIEGES_PLAYING, Status(0, a));
        EXPECT_EQ(DIEGES_PLAYING, Status(0, b));
    }
}

TEST_F(EffectStore, StopSilencesAtOnceWhereTheModelDoesIt) {
    test_support::TestController c = PlugAndBind(0);
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {1});
    DWORD h = Download(0, r, DIEP_START);
    entry(0).leftMotor = 60;
    entry(0).rightMotor = 60;
    simwin::ClearWrittenReports(c.id);
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_StopEffect(iface(), 0, h));
    auto reports = simwin::WrittenReports(c.id);
    if (kModelProfile.stopEffectSilencesAtOnce) {
        ASSERT_EQ(1u, reports.size());
        EXPECT_EQ((std::vector<BYTE>{0, 0, 0, 0, 0}), reports[0].bytes);
        EXPECT_EQ(0u, entry(0).leftMotor.load());
    } else {
        EXPECT_TRUE(reports.empty());
        EXPECT_EQ(60u, entry(0).leftMotor.load());
    }
}

TEST_F(EffectStore, RunningOutOfMemoryRemovesTheEffectAndLeaksNothing) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {1, 1});
    size_t before = simwin::LiveAllocations();
    simwin::FailAllocation(2);  // the direction block
    EXPECT_EQ(0u, Download(0, r, 0, 0, E_OUTOFMEMORY));
    EXPECT_EQ(0u, entry(0).slots[0].inUse);
    EXPECT_EQ(before, simwin::LiveAllocations());

    DWORD h = Download(0, r);
    simwin::FailAllocation(1);
    EXPECT_EQ(0u, Download(0, r, DIEP_TYPESPECIFICPARAMS, h, E_OUTOFMEMORY)) << "handle set to 0";
    EXPECT_EQ(0u, Slot(0, h).inUse) << "a failed update removes the effect";
    EXPECT_EQ(before, simwin::LiveAllocations());
}

TEST_F(EffectStore, DownloadAndDestroyGiveUpWhenThePlaybackLockStaysHeld) {
    EffectRecord r;
    test_support::MakeConstantForce(r, 5000, {1});
    DWORD h = Download(0, r);
    size_t before = simwin::LiveAllocations();
    ASSERT_TRUE(AcquirePlaybackLock(kPlaybackLockTimeoutMs));  // as another process's tick
    EXPECT_EQ(0u, Download(0, r, 0, 0, E_FAIL));
    EXPECT_EQ(h, Download(0, r, DIEP_DURATION, h, E_FAIL));
    EXPECT_EQ(E_FAIL, IDirectInputEffectDriver_DestroyEffect(iface(), 0, h));
    ReleasePlaybackLock();
    EXPECT_EQ(1u, Slot(0, h).inUse);
    EXPECT_EQ(1, FindFreeSlot(entry(0)));
    EXPECT_EQ(before, simwin::LiveAllocations());
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(iface(), 0, h));
}

TEST_F(EffectStore, ReleasingTheDriverFreesEveryEffect) {
    EffectRecord r;
    test_support::MakePeriodic(r, 10000, 50000, {1, 1});
    r.effect.lpEnvelope = &r.envelope;
    size_t before = simwin::LiveAllocations();
    for (DWORD device : {0u, 7u, 15u}) {
        for (int i = 0; i < 5; ++i) {
            Download(device, r, DIEP_START, 0, S_OK, kSineWave);
        }
    }
    EXPECT_GT(simwin::LiveAllocations(), before);
    // Even with the lock held elsewhere the effects are freed.
    ASSERT_TRUE(AcquirePlaybackLock(kPlaybackLockTimeoutMs));
    size_t driverBlock = 1;
    ReleaseDriver();
    ReleasePlaybackLock();
    EXPECT_EQ(before - driverBlock, simwin::LiveAllocations());
}

}  // namespace

// A driver object used the way DirectInput uses it from a game: several
// application threads downloading, starting, stopping and destroying effects
// on two controllers while the playback timer ticks in real time. Run under
// ThreadSanitizer; the tests themselves check that every block, handle and
// timer the driver took is given back, and that the PlaybackLock keeps
// downloads out while a tick is stuck on a slow controller.
#include <gtest/gtest.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>

#include <atomic>
#include <chrono>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "effect_driver/effect_store.h"
#include "effect_driver/playback_lock.h"
#include "profiles/selected_model.h"
#include "support/driver_fixture.h"
#include "support/random_effects.h"

namespace {

using Clock = std::chrono::steady_clock;
using test_support::TestController;

using test_support::FillRandomEffect;
using test_support::OwnedBlocks;
using test_support::RandomUpdateFlags;
using Record = test_support::RandomEffectRecord;

constexpr DWORD kTypeCount = kEffectTypeCount;
constexpr DWORD kFirstPeriodic = test_support::kRandomFirstPeriodic;
constexpr DWORD kLastPeriodic = test_support::kRandomLastPeriodic;
constexpr DWORD kAllParameters = test_support::kAllEffectParameters;

class PlaybackConcurrency : public test_support::DriverFixture {
  protected:
    void SetUp() override {
        // Reset leaves heap blocks alone, so what is live now is what the
        // process held before this driver object.
        baseline_ = simwin::LiveAllocations();
        DriverFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        ASSERT_EQ(baseline_ + 1, simwin::LiveAllocations()) << "the object's own block";
        // No timer lives yet: the first binding starts the playback timer,
        // and it must tick on a thread of its own.
        ASSERT_TRUE(simwin::ActiveTimers().empty());
        simwin::SetClockMode(simwin::ClockMode::RealTime);
    }

    // The driver's block plus every block its effect slots own.
    size_t ExpectedLiveBlocks() {
        size_t blocks = baseline_ + 1;
        for (DWORD device = 0; device < kDeviceCount; ++device) {
            for (const EffectSlot& slot : entry(device).slots) {
                blocks += OwnedBlocks(slot);
            }
        }
        return blocks;
    }

    // Waits (real time) until `done` holds; false after `limit`.
    template <typename Condition>
    static bool WaitFor(Condition done, std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        while (!done()) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return true;
    }

    // Releases the driver and checks that nothing it took is left.
    void ReleaseAndExpectEverythingReturned(const std::vector<TestController>& controllers) {
        ReleaseDriver();
        EXPECT_EQ(baseline_, simwin::LiveAllocations());
        for (const TestController& controller : controllers) {
            EXPECT_EQ(0u, simwin::OpenHandleCount(controller.id)) << controller.path;
        }
        EXPECT_TRUE(simwin::ActiveTimers().empty());
        EXPECT_EQ(0u, simwin::LiveDirectInputObjects());
        EXPECT_EQ(0u, simwin::LivePreparsedData());
        EXPECT_EQ(0u, simwin::LiveDeviceInfoSets());
    }

    size_t baseline_ = 0;
};

// What one application thread saw that it should not have.
struct Worker {
    std::thread thread;
    std::vector<std::string> unexpected;
    unsigned lockTimeouts = 0;
    unsigned calls = 0;
};

TEST_F(PlaybackConcurrency, ApplicationThreadsAndTheTickLeaveNothingBehind) {
    std::vector<TestController> controllers = {PlugAndBind(0), PlugAndBind(1)};
    ASSERT_EQ(1u, simwin::ActiveTimers().size());
    for (const TestController& controller : controllers) {
        simwin::ClearWrittenReports(controller.id);
    }

    constexpr int kThreads = 5;
    const auto deadline = Clock::now() + std::chrono::milliseconds(1800);
    IDirectInputEffectDriver* driver = iface();
    std::vector<Worker> workers(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        Worker& worker = workers[t];
        worker.thread = std::thread([this, t, deadline, driver, &worker] {
            std::mt19937 rng(0x5EED0000u + static_cast<unsigned>(t));
            Record record;
            auto note = [&worker](const char* call, DWORD device, DWORD handle, HRESULT result) {
                if (worker.unexpected.size() < 10) {
                    std::ostringstream text;
                    text << call << " device " << device << " handle " << handle << ": 0x"
                         << std::hex << static_cast<unsigned long>(result);
                    worker.unexpected.push_back(text.str());
                }
            };
            while (Clock::now() < deadline) {
                ++worker.calls;
                const DWORD device = rng() % 2;
                const DWORD handle = 1 + rng() % kMaxEffectHandle;
                const unsigned choice = rng() % 1000;
                HRESULT result = S_OK;
                if (choice < 250) {
                    // A new effect, sometimes started at once.
                    const DWORD type = rng() % kTypeCount;
                    FillRandomEffect(record, type, rng);
                    DWORD created = 0;
                    const DWORD flags = kAllParameters | (rng() % 2 == 0 ? DIEP_START : 0);
                    result = IDirectInputEffectDriver_DownloadEffect(driver, device, type, &created,
                                                                     &record.effect, flags);
                    // E_FAIL: the device's 32 slots are in use, or the lock
                    // was not had in time.
                    if (result == S_OK ? created == 0 || created > kMaxEffectHandle
                                       : result != E_FAIL || created != 0) {
                        note("DownloadEffect (new)", device, created, result);
                    }
                } else if (choice < 400) {
                    const DWORD type =
                        kFirstPeriodic + rng() % (kLastPeriodic - kFirstPeriodic + 1);
                    FillRandomEffect(record, type, rng);
                    DWORD updated = handle;
                    result = IDirectInputEffectDriver_DownloadEffect(
                        driver, device, type, &updated, &record.effect, RandomUpdateFlags(rng));
                    // E_INVALIDARG: the handle holds no effect, or the update
                    // would change the axis count without the blocks.
                    if (result != S_OK && result != E_INVALIDARG && result != E_FAIL) {
                        note("DownloadEffect (update)", device, handle, result);
                    }
                } else if (choice < 560) {
                    const DWORD mode = rng() % 8 == 0 ? DIES_SOLO : 0;
                    result = IDirectInputEffectDriver_StartEffect(driver, device, handle, mode,
                                                                  1 + rng() % 3);
                    if (result != S_OK) {
                        note("StartEffect", device, handle, result);
                    }
                } else if (choice < 680) {
                    result = IDirectInputEffectDriver_StopEffect(driver, device, handle);
                    if (result != S_OK) {
                        note("StopEffect", device, handle, result);
                    }
                } else if (choice < 800) {
                    result = IDirectInputEffectDriver_DestroyEffect(driver, device, handle);
                    if (result != S_OK && result != E_FAIL) {
                        note("DestroyEffect", device, handle, result);
                    }
                    worker.lockTimeouts += result == E_FAIL;
                } else if (choice < 920) {
                    DWORD status = 0xFFFFFFFF;
                    result =
                        IDirectInputEffectDriver_GetEffectStatus(driver, device, handle, &status);
                    if (result != S_OK || (status != 0 && status != DIEGES_PLAYING)) {
                        note("GetEffectStatus", device, handle, result);
                    }
                } else if (choice < 970) {
                    result = IDirectInputEffectDriver_SetGain(driver, device, rng() % 10001);
                    if (result != S_OK) {
                        note("SetGain", device, 0, result);
                    }
                } else if (choice < 990) {
                    const DWORD command = rng() % 3 == 0 ? DISFFC_RESET : DISFFC_STOPALL;
                    result =
                        IDirectInputEffectDriver_SendForceFeedbackCommand(driver, device, command);
                    if (result != S_OK) {
                        note("SendForceFeedbackCommand", device, command, result);
                    }
                } else {
                    // DirectInput binding the entry again: the handle is
                    // replaced while the tick and model T's StopEffect write.
                    result = Bind(device);
                    if (result != S_OK) {
                        note("DeviceID", device, 0, result);
                    }
                }
                if (rng() % 4 == 0) {
                    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 300));
                }
            }
        });
    }
    unsigned calls = 0;
    unsigned lockTimeouts = 0;
    for (int t = 0; t < kThreads; ++t) {
        workers[t].thread.join();
        calls += workers[t].calls;
        lockTimeouts += workers[t].lockTimeouts;
        for (const std::string& what : workers[t].unexpected) {
            ADD_FAILURE() << "thread " << t << ": " << what;
        }
    }
    RecordProperty("calls", static_cast<int>(calls));
    RecordProperty("lock_timeouts", static_cast<int>(lockTimeouts));

    // The PlaybackLock was given back by every holder: it can be had now.
    ASSERT_TRUE(AcquirePlaybackLock(1000));
    // Every effect left holds a consistent record, and no free slot holds a
    // block; the heap holds exactly the object and those blocks.
    for (DWORD device = 0; device < kDeviceCount; ++device) {
        for (const EffectSlot& slot : entry(device).slots) {
            const EffectParameters& p = slot.parameters;
            if (slot.inUse == 0) {
                EXPECT_EQ(0u, OwnedBlocks(slot)) << "device " << device;
                continue;
            }
            EXPECT_EQ(&driver_->attributes[slot.typeIndex], slot.attributes);
            EXPECT_EQ(p.cAxes != 0, p.rgdwAxes != nullptr);
            EXPECT_EQ(p.cAxes != 0, p.rglDirection != nullptr);
        }
    }
    EXPECT_EQ(ExpectedLiveBlocks(), simwin::LiveAllocations());
    ReleasePlaybackLock();

    for (const TestController& controller : controllers) {
        EXPECT_FALSE(simwin::WrittenReports(controller.id).empty())
            << "the tick never reached " << controller.path;
    }
    ReleaseAndExpectEverythingReturned(controllers);
}

TEST_F(PlaybackConcurrency, ATickStuckOnASlowControllerKeepsTheStoreUnchanged) {
    TestController fast = PlugAndBind(0);
    TestController slow = PlugAndBind(1);
    std::vector<TestController> controllers = {fast, slow};

    Record record;
    std::mt19937 rng(7);
    FillRandomEffect(record, kFirstPeriodic, rng);
    record.effect.dwFlags = DIEFF_CARTESIAN;
    DWORD kept = 0;
    ASSERT_EQ(S_OK, IDirectInputEffectDriver_DownloadEffect(iface(), 0, kFirstPeriodic, &kept,
                                                            &record.effect, kAllParameters));
    ASSERT_EQ(1u, kept);
    const size_t keptBlocks = OwnedBlocks(entry(0).slots[0]);
    const size_t liveBefore = simwin::LiveAllocations();
    ASSERT_EQ(ExpectedLiveBlocks(), liveBefore);

    // Each tick writes to the fast controller first, then spends 150 ms on
    // the slow one with the lock held. A call made just after a report
    // reached the fast controller meets the lock for longer than it waits.
    simwin::StallWrites(slow.id, 150);
    auto inStalledPass = [&] {
        simwin::ClearWrittenReports(fast.id);
        return WaitFor([&] { return !simwin::WrittenReports(fast.id).empty(); },
                       std::chrono::milliseconds(3000));
    };

    ASSERT_TRUE(inStalledPass());
    DWORD created = 0;
    const auto started = Clock::now();
    EXPECT_EQ(E_FAIL, IDirectInputEffectDriver_DownloadEffect(iface(), 0, kFirstPeriodic, &created,
                                                              &record.effect, kAllParameters));
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(95)) << "it waited its bound";
    EXPECT_EQ(0u, created);
    EXPECT_EQ(1, FindFreeSlot(entry(0)));
    DWORD status = 0xFFFFFFFF;
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_GetEffectStatus(iface(), 0, 2, &status));
    EXPECT_EQ(0u, status);
    EXPECT_EQ(liveBefore, simwin::LiveAllocations());

    ASSERT_TRUE(inStalledPass());
    EXPECT_EQ(E_FAIL, IDirectInputEffectDriver_DestroyEffect(iface(), 0, kept));
    EXPECT_EQ(1u, entry(0).slots[0].inUse);
    EXPECT_EQ(keptBlocks, OwnedBlocks(entry(0).slots[0]));
    EXPECT_EQ(liveBefore, simwin::LiveAllocations());

    // Once the controller answers promptly again (the write stalled when the
    // stall ended still finishes), downloads get the lock.
    simwin::StallWrites(slow.id, 0);
    const size_t slowReports = simwin::WrittenReports(slow.id).size();
    ASSERT_TRUE(WaitFor([&] { return simwin::WrittenReports(slow.id).size() >= slowReports + 2; },
                        std::chrono::milliseconds(3000)));
    created = 0;
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DownloadEffect(iface(), 0, kFirstPeriodic, &created,
                                                            &record.effect, kAllParameters));
    EXPECT_EQ(2u, created);
    EXPECT_EQ(2, FindFreeSlot(entry(0)));
    EXPECT_EQ(liveBefore + OwnedBlocks(entry(0).slots[1]), simwin::LiveAllocations());
    EXPECT_EQ(ExpectedLiveBlocks(), simwin::LiveAllocations());

    ReleaseAndExpectEverythingReturned(controllers);
}

}  // namespace

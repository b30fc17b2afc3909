// A driver object under a game's whole load at once: eight application
// threads making random driver calls across sixteen bound controllers while
// controllers are pulled and plugged back, gains, "Amplify" and "Rumble"
// change, device-wide commands stop and reset, and the playback timer ticks
// in real time. Run under ThreadSanitizer. Once the threads are done the
// test accounts for every slot, block, device handle, registry key and
// timer the driver took, and then for their return when it goes away.
//
// The playback timer runs once at the model's own period and once every
// millisecond. The shipped period stays a constant of the model; for the
// fast run the test swaps the timer the first binding started for one of
// its own that calls the same tick on the same driver, and hands it to the
// driver, whose teardown then cancels it like its own. So the fast run
// meets the real tick, the real timer service and the real teardown, just
// many more times per second.
#include <gtest/gtest.h>
#include <mmsystem.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <simwin/control_system.h>

#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "effect_driver/effect_store.h"
#include "effect_driver/playback_lock.h"
#include "effect_driver/playback_tick.h"
#include "effect_driver/playback_timer.h"
#include "effect_driver/vendor_key.h"
#include "profiles/selected_model.h"
#include "support/driver_fixture.h"
#include "support/random_effects.h"

namespace {

using Clock = std::chrono::steady_clock;
using test_support::FillRandomEffect;
using test_support::kAllEffectParameters;
using test_support::OwnedBlocks;
using test_support::RandomEffectRecord;
using test_support::RandomUpdateFlags;
using test_support::TestController;

constexpr int kThreads = 8;
constexpr unsigned kCallsPerThread = 100000;

// How often the fast run's timer fires.
constexpr UINT kFastPeriodMs = 1;
// The resolution the driver asks the timer service for.
constexpr UINT kDriverTimerResolutionMs = 100;

// Counts the fast timer's ticks; the timer runs one at a time, but the
// test reads the count from its own thread.
std::atomic<unsigned> g_fastTicks{0};

void CALLBACK FastPlaybackTimer(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    g_fastTicks.fetch_add(1);
    PlaybackTick(reinterpret_cast<EffectDriver*>(user));
}

enum class TimerPeriod { Model, OneMillisecond };

std::string PeriodName(const ::testing::TestParamInfo<TimerPeriod>& info) {
    return info.param == TimerPeriod::Model ? "AtTheModelsPeriod" : "EveryMillisecond";
}

// What one application thread did and saw that it should not have.
struct Worker {
    std::thread thread;
    std::vector<std::string> unexpected;
    unsigned calls = 0;
    unsigned lockTimeouts = 0;
    unsigned unplugs = 0;
};

class DriverStress : public test_support::DriverFixture,
                     public ::testing::WithParamInterface<TimerPeriod> {
  protected:
    void SetUp() override {
        // Reset leaves heap blocks and registry keys alone, so what is live
        // now is what the process held before this driver object.
        baseline_ = simwin::LiveAllocations();
        DriverFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        registryKeysBefore_ = simwin::OpenRegistryKeys();
        FormatDeviceOemKeyPath(oemKeyPath_, kModelProfile.vendorId, kModelProfile.productId);
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, oemKeyPath_, &key));
        RegCloseKey(key);
        simwin::SetClockMode(simwin::ClockMode::RealTime);
        for (UINT id = 0; id < kDeviceCount; ++id) {
            controllers_.push_back(PlugAndBind(id));
        }
        ASSERT_EQ(1u, simwin::ActiveTimers().size()) << "one timer for every binding";
        if (GetParam() == TimerPeriod::OneMillisecond) {
            RunTimerEveryMillisecond();
        }
        expectedPeriod_ = GetParam() == TimerPeriod::OneMillisecond
                              ? kFastPeriodMs
                              : kModelProfile.playbackPeriodMs;
        ASSERT_EQ(1u, simwin::ActiveTimers().size());
        ASSERT_EQ(expectedPeriod_, simwin::ActiveTimers()[0].delay);
    }

    void RunTimerEveryMillisecond() {
        StopPlaybackTimer(driver_);
        g_fastTicks = 0;
        const UINT timer = timeSetEvent(kFastPeriodMs, kDriverTimerResolutionMs, FastPlaybackTimer,
                                        reinterpret_cast<DWORD_PTR>(driver_),
                                        TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
        ASSERT_NE(0u, timer);
        driver_->playbackTimer = timer;
    }

    // Writes a 4-byte value to the device's OEM key.
    void SetStrengthValue(const char* name, DWORD value) {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, oemKeyPath_, &key) != ERROR_SUCCESS) {
            ADD_FAILURE() << "the OEM key went missing";
            return;
        }
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
        RegCloseKey(key);
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

    // Waits (real time) until every controller has received a report
    // written after this call; false after `limit`. Counts the reports
    // written before it in `reportsWritten_`.
    bool EveryControllerReachedAgain(std::chrono::milliseconds limit) {
        for (const TestController& c : controllers_) {
            reportsWritten_ += simwin::WrittenReports(c.id).size();
            simwin::ClearWrittenReports(c.id);
        }
        const auto deadline = Clock::now() + limit;
        for (const TestController& c : controllers_) {
            while (simwin::WrittenReports(c.id).empty()) {
                if (Clock::now() > deadline) {
                    return false;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        return true;
    }

    void RunWorker(int t, Worker& worker);

    size_t baseline_ = 0;
    size_t registryKeysBefore_ = 0;
    char oemKeyPath_[kRegistryPathCapacity] = {};
    UINT expectedPeriod_ = 0;
    size_t reportsWritten_ = 0;
    std::vector<TestController> controllers_;
    // Which controllers are plugged in. One hand at a time pulls or plugs
    // a controller, so its flag always says where it is.
    std::array<std::mutex, kDeviceCount> plugging_;
    std::array<bool, kDeviceCount> plugged_{};
};

void DriverStress::RunWorker(int t, Worker& worker) {
    std::mt19937 rng(0x57E55000u + static_cast<unsigned>(t));
    RandomEffectRecord record;
    IDirectInputEffectDriver* driver = iface();
    auto note = [&worker](const char* call, DWORD device, DWORD handle, HRESULT result) {
        if (worker.unexpected.size() < 10) {
            std::ostringstream text;
            text << call << " device " << device << " handle " << handle << ": 0x" << std::hex
                 << static_cast<unsigned long>(result);
            worker.unexpected.push_back(text.str());
        }
    };
    for (unsigned call = 0; call < kCallsPerThread; ++call) {
        ++worker.calls;
        const DWORD device = rng() % kDeviceCount;
        const DWORD handle = 1 + rng() % kMaxEffectHandle;
        const unsigned choice = rng() % 1000;
        HRESULT result = S_OK;
        if (choice < 220) {
            // A new effect, sometimes started at once. E_FAIL: the device's
            // 32 slots are in use, or the lock was not had in time.
            const DWORD type = rng() % kEffectTypeCount;
            FillRandomEffect(record, type, rng);
            DWORD created = 0;
            const DWORD flags = kAllEffectParameters | (rng() % 2 == 0 ? DIEP_START : 0);
            result = IDirectInputEffectDriver_DownloadEffect(driver, device, type, &created,
                                                             &record.effect, flags);
            if (result == S_OK ? created == 0 || created > kMaxEffectHandle
                               : result != E_FAIL || created != 0) {
                note("DownloadEffect (new)", device, created, result);
            }
        } else if (choice < 350) {
            // E_INVALIDARG: the handle holds no effect, or the update would
            // change the axis count without the blocks.
            const DWORD type = test_support::kRandomFirstPeriodic +
                               rng() % (test_support::kRandomLastPeriodic -
                                        test_support::kRandomFirstPeriodic + 1);
            FillRandomEffect(record, type, rng);
            DWORD updated = handle;
            result = IDirectInputEffectDriver_DownloadEffect(
                driver, device, type, &updated, &record.effect, RandomUpdateFlags(rng));
            if (result != S_OK && result != E_INVALIDARG && result != E_FAIL) {
                note("DownloadEffect (update)", device, handle, result);
            }
        } else if (choice < 500) {
            const DWORD mode = rng() % 8 == 0 ? DIES_SOLO : 0;
            result =
                IDirectInputEffectDriver_StartEffect(driver, device, handle, mode, 1 + rng() % 3);
            if (result != S_OK) {
                note("StartEffect", device, handle, result);
            }
        } else if (choice < 610) {
            result = IDirectInputEffectDriver_StopEffect(driver, device, handle);
            if (result != S_OK) {
                note("StopEffect", device, handle, result);
            }
        } else if (choice < 720) {
            result = IDirectInputEffectDriver_DestroyEffect(driver, device, handle);
            if (result != S_OK && result != E_FAIL) {
                note("DestroyEffect", device, handle, result);
            }
            worker.lockTimeouts += result == E_FAIL;
        } else if (choice < 820) {
            DWORD status = 0xFFFFFFFF;
            result = IDirectInputEffectDriver_GetEffectStatus(driver, device, handle, &status);
            if (result != S_OK || (status != 0 && status != DIEGES_PLAYING)) {
                note("GetEffectStatus", device, handle, result);
            }
        } else if (choice < 880) {
            result = IDirectInputEffectDriver_SetGain(driver, device, rng() % 10001);
            if (result != S_OK) {
                note("SetGain", device, 0, result);
            }
        } else if (choice < 910) {
            const DWORD commands[] = {DISFFC_RESET,   DISFFC_STOPALL,        DISFFC_STOPALL,
                                      DISFFC_PAUSE,   DISFFC_CONTINUE,       DISFFC_SETACTUATORSON,
                                      DISFFC_STOPALL, DISFFC_SETACTUATORSOFF};
            const DWORD command = commands[rng() % (sizeof commands / sizeof commands[0])];
            result = IDirectInputEffectDriver_SendForceFeedbackCommand(driver, device, command);
            if (result != S_OK) {
                note("SendForceFeedbackCommand", device, command, result);
            }
        } else if (choice < 950) {
            // The sheet's strength slider, and now and then a value far
            // outside its range.
            SetStrengthValue("Amplify", rng() % 50 == 0 ? rng() : rng() % 2001);
        } else if (choice < 960) {
            // The switch is mostly on: with it off every start stops the
            // device's effects.
            SetStrengthValue("Rumble", rng() % 4 == 0 ? 0 : 1);
        } else if (choice < 975) {
            // The user pulls a controller, or plugs a pulled one back. Pulls
            // are rarer, so that most controllers are in most of the time
            // and the tick has work on them.
            std::lock_guard<std::mutex> hand(plugging_[device]);
            if (!plugged_[device]) {
                simwin::ReplugController(controllers_[device].id);
                plugged_[device] = true;
            } else if (rng() % 4 == 0) {
                simwin::UnplugController(controllers_[device].id);
                plugged_[device] = false;
                ++worker.unplugs;
            }
        } else if (choice < 985) {
            // DirectInput binding the entry again; a pulled controller
            // answers the bare ERROR_DEVICE_NOT_CONNECTED.
            result = Bind(device);
            if (result != S_OK && result != static_cast<HRESULT>(ERROR_DEVICE_NOT_CONNECTED)) {
                note("DeviceID", device, 0, result);
            }
        } else {
            DIDRIVERVERSIONS versions = {};
            versions.dwSize = sizeof versions;
            result = IDirectInputEffectDriver_GetVersions(driver, &versions);
            DIDEVICESTATE state = {};
            state.dwSize = sizeof state;
            if (result != S_OK ||
                IDirectInputEffectDriver_GetForceFeedbackState(driver, device, &state) != S_OK) {
                note("GetVersions/GetForceFeedbackState", device, 0, result);
            }
        }
    }
}

TEST_P(DriverStress, EightThreadsSixteenControllersAndTheTickLeaveNothingBehind) {
    plugged_.fill(true);
    const auto started = Clock::now();
    std::vector<Worker> workers(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        workers[t].thread = std::thread([this, t, &workers] { RunWorker(t, workers[t]); });
    }
    unsigned calls = 0;
    unsigned lockTimeouts = 0;
    unsigned unplugs = 0;
    for (int t = 0; t < kThreads; ++t) {
        workers[t].thread.join();
        calls += workers[t].calls;
        lockTimeouts += workers[t].lockTimeouts;
        unplugs += workers[t].unplugs;
        for (const std::string& what : workers[t].unexpected) {
            ADD_FAILURE() << "thread " << t << ": " << what;
        }
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    EXPECT_EQ(static_cast<unsigned>(kThreads) * kCallsPerThread, calls);

    // Everything back in, bound again as DirectInput does when a game takes
    // its devices back (a binding made while a controller was out found no
    // path), and the switch on: each entry writes to its controller again.
    for (DWORD device = 0; device < kDeviceCount; ++device) {
        if (!plugged_[device]) {
            simwin::ReplugController(controllers_[device].id);
            plugged_[device] = true;
        }
        EXPECT_EQ(S_OK, Bind(device)) << "device " << device;
    }
    SetStrengthValue("Rumble", 1);
    ASSERT_TRUE(EveryControllerReachedAgain(std::chrono::milliseconds(5000)))
        << "a replugged controller was not picked up again";
    ASSERT_EQ(1u, simwin::ActiveTimers().size());
    EXPECT_EQ(expectedPeriod_, simwin::ActiveTimers()[0].delay);

    // The PlaybackLock was given back by every holder: it can be had now,
    // and while it is held no tick changes what is counted below.
    ASSERT_TRUE(AcquirePlaybackLock(1000));
    unsigned effectsLeft = 0;
    for (DWORD device = 0; device < kDeviceCount; ++device) {
        // Every effect left holds a consistent record, and no free slot
        // holds a block.
        for (const EffectSlot& slot : entry(device).slots) {
            const EffectParameters& p = slot.parameters;
            if (slot.inUse == 0) {
                EXPECT_EQ(0u, OwnedBlocks(slot)) << "device " << device;
                continue;
            }
            ++effectsLeft;
            EXPECT_EQ(&driver_->attributes[slot.typeIndex], slot.attributes);
            EXPECT_EQ(p.cAxes != 0, p.rgdwAxes != nullptr);
            EXPECT_EQ(p.cAxes != 0, p.rglDirection != nullptr);
        }
        // One handle per controller: the entry's own. Every handle a
        // rebinding replaced or an unplug killed was closed.
        EXPECT_EQ(1u, simwin::OpenHandleCount(controllers_[device].id)) << "device " << device;
        EXPECT_EQ(1u, entry(device).bound.load());
    }
    EXPECT_EQ(ExpectedLiveBlocks(), simwin::LiveAllocations());
    EXPECT_EQ(registryKeysBefore_, simwin::OpenRegistryKeys()) << "a settings read left a key open";
    ReleasePlaybackLock();

    const unsigned fastTicks = g_fastTicks.load();
    ReleaseDriver();
    EXPECT_EQ(baseline_, simwin::LiveAllocations());
    for (const TestController& controller : controllers_) {
        EXPECT_EQ(0u, simwin::OpenHandleCount(controller.id)) << controller.path;
        // The controller was left silent.
        const std::vector<simwin::WrittenReport> reports = simwin::WrittenReports(controller.id);
        ASSERT_FALSE(reports.empty());
        const std::vector<BYTE>& last = reports.back().bytes;
        if (kModelProfile.finalOutputIsStopSequence) {
            ASSERT_GE(reports.size(), 2u);
            EXPECT_EQ(0xF3, reports[reports.size() - 2].bytes[1]) << controller.path;
            EXPECT_EQ(0xFA, last[1]) << controller.path;
        } else {
            EXPECT_EQ(0, last[3]) << controller.path;
            EXPECT_EQ(0, last[4]) << controller.path;
        }
    }
    EXPECT_TRUE(simwin::ActiveTimers().empty());
    EXPECT_EQ(registryKeysBefore_, simwin::OpenRegistryKeys());
    EXPECT_EQ(0u, simwin::LiveDirectInputObjects());
    EXPECT_EQ(0u, simwin::LivePreparsedData());
    EXPECT_EQ(0u, simwin::LiveDeviceInfoSets());

    RecordProperty("calls", static_cast<int>(calls));
    RecordProperty("lock_timeouts", static_cast<int>(lockTimeouts));
    RecordProperty("unplugs", static_cast<int>(unplugs));
    RecordProperty("effects_left", static_cast<int>(effectsLeft));
    RecordProperty("milliseconds", static_cast<int>(elapsed.count()));
    RecordProperty("reports", static_cast<int>(reportsWritten_));
    std::string ticks;
    if (GetParam() == TimerPeriod::OneMillisecond) {
        ticks = ", " + std::to_string(fastTicks) + " ticks";
    }
    std::printf(
        "[ figures  ] period %u ms: %u calls in %lld ms, %zu reports, %u destroys timed out, "
        "%u unplugs, %u effects left%s\n",
        expectedPeriod_, calls, static_cast<long long>(elapsed.count()), reportsWritten_,
        lockTimeouts, unplugs, effectsLeft, ticks.c_str());
}

INSTANTIATE_TEST_SUITE_P(TimerPeriods, DriverStress,
                         ::testing::Values(TimerPeriod::Model, TimerPeriod::OneMillisecond),
                         PeriodName);

}  // namespace

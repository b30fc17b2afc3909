// A playback lock holder that ends without letting go: another process of
// the same model killed in the middle of its pass, or a thread of this one
// that ends while it holds the lock. The survivors must play again within a
// bounded time; a holder that is only slow keeps the lock.
#include <gtest/gtest.h>
#include <signal.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "effect_driver/playback_lock.h"
#include "effect_driver/playback_tick.h"
#include "profiles/selected_model.h"
#include "support/driver_fixture.h"
#include "support/effect_records.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using test_support::EffectRecord;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// playback_lock_holder, started by this test, holding the lock through the
// driver's lock code in its own process.
class HolderProcess {
  public:
    HolderProcess() {
        static int started = 0;
        const std::string tag = std::to_string(getpid()) + "-" + std::to_string(++started);
        const std::string heldName = "lock-holder-held-" + tag;
        const std::string releaseName = "lock-holder-release-" + tag;
        held_ = CreateEventA(nullptr, TRUE, FALSE, heldName.c_str());
        release_ = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
        // The holder lets go on its own after 20 s, so a failed test leaves
        // no lock behind.
        char* args[] = {const_cast<char*>(PLAYBACK_LOCK_HOLDER),
                        const_cast<char*>(heldName.c_str()), const_cast<char*>(releaseName.c_str()),
                        const_cast<char*>("20000"), nullptr};
        if (posix_spawn(&pid_, PLAYBACK_LOCK_HOLDER, nullptr, nullptr, args, environ) != 0) {
            ADD_FAILURE() << "could not start " << PLAYBACK_LOCK_HOLDER;
            pid_ = 0;
            return;
        }
        holding_ = WaitForSingleObject(held_, 10000) == WAIT_OBJECT_0;
    }
    ~HolderProcess() {
        if (pid_ != 0) {
            Kill();
        }
        CloseHandle(held_);
        CloseHandle(release_);
    }
    bool holding() const { return holding_; }

    // Ends it at once, wherever it is: it never lets go of the lock.
    void Kill() {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
    }
    // Asks it to let go and returns its exit code.
    int Release() {
        SetEvent(release_);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = 0;
    HANDLE held_ = nullptr;
    HANDLE release_ = nullptr;
    bool holding_ = false;
};

class DeadLockHolder : public test_support::DriverFixture {
  protected:
    void SetUp() override {
        DriverFixture::SetUp();
        simwin::SetTime(1000);
        controller_ = PlugAndBind(0).id;
        test_support::MakeConstantForce(force_, 10000, {1}, INFINITE);
        ASSERT_EQ(S_OK, Download(&playing_));
        ASSERT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(iface(), 0, playing_, 0, 1));
    }
    HRESULT Download(DWORD* handle) {
        return IDirectInputEffectDriver_DownloadEffect(iface(), 0, test_support::kConstantForce,
                                                       handle, force_.get(), 0);
    }
    // One pass of the playback timer; true when it wrote the motors.
    bool Tick() {
        simwin::ClearWrittenReports(controller_);
        PlaybackTick(driver_);
        return !simwin::WrittenReports(controller_).empty();
    }

    // What this process sees from now on: downloads, destroys and ticks in
    // turn until a download goes through or `giveUpMs` has passed.
    struct Survivor {
        int failedDownloads = 0;
        int failedDestroys = 0;
        int skippedTicks = 0;
        double playingAgainMs = -1;  // time to the first tick that wrote, -1: never
    };
    Survivor Survive(double giveUpMs) {
        Survivor seen;
        const Clock::time_point start = Clock::now();
        while (MsSince(start) < giveUpMs) {
            DWORD handle = 0;
            if (Download(&handle) != S_OK) {
                ++seen.failedDownloads;
            }
            // The last slot holds nothing: destroying it only takes the lock.
            if (IDirectInputEffectDriver_DestroyEffect(iface(), 0, 32) != S_OK) {
                ++seen.failedDestroys;
            }
            if (Tick()) {
                seen.playingAgainMs = MsSince(start);
                break;
            }
            ++seen.skippedTicks;
        }
        return seen;
    }

    simwin::ControllerId controller_ = 0;
    EffectRecord force_;
    DWORD playing_ = 0;
};

TEST_F(DeadLockHolder, AProcessKilledWhileHoldingTheLockStopsNobodyForLong) {
    HolderProcess holder;
    ASSERT_TRUE(holder.holding());
    EXPECT_FALSE(Tick()) << "while the other process holds the lock no pass runs";
    holder.Kill();

    Survivor seen = Survive(3000);
    std::cout << "[ figures  ] after the kill: " << seen.failedDownloads << " downloads and "
              << seen.failedDestroys << " destroys failed, " << seen.skippedTicks
              << " ticks skipped; playing again after " << seen.playingAgainMs << " ms\n";
    ASSERT_GE(seen.playingAgainMs, 0.0) << "the survivor never played again";
    EXPECT_LT(seen.playingAgainMs, 1000.0);
    EXPECT_EQ(kModelProfile.model == DeviceModel::S ? 0xFE : 0x7F,
              simwin::WrittenReports(controller_).front().bytes[3])
        << "the effect that was playing plays on";

    // The lock works as a lock again: taken, refused while held, given back.
    ASSERT_TRUE(AcquirePlaybackLock(kPlaybackLockTimeoutMs));
    EXPECT_FALSE(Tick());
    ReleasePlaybackLock();
    EXPECT_TRUE(Tick());
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(iface(), 0, playing_));
}

TEST_F(DeadLockHolder, APassAlreadyWaitingWhenTheHolderDiesTakesOver) {
    HolderProcess holder;
    ASSERT_TRUE(holder.holding());
    bool played = false;
    double waitedMs = 0;
    std::thread pass([&] {
        const Clock::time_point start = Clock::now();
        played = Tick();
        waitedMs = MsSince(start);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    holder.Kill();
    pass.join();
    EXPECT_TRUE(played) << "the waiting pass ran in the dead holder's stead";
    EXPECT_LT(waitedMs, 1000.0);
    DWORD handle = 0;
    EXPECT_EQ(S_OK, Download(&handle)) << "and let go after it";
}

TEST_F(DeadLockHolder, ASlowHolderIsNotRobbed) {
    HolderProcess holder;
    ASSERT_TRUE(holder.holding());
    // Far longer than any pass, and the holder is alive all the while.
    Survivor seen = Survive(800);
    EXPECT_LT(seen.playingAgainMs, 0.0) << "the live holder was robbed";
    EXPECT_GT(seen.failedDownloads, 0);
    DWORD handle = 0;
    EXPECT_EQ(E_FAIL, Download(&handle));

    EXPECT_EQ(0, holder.Release()) << "it held the lock until asked";
    EXPECT_TRUE(Tick());
    EXPECT_EQ(S_OK, Download(&handle));
}

TEST_F(DeadLockHolder, AThreadThatEndsHoldingTheLockLeavesItToTheNext) {
    std::thread([] { ASSERT_TRUE(AcquirePlaybackLock(kPlaybackLockTimeoutMs)); }).join();
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(Tick());
    EXPECT_LT(MsSince(start), 1000.0);
    DWORD handle = 0;
    EXPECT_EQ(S_OK, Download(&handle));
}

}  // namespace

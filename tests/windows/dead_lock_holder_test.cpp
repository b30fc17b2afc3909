// A playback lock holder in another process that ends without letting go,
// with the real driver module in this one: killed in the middle of its pass,
// the survivor changes its effects again within a bounded time; only slow,
// it keeps the lock. The holder runs the driver's own lock code.
#include "loaded_driver.h"

namespace windows_test {
namespace {

// playback_lock_holder_<model>.exe, started by this process, holding the
// model's lock until told to let go or killed.
class HolderProcess {
  public:
    HolderProcess() {
        const std::string tag =
            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++started_);
        const std::string heldName = "rumbix-test-holder-held-" + tag;
        const std::string releaseName = "rumbix-test-holder-release-" + tag;
        held_ = CreateEventA(nullptr, TRUE, FALSE, heldName.c_str());
        release_ = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
        // It lets go on its own after 20 s, so a failed test leaves no lock
        // behind.
        std::string commandLine = "\"" + ProgramDirectory() + PLAYBACK_LOCK_HOLDER_NAME + "\" " +
                                  heldName + " " + releaseName + " 20000";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process_)) {
            ADD_FAILURE() << "could not start " << commandLine << ", error " << GetLastError();
            return;
        }
        CloseHandle(process_.hThread);
        HANDLE either[] = {held_, process_.hProcess};
        holding_ = WaitForMultipleObjects(2, either, FALSE, 15000) == WAIT_OBJECT_0;
    }
    ~HolderProcess() {
        if (process_.hProcess != nullptr) {
            Kill();
        }
        CloseHandle(held_);
        CloseHandle(release_);
    }
    bool holding() const { return holding_; }

    // Ends it at once, wherever it is: it never lets go of the lock.
    void Kill() {
        TerminateProcess(process_.hProcess, 9);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.hProcess, 15000));
        CloseHandle(process_.hProcess);
        process_.hProcess = nullptr;
    }
    // Asks it to let go; its exit code.
    DWORD Release() {
        SetEvent(release_);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.hProcess, 15000));
        DWORD code = 1;
        GetExitCodeProcess(process_.hProcess, &code);
        CloseHandle(process_.hProcess);
        process_.hProcess = nullptr;
        return code;
    }

  private:
    static inline int started_ = 0;
    HANDLE held_ = nullptr;
    HANDLE release_ = nullptr;
    PROCESS_INFORMATION process_ = {};
    bool holding_ = false;
};

class DeadLockHolder : public DriverObject {
  protected:
    // What this process sees: downloads and destroys in turn until a
    // download goes through or `giveUpMs` has passed. The time to that
    // download, or -1.
    double Survive(double giveUpMs) {
        failedDownloads_ = failedDestroys_ = 0;
        Stopwatch watch;
        while (watch.ElapsedMs() < giveUpMs) {
            DWORD handle = 0;
            if (Download(0, &handle) == S_OK) {
                EXPECT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(driver_, 0, handle));
                return watch.ElapsedMs();
            }
            ++failedDownloads_;
            // The last slot holds nothing: destroying it only takes the lock.
            if (IDirectInputEffectDriver_DestroyEffect(driver_, 0, 32) != S_OK) {
                ++failedDestroys_;
            }
        }
        return -1;
    }
    int failedDownloads_ = 0;
    int failedDestroys_ = 0;
};

TEST_F(DeadLockHolder, AProcessKilledWhileHoldingTheLockStopsNobodyForLong) {
    HolderProcess holder;
    ASSERT_TRUE(holder.holding());
    DWORD handle = 0;
    EXPECT_EQ(E_FAIL, Download(0, &handle)) << "held by the other process";
    holder.Kill();

    const double playingAgainMs = Survive(3000);
    std::printf(
        "[ figures  ] after the kill: %d downloads and %d destroys failed; changing "
        "effects again after %.1f ms\n",
        failedDownloads_, failedDestroys_, playingAgainMs);
    ASSERT_GE(playingAgainMs, 0.0) << "the survivor never got the lock back";
    EXPECT_LT(playingAgainMs, 1000.0);
    // A lock again: another holder excludes this process, then lets it in.
    HolderProcess next;
    ASSERT_TRUE(next.holding());
    EXPECT_EQ(E_FAIL, Download(0, &handle));
    EXPECT_EQ(0u, next.Release());
    EXPECT_EQ(1u, DownloadNew());
}

TEST_F(DeadLockHolder, ASlowHolderIsNotRobbed) {
    HolderProcess holder;
    ASSERT_TRUE(holder.holding());
    EXPECT_LT(Survive(800), 0.0) << "the live holder was robbed";
    EXPECT_GT(failedDownloads_, 0);
    EXPECT_EQ(0u, holder.Release()) << "it held the lock until asked";
    EXPECT_EQ(1u, DownloadNew());
}

}  // namespace
}  // namespace windows_test

// The playback lock across processes: another program that holds the
// model's named event keeps this process's driver from changing its effects.
#include "loaded_driver.h"

namespace windows_test {
namespace {

// lock_holder.exe, started by this process, holding a lock by name until
// told to let go.
class LockHolder {
  public:
    explicit LockHolder(const std::string& lockName) {
        const std::string tag =
            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++started_);
        const std::string heldName = "rumbix-test-held-" + tag;
        const std::string releaseName = "rumbix-test-release-" + tag;
        held_ = CreateEventA(nullptr, TRUE, FALSE, heldName.c_str());
        release_ = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
        // Quoted: the lock name holds '&'. The holder gives up on its own
        // after 20 s so that a failed test leaves no lock behind.
        std::string commandLine = "\"" + ProgramDirectory() + "lock_holder.exe\" \"" + lockName +
                                  "\" " + heldName + " " + releaseName + " 20000";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process_)) {
            ADD_FAILURE() << "could not start " << commandLine << ", error " << GetLastError();
            return;
        }
        CloseHandle(process_.hThread);
        HANDLE either[] = {held_, process_.hProcess};
        DWORD woke = WaitForMultipleObjects(2, either, FALSE, 15000);
        holding_ = woke == WAIT_OBJECT_0;
        if (!holding_) {
            DWORD code = 0;
            GetExitCodeProcess(process_.hProcess, &code);
            ADD_FAILURE() << "lock_holder did not take the lock (wait " << woke << ", exit code "
                          << code << ")";
        }
    }

    ~LockHolder() {
        Release();
        CloseHandle(held_);
        CloseHandle(release_);
    }

    bool holding() const { return holding_; }

    // Asks the holder to free the lock and waits until it has ended.
    void Release() {
        if (process_.hProcess == nullptr) {
            return;
        }
        SetEvent(release_);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.hProcess, 15000));
        DWORD code = 1;
        GetExitCodeProcess(process_.hProcess, &code);
        EXPECT_EQ(0u, code) << "lock_holder let go on its own, not when asked";
        CloseHandle(process_.hProcess);
        process_.hProcess = nullptr;
        holding_ = false;
    }

  private:
    static inline int started_ = 0;
    HANDLE held_ = nullptr;
    HANDLE release_ = nullptr;
    PROCESS_INFORMATION process_ = {};
    bool holding_ = false;
};

using PlaybackLock = DriverObject;

TEST_F(PlaybackLock, WhileAnotherProcessHoldsItDownloadAndDestroyFailAndChangeNothing) {
    ASSERT_EQ(1u, DownloadNew());
    {
        LockHolder holder(PlaybackLockName());
        ASSERT_TRUE(holder.holding());

        DWORD handle = 0;
        Stopwatch download;
        EXPECT_EQ(E_FAIL, Download(0, &handle));
        EXPECT_GE(download.ElapsedMs(), 90.0) << "gives up only after its wait";
        EXPECT_EQ(0u, handle);

        handle = 1;
        EXPECT_EQ(E_FAIL, Download(0, &handle, DIEP_DURATION)) << "an update waits as well";
        EXPECT_EQ(1u, handle);

        Stopwatch destroy;
        EXPECT_EQ(E_FAIL, IDirectInputEffectDriver_DestroyEffect(driver_, 0, 1));
        EXPECT_GE(destroy.ElapsedMs(), 90.0);

        // Starting and asking need no lock.
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(driver_, 0, 1, 0, 1));
        EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), Status(0, 1));
    }
    // The failed download took no slot and the failed destroy freed none.
    EXPECT_EQ(2u, DownloadNew());
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_DestroyEffect(driver_, 0, 1));
    EXPECT_EQ(1u, DownloadNew());
}

TEST_F(PlaybackLock, TheOtherModelsLockIsAnotherEvent) {
    LockHolder holder(PlaybackLockName(kModelProfile.productId ^ 0x0007));
    ASSERT_TRUE(holder.holding());
    Stopwatch download;
    EXPECT_EQ(1u, DownloadNew());
    EXPECT_LT(download.ElapsedMs(), 50.0);
}

TEST_F(PlaybackLock, LastReleaseWhileAnotherProcessHoldsItStillEndsTheObject) {
    ASSERT_EQ(1u, DownloadNew());
    ASSERT_EQ(1u, DownloadNew(1)) << "devices count their handles apart";
    LockHolder holder(PlaybackLockName());
    ASSERT_TRUE(holder.holding());
    Stopwatch release;
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver_));
    driver_ = nullptr;
    EXPECT_GE(release.ElapsedMs(), 100.0);
    EXPECT_LT(release.ElapsedMs(), 5000.0);
    EXPECT_EQ(S_OK, module_->CanUnloadNow());
}

}  // namespace
}  // namespace windows_test

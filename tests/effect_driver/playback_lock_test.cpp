// The playback lock: a named auto-reset event shared by every process that
// loads the same model's driver.
#include "effect_driver/playback_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <simwin/control.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "effect_driver/vendor_key.h"
#include "profiles/selected_model.h"

extern char** environ;

namespace {

std::string LockName(WORD productId) {
    char name[18];
    FormatVendorProductKey(name, kModelProfile.vendorId, productId);
    return name;
}

class PlaybackLock : public ::testing::Test {
  protected:
    void SetUp() override {
        simwin::SetEventNamespace("rumbix-lock-test-" + std::to_string(getpid()));
        ASSERT_TRUE(CreatePlaybackLock());
    }
    void TearDown() override { ClosePlaybackLock(); }
};

TEST_F(PlaybackLock, IsTheNamedEventOfTheModelStartingFree) {
    HANDLE sameName = CreateEventA(nullptr, FALSE, TRUE, LockName(kModelProfile.productId).c_str());
    ASSERT_NE(nullptr, sameName);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());

    ASSERT_TRUE(AcquirePlaybackLock(kPlaybackLockTimeoutMs)) << "starts signalled";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(sameName, 0)) << "held, seen through the name";
    ReleasePlaybackLock();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(sameName, 0)) << "released, taken by the name";
    EXPECT_FALSE(AcquirePlaybackLock(0));
    SetEvent(sameName);
    CloseHandle(sameName);

    // The other model's lock is another event.
    HANDLE otherModel =
        CreateEventA(nullptr, FALSE, TRUE, LockName(kModelProfile.productId ^ 0x0007).c_str());
    ASSERT_TRUE(AcquirePlaybackLock(kPlaybackLockTimeoutMs));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(otherModel, 0));
    ReleasePlaybackLock();
    CloseHandle(otherModel);
}

TEST_F(PlaybackLock, AHeldLockTimesOutWithTheWaitResultAsLastError) {
    ASSERT_TRUE(AcquirePlaybackLock(kPlaybackLockTimeoutMs));
    SetLastError(0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(AcquirePlaybackLock(kPlaybackLockTimeoutMs)) << "not re-entrant";
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), GetLastError());
    EXPECT_GE(waited, std::chrono::milliseconds(90));
    ReleasePlaybackLock();
    EXPECT_TRUE(AcquirePlaybackLock(kPlaybackLockTimeoutMs));
    ReleasePlaybackLock();
}

TEST_F(PlaybackLock, IsSharedWithASecondProcessThatLoadsTheSameModel) {
    int toPeer[2], fromPeer[2];
    ASSERT_EQ(0, pipe(toPeer));
    ASSERT_EQ(0, pipe(fromPeer));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toPeer[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromPeer[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, toPeer[1]);
    posix_spawn_file_actions_addclose(&actions, fromPeer[0]);
    std::string name = LockName(kModelProfile.productId);
    char* args[] = {const_cast<char*>(PLAYBACK_LOCK_PEER), const_cast<char*>(RUMBIX_LIBRARY),
                    const_cast<char*>(name.c_str()), nullptr};
    pid_t peer = 0;
    ASSERT_EQ(0, posix_spawn(&peer, PLAYBACK_LOCK_PEER, &actions, nullptr, args, environ));
    posix_spawn_file_actions_destroy(&actions);
    close(toPeer[0]);
    close(fromPeer[1]);

    char said[5] = {};
    ASSERT_EQ(5, read(fromPeer[0], said, 5)) << "the peer did not report holding the lock";
    EXPECT_EQ(0, std::memcmp("held\n", said, 5));
    EXPECT_FALSE(AcquirePlaybackLock(kPlaybackLockTimeoutMs)) << "the peer holds it";
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), GetLastError());

    ASSERT_EQ(1, write(toPeer[1], "\n", 1));
    int status = 0;
    ASSERT_EQ(peer, waitpid(peer, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "peer status " << status;
    EXPECT_TRUE(AcquirePlaybackLock(kPlaybackLockTimeoutMs)) << "the peer let go";
    ReleasePlaybackLock();
    close(toPeer[1]);
    close(fromPeer[0]);
}

}  // namespace

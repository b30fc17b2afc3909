// Mutexes: owned by one thread, recursive, abandoned when the owner thread
// ends, shared by name. (A process that dies owning a named mutex is shown
// by the effect driver's tests of a dead playback lock holder.)
#include <unistd.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "simwin_fixture.h"

namespace {

class Mutexes : public SimwinTest {
  protected:
    void SetUp() override {
        SimwinTest::SetUp();
        simwin::SetEventNamespace("simwin-mutex-test-" + std::to_string(getpid()));
    }
    void TearDown() override {
        for (HANDLE handle : handles_) {
            CloseHandle(handle);
        }
        SimwinTest::TearDown();
    }
    HANDLE Create(const char* name = nullptr, BOOL initialOwner = FALSE) {
        HANDLE handle = CreateMutexA(nullptr, initialOwner, name);
        EXPECT_NE(handle, nullptr);
        handles_.push_back(handle);
        return handle;
    }
    // A wait on another thread, which then lets go of whatever it got.
    static DWORD WaitElsewhere(HANDLE mutex, DWORD milliseconds) {
        DWORD result = WAIT_FAILED;
        std::thread([&] {
            result = WaitForSingleObject(mutex, milliseconds);
            if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
                ReleaseMutex(mutex);
            }
        }).join();
        return result;
    }
    std::vector<HANDLE> handles_;
};

TEST_F(Mutexes, NamesAndInjectedCreateFailure) {
    HANDLE a = Create("Shared\\Owner", TRUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE b = Create("Shared\\Owner", TRUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitElsewhere(b, 0), WAIT_TIMEOUT) << "owned through the other handle";
    EXPECT_TRUE(ReleaseMutex(a));
    EXPECT_FALSE(ReleaseMutex(a)) << "an existing mutex gave no second ownership";
    EXPECT_EQ(WaitElsewhere(b, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitElsewhere(Create("Shared\\Other"), 0), WAIT_OBJECT_0);

    simwin::FailCall("CreateMutexA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, "Shared\\Owner"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Mutexes, TheLastCloseEndsANamedMutex) {
    HANDLE first = CreateMutexA(nullptr, FALSE, "Lifetime");
    ASSERT_NE(first, nullptr);
    CloseHandle(first);
    Create("Lifetime");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

using MutexConcurrency = Mutexes;

TEST_F(MutexConcurrency, OwnedByOneThreadAndCountedPerAcquisition) {
    HANDLE mutex = Create();
    ASSERT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    ASSERT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "the owner takes it again";
    EXPECT_EQ(WaitElsewhere(mutex, 50), WAIT_TIMEOUT);

    bool releasedElsewhere = true;
    std::thread([&] { releasedElsewhere = ReleaseMutex(mutex) != FALSE; }).join();
    EXPECT_FALSE(releasedElsewhere);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitElsewhere(mutex, 50), WAIT_TIMEOUT) << "still owned once";
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitElsewhere(mutex, 50), WAIT_OBJECT_0);
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
}

TEST_F(MutexConcurrency, AThreadThatEndsOwningItAbandonsItToTheNextWaiter) {
    for (const char* name : {static_cast<const char*>(nullptr), "Abandoned"}) {
        HANDLE mutex = Create(name);
        std::thread([&] { ASSERT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); }).join();
        EXPECT_EQ(WaitForSingleObject(mutex, 1000), WAIT_ABANDONED);
        EXPECT_EQ(WaitElsewhere(mutex, 50), WAIT_TIMEOUT) << "the waiter owns it now";
        EXPECT_TRUE(ReleaseMutex(mutex));
        EXPECT_EQ(WaitElsewhere(mutex, 0), WAIT_OBJECT_0) << "a plain mutex again";
    }
}

}  // namespace

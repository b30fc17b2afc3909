#include <mmsystem.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "simwin_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

class RealTimeTimerConcurrency : public SimwinTest {
  protected:
    void SetUp() override {
        SimwinTest::SetUp();
        simwin::SetClockMode(simwin::ClockMode::RealTime);
    }
};

// Shared with the callbacks through dwUser.
struct Probe {
    std::atomic<int> calls{0};
    std::atomic<bool> other_thread{true};
    std::atomic<bool> callback_done{false};
    std::atomic<UINT> id{0};
    std::thread::id test_thread = std::this_thread::get_id();
    HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE proceed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~Probe() {
        CloseHandle(entered);
        CloseHandle(proceed);
    }
};

void CALLBACK Count(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* probe = reinterpret_cast<Probe*>(user);
    if (std::this_thread::get_id() == probe->test_thread) {
        probe->other_thread = false;
    }
    if (++probe->calls == 5) {
        SetEvent(probe->entered);
    }
}

// Signals that it runs, then waits for `proceed` (at most 2 s).
void CALLBACK Block(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* probe = reinterpret_cast<Probe*>(user);
    ++probe->calls;
    SetEvent(probe->entered);
    WaitForSingleObject(probe->proceed, 2000);
    probe->callback_done = true;
}

void CALLBACK SlowOnce(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* probe = reinterpret_cast<Probe*>(user);
    ++probe->calls;
    SetEvent(probe->entered);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    probe->callback_done = true;
}

void CALLBACK KillSelf(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* probe = reinterpret_cast<Probe*>(user);
    ++probe->calls;
    EXPECT_EQ(timeKillEvent(id), static_cast<MMRESULT>(TIMERR_NOERROR));
    SetEvent(probe->entered);
}

TEST_F(RealTimeTimerConcurrency, ClockFollowsHostTime) {
    simwin::SetTime(1000);
    const DWORD start = GetTickCount();
    EXPECT_GE(start, 1000u);
    EXPECT_LT(start, 1050u);
    Sleep(60);
    const DWORD slept = timeGetTime() - start;
    EXPECT_GE(slept, 59u);
    EXPECT_LT(slept, 1000u);
}

TEST_F(RealTimeTimerConcurrency, PeriodicTimerFiresOnItsOwnThreadWithoutDrift) {
    Probe probe;
    const auto start = Clock::now();
    const UINT id = timeSetEvent(10, 1, Count, reinterpret_cast<DWORD_PTR>(&probe),
                                 TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(WaitForSingleObject(probe.entered, 5000), WAIT_OBJECT_0);
    const auto fifth = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_GE(fifth.count(), 50);  // fifth firing due at 5 * 10 ms
    EXPECT_TRUE(probe.other_thread);
    ASSERT_EQ(timeKillEvent(id), static_cast<MMRESULT>(TIMERR_NOERROR));
    const int calls = probe.calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(probe.calls.load(), calls);  // none after a synchronous kill
    EXPECT_TRUE(simwin::ActiveTimers().empty());
}

TEST_F(RealTimeTimerConcurrency, SynchronousKillWaitsOutARunningCallback) {
    Probe probe;
    const UINT id = timeSetEvent(5, 1, SlowOnce, reinterpret_cast<DWORD_PTR>(&probe),
                                 TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(WaitForSingleObject(probe.entered, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(timeKillEvent(id), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_TRUE(probe.callback_done);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(probe.calls.load(), 1);
}

TEST_F(RealTimeTimerConcurrency, PlainKillDoesNotWaitButStopsFurtherCallbacks) {
    Probe probe;
    const UINT id = timeSetEvent(5, 1, Block, reinterpret_cast<DWORD_PTR>(&probe), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(WaitForSingleObject(probe.entered, 5000), WAIT_OBJECT_0);
    // The callback waits for us; a waiting kill would time it out first.
    const auto start = Clock::now();
    EXPECT_EQ(timeKillEvent(id), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(),
              1000);
    EXPECT_FALSE(probe.callback_done);
    SetEvent(probe.proceed);
    while (!probe.callback_done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(probe.calls.load(), 1);
}

TEST_F(RealTimeTimerConcurrency, SynchronousKillFromItsOwnCallbackReturns) {
    Probe probe;
    const UINT id = timeSetEvent(5, 1, KillSelf, reinterpret_cast<DWORD_PTR>(&probe),
                                 TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(WaitForSingleObject(probe.entered, 5000), WAIT_OBJECT_0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(probe.calls.load(), 1);
    EXPECT_TRUE(simwin::ActiveTimers().empty());
    EXPECT_EQ(timeKillEvent(id), static_cast<MMRESULT>(TIMERR_NOCANDO));
}

TEST_F(RealTimeTimerConcurrency, OneShotFiresOnceAfterItsDelay) {
    Probe probe;
    const auto start = Clock::now();
    const UINT id =
        timeSetEvent(30, 1, SlowOnce, reinterpret_cast<DWORD_PTR>(&probe), TIME_ONESHOT);
    ASSERT_NE(id, 0u);
    ASSERT_EQ(WaitForSingleObject(probe.entered, 5000), WAIT_OBJECT_0);
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(),
              30);
    while (!probe.callback_done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(probe.calls.load(), 1);
    EXPECT_TRUE(simwin::ActiveTimers().empty());
    EXPECT_EQ(timeKillEvent(id), static_cast<MMRESULT>(TIMERR_NOCANDO));
}

TEST_F(RealTimeTimerConcurrency, ResetStopsEveryTimer) {
    Probe probe;
    ASSERT_NE(timeSetEvent(5, 1, SlowOnce, reinterpret_cast<DWORD_PTR>(&probe), TIME_PERIODIC), 0u);
    ASSERT_EQ(WaitForSingleObject(probe.entered, 5000), WAIT_OBJECT_0);
    simwin::Reset();  // waits out the running callback, even without the flag
    EXPECT_TRUE(probe.callback_done);
    EXPECT_EQ(simwin::GetClockMode(), simwin::ClockMode::Stepped);
    const int calls = probe.calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(probe.calls.load(), calls);
}

}  // namespace

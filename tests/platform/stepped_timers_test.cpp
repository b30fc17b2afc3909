#include <mmsystem.h>
#include <windows.h>

#include <functional>
#include <ostream>
#include <vector>

#include "simwin_fixture.h"

namespace {

// Each timer's callback records (id, tick) and may run an extra action.
struct Firing {
    UINT id;
    DWORD tick;
    bool operator==(const Firing& other) const { return id == other.id && tick == other.tick; }
};

[[maybe_unused]] std::ostream& operator<<(std::ostream& out, const Firing& firing) {
    return out << "{timer " << firing.id << " at " << firing.tick << "}";
}

std::vector<Firing>* g_firings = nullptr;
std::function<void(UINT)>* g_action = nullptr;

void CALLBACK Record(UINT id, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    g_firings->push_back({id, timeGetTime()});
    if (*g_action) {
        (*g_action)(id);
    }
}

class SteppedTimers : public SimwinTest {
  protected:
    void SetUp() override {
        SimwinTest::SetUp();
        g_firings = &firings_;
        g_action = &action_;
    }
    void TearDown() override {
        SimwinTest::TearDown();  // kills the timers before the recorder goes
        g_firings = nullptr;
        g_action = nullptr;
    }
    UINT Set(UINT delay, UINT flags = TIME_ONESHOT, DWORD_PTR user = 0) {
        UINT id = timeSetEvent(delay, 1, Record, user, flags);
        EXPECT_NE(id, 0u);
        return id;
    }
    std::vector<Firing> firings_;
    std::function<void(UINT)> action_;
};

TEST_F(SteppedTimers, FireInDueOrderAtTheirDueTimes) {
    const UINT late = Set(30);
    const UINT early = Set(10);
    const UINT tie_first = Set(20);
    const UINT tie_second = Set(20);
    const UINT periodic = Set(25, TIME_PERIODIC);
    EXPECT_TRUE(firings_.empty());  // nothing fires until the clock moves

    simwin::AdvanceTime(100);
    const std::vector<Firing> expected = {{early, 10},    {tie_first, 20}, {tie_second, 20},
                                          {periodic, 25}, {late, 30},      {periodic, 50},
                                          {periodic, 75}, {periodic, 100}};
    EXPECT_EQ(firings_, expected);
    EXPECT_EQ(GetTickCount(), 100u);

    // One-shots are gone; the periodic one is listed with its arguments.
    const auto active = simwin::ActiveTimers();
    ASSERT_EQ(active.size(), 1u);
    EXPECT_EQ(active[0].id, periodic);
    EXPECT_EQ(active[0].delay, 25u);
    EXPECT_EQ(active[0].resolution, 1u);
    EXPECT_EQ(active[0].flags, static_cast<UINT>(TIME_PERIODIC));
    EXPECT_EQ(timeKillEvent(early), static_cast<MMRESULT>(TIMERR_NOCANDO));
    EXPECT_EQ(timeKillEvent(periodic), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_EQ(timeKillEvent(periodic), static_cast<MMRESULT>(TIMERR_NOCANDO));
    simwin::AdvanceTime(100);
    EXPECT_EQ(firings_.size(), expected.size());
}

TEST_F(SteppedTimers, SmallStepsAndSleepFireTimersToo) {
    const UINT periodic = Set(10, TIME_PERIODIC, 0xABC);
    for (int i = 0; i < 9; ++i) {
        simwin::AdvanceTime(3);
    }
    Sleep(13);  // 27 -> 40
    EXPECT_EQ(firings_, (std::vector<Firing>{
                            {periodic, 10}, {periodic, 20}, {periodic, 30}, {periodic, 40}}));
    EXPECT_EQ(timeGetTime(), 40u);
    EXPECT_EQ(simwin::ActiveTimers().at(0).user, 0xABCu);
}

TEST_F(SteppedTimers, CallbacksMayKillAndCreateTimers) {
    const UINT self_killer = Set(10, TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    const UINT victim = Set(35);
    UINT spawned = 0;
    action_ = [&](UINT id) {
        if (id == self_killer && firings_.size() == 2) {
            // Second firing (at 20): kill itself and the victim, start a new one.
            EXPECT_EQ(timeKillEvent(self_killer), static_cast<MMRESULT>(TIMERR_NOERROR));
            EXPECT_EQ(timeKillEvent(victim), static_cast<MMRESULT>(TIMERR_NOERROR));
            spawned = timeSetEvent(7, 0, Record, 0, TIME_ONESHOT);
        }
    };
    simwin::AdvanceTime(100);
    EXPECT_EQ(firings_, (std::vector<Firing>{{self_killer, 10}, {self_killer, 20}, {spawned, 27}}));
    EXPECT_TRUE(simwin::ActiveTimers().empty());
}

TEST_F(SteppedTimers, ACallbackThatSleepsDoesNotReenterItself) {
    const UINT slow = Set(10, TIME_PERIODIC);
    const UINT other = Set(15);
    action_ = [&](UINT id) {
        if (id == slow && firings_.size() == 1) {
            Sleep(12);  // steps the clock from inside the callback: 10 -> 22
        }
    };
    simwin::AdvanceTime(30);
    // `other` fires during the nested step; `slow` resumes its schedule and
    // catches up once its callback has returned; time never goes backwards.
    EXPECT_EQ(firings_, (std::vector<Firing>{{slow, 10}, {other, 15}, {slow, 22}, {slow, 30}}));
    EXPECT_EQ(GetTickCount(), 30u);
}

TEST_F(SteppedTimers, TickCountWrapsAndTimersFireAcrossTheWrap) {
    simwin::SetTime(0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    const UINT periodic = Set(20, TIME_PERIODIC);
    simwin::AdvanceTime(50);
    EXPECT_EQ(firings_, (std::vector<Firing>{{periodic, 0x4}, {periodic, 0x18}}));
    EXPECT_EQ(GetTickCount(), 0x22u);
    EXPECT_EQ(timeGetTime(), 0x22u);

    // SetTime changes the reading, not when timers fall due.
    simwin::SetTime(1000);
    simwin::AdvanceTime(10);
    EXPECT_EQ(firings_.back(), (Firing{periodic, 1010}));
}

TEST_F(SteppedTimers, RefusedTimersAndUnknownIds) {
    EXPECT_EQ(timeSetEvent(0, 0, Record, 0, TIME_ONESHOT), 0u);
    EXPECT_EQ(timeSetEvent(10, 0, nullptr, 0, TIME_ONESHOT), 0u);
    EXPECT_EQ(timeSetEvent(1000001, 0, Record, 0, TIME_ONESHOT), 0u);
    simwin::FailCall("timeSetEvent");
    EXPECT_EQ(timeSetEvent(10, 0, Record, 0, TIME_PERIODIC), 0u);
    EXPECT_TRUE(simwin::ActiveTimers().empty());
    const UINT id = Set(10, TIME_PERIODIC);
    EXPECT_EQ(timeKillEvent(id + 1), static_cast<MMRESULT>(TIMERR_NOCANDO));
    EXPECT_EQ(timeKillEvent(0), static_cast<MMRESULT>(TIMERR_NOCANDO));
}

TEST_F(SteppedTimers, ResetKillsTimersAndRewindsTheClock) {
    Set(10, TIME_PERIODIC);
    simwin::AdvanceTime(15);
    simwin::SetClockMode(simwin::ClockMode::Stepped);  // same mode: fine with live timers
    simwin::Reset();
    EXPECT_TRUE(simwin::ActiveTimers().empty());
    EXPECT_EQ(GetTickCount(), 0u);
    EXPECT_EQ(simwin::GetClockMode(), simwin::ClockMode::Stepped);
    simwin::AdvanceTime(100);
    EXPECT_EQ(firings_.size(), 1u);
}

TEST_F(SteppedTimers, SwitchingModeWithLiveTimersIsRefusedLoudly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            Set(10);
            simwin::SetClockMode(simwin::ClockMode::RealTime);
        },
        "live multimedia timers");
}

}  // namespace

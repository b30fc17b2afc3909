#include <windows.h>

#include "simwin/control_windows.h"
#include "ui_fixture.h"

namespace {

using WindowTimers = UiTest;

std::vector<UINT_PTR> g_procedure_ticks;
void CALLBACK CountingTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    g_procedure_ticks.push_back(id);
}

TEST_F(WindowTimers, FireOnlyWhileAliveAndDieWithTheirWindow) {
    HWND top = CreateTopLevel();
    HWND page = CreateChild(top, 1);
    EXPECT_EQ(SetTimer(page, 1, 10, nullptr), 1u);
    EXPECT_EQ(SetTimer(top, 3, 5, nullptr), 3u);    // below the minimum: 10 ms
    EXPECT_EQ(SetTimer(page, 1, 25, nullptr), 1u);  // again: new period, same place
    const auto timers = simwin::WindowTimers();
    ASSERT_EQ(timers.size(), 2u);
    EXPECT_EQ(timers[0].window, page);
    EXPECT_EQ(timers[0].id, 1u);
    EXPECT_EQ(timers[0].period, 25u);
    EXPECT_EQ(timers[1].period, static_cast<UINT>(USER_TIMER_MINIMUM));

    MessageLog().clear();
    EXPECT_TRUE(simwin::FireWindowTimer(page, 1));
    ASSERT_EQ(Logged({WM_TIMER}).size(), 1u);
    EXPECT_EQ(MessageLog().back().wParam, 1u);
    EXPECT_FALSE(simwin::FireWindowTimer(page, 2)) << "never set";

    EXPECT_TRUE(KillTimer(page, 1));
    EXPECT_FALSE(KillTimer(page, 1));
    EXPECT_FALSE(simwin::FireWindowTimer(page, 1));
    EXPECT_EQ(simwin::FireAllWindowTimers(), 1u);  // only the frame's timer is left

    SetTimer(page, 1, 10, nullptr);
    DestroyWindow(page);
    EXPECT_EQ(simwin::WindowTimers().size(), 1u);
    EXPECT_FALSE(simwin::FireWindowTimer(page, 1));
    EXPECT_EQ(SetTimer(page, 1, 10, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    g_procedure_ticks.clear();
    MessageLog().clear();
    SetTimer(top, 9, 10, CountingTimerProc);
    EXPECT_TRUE(simwin::FireWindowTimer(top, 9));
    EXPECT_EQ(g_procedure_ticks, std::vector<UINT_PTR>{9});
    EXPECT_TRUE(Logged({WM_TIMER}).empty()) << "a timer procedure replaces WM_TIMER";

    simwin::Reset();
    EXPECT_TRUE(simwin::WindowTimers().empty());
}

}  // namespace

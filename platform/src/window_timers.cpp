// Window timers. There is no message loop, so nothing fires by itself:
// tests deliver expiries with simwin::FireWindowTimer/FireAllWindowTimers.
// Semantics kept and choices:
//  - A timer is named by its window and id. Setting it again replaces its
//    period and procedure and keeps its place; SetTimer returns the id.
//  - Periods below USER_TIMER_MINIMUM (10 ms) become 10 ms, above
//    USER_TIMER_MAXIMUM become that, as on the platform.
//  - An expiry calls the TIMERPROC (window, WM_TIMER, id, tick count) when
//    the timer has one, else sends WM_TIMER (id, TIMERPROC) to the window.
//  - Timers die with KillTimer and with their window (after its
//    WM_NCDESTROY). Timers without a window are not simulated: SetTimer
//    with a NULL or invalid window fails with ERROR_INVALID_WINDOW_HANDLE.
//  - KillTimer of a timer that does not exist fails with
//    ERROR_INVALID_PARAMETER.
// Like the windows, the timers belong to the user-interface thread.
#include <algorithm>

#include "simwin/kernel.h"
#include "simwin/window_timers.h"
#include "faults.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

struct WindowTimer {
    HWND window;
    UINT_PTR id;
    UINT period;
    TIMERPROC procedure;
};

auto* g_timers = new std::vector<WindowTimer>;  // never destroyed

WindowTimer* Find(HWND window, UINT_PTR id) {
    for (WindowTimer& timer : *g_timers) {
        if (timer.window == window && timer.id == id) {
            return &timer;
        }
    }
    return nullptr;
}

}  // namespace

void KillWindowTimers(HWND window) {
    auto& timers = *g_timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [window](const WindowTimer& t) { return t.window == window; }),
                 timers.end());
}

void ResetWindowTimers() {
    g_timers->clear();
}

}  // namespace simwin::detail

extern "C" {

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("SetTimer", &error)) {
        SetLastError(error);
        return 0;
    }
    if (hWnd == nullptr || simwin::detail::RequireWindow(hWnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const UINT period =
        std::min<UINT>(std::max<UINT>(uElapse, USER_TIMER_MINIMUM), USER_TIMER_MAXIMUM);
    if (auto* timer = simwin::detail::Find(hWnd, nIDEvent)) {
        timer->period = period;
        timer->procedure = lpTimerFunc;
    } else {
        simwin::detail::g_timers->push_back({hWnd, nIDEvent, period, lpTimerFunc});
    }
    // The platform answers a non-zero value for a window timer; id 0 is
    // still answered as 1 so success never reads as failure.
    return nIDEvent == 0 ? 1 : nIDEvent;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    auto& timers = *simwin::detail::g_timers;
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->window == hWnd && it->id == uIDEvent) {
            timers.erase(it);
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

}  // extern "C"

namespace simwin {

std::vector<WindowTimerInfo> WindowTimers() {
    std::vector<WindowTimerInfo> timers;
    for (const auto& timer : *detail::g_timers) {
        timers.push_back({timer.window, timer.id, timer.period});
    }
    return timers;
}

bool FireWindowTimer(HWND window, UINT_PTR id) {
    const detail::WindowTimer* timer = detail::Find(window, id);
    if (timer == nullptr) {
        return false;
    }
    const TIMERPROC procedure = timer->procedure;
    if (procedure != nullptr) {
        procedure(window, WM_TIMER, id, GetTickCount());
    } else {
        SendMessageA(window, WM_TIMER, id, 0);
    }
    return true;
}

size_t FireAllWindowTimers() {
    const std::vector<WindowTimerInfo> due = WindowTimers();
    size_t fired = 0;
    for (const auto& timer : due) {
        fired += FireWindowTimer(timer.window, timer.id) ? 1 : 0;
    }
    return fired;
}

}  // namespace simwin

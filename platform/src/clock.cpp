// The machine's clock: GetTickCount, timeGetTime, Sleep and the clock part of
// the control API.
//  - Stepped (the default): time is a virtual millisecond count that moves
//    only through AdvanceTime and Sleep; both fire due timers on the calling
//    thread. Stepping is serialised; a timer callback may step the clock
//    again (nested), and time never goes backwards.
//  - RealTime: time is the host's monotonic clock; Sleep really sleeps.
// In both modes the tick count is a DWORD that wraps at 2^32; SetTime only
// moves what the tick count reads, not when timers fall due.
// Switching mode keeps the tick count reading continuous. Switching while
// timers are live is refused loudly (abort with a message): a timer's
// firing belongs to the mode it was created in, and moving it between the
// stepping thread and a thread of its own would change when and where its
// callback runs.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "clock_internal.h"
#include "simwin/kernel.h"
#include "simwin/multimedia_timers.h"
#include "timers_internal.h"

namespace simwin::detail {
namespace {

std::mutex g_mutex;  // guards the fields below
ClockMode g_mode = ClockMode::Stepped;
uint64_t g_stepped_elapsed = 0;
uint32_t g_offset = 0;  // tick count = low 32 bits of elapsed + offset

// The stepped clock's reading, published whenever the fields above change,
// so that the tick count (read once per playing effect by the driver's
// tick) costs no lock in stepped mode.
std::atomic<bool> g_stepped{true};
std::atomic<DWORD> g_stepped_tick{0};

// Serialises stepping and mode changes; recursive so that a callback fired
// by a step may step again.
std::recursive_mutex g_step_mutex;

uint64_t HostMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t ElapsedLocked() {
    return g_mode == ClockMode::Stepped ? g_stepped_elapsed : HostMs();
}

// Called with g_mutex held after any change of the fields it guards.
void PublishLocked() {
    g_stepped.store(g_mode == ClockMode::Stepped, std::memory_order_release);
    g_stepped_tick.store(static_cast<DWORD>(g_stepped_elapsed + g_offset),
                         std::memory_order_release);
}

DWORD TickCount() {
    if (g_stepped.load(std::memory_order_acquire)) {
        return g_stepped_tick.load(std::memory_order_acquire);
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    return static_cast<DWORD>(ElapsedLocked() + g_offset);
}

}  // namespace

uint64_t ElapsedMs() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return ElapsedLocked();
}

ClockMode CurrentClockMode() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_mode;
}

void SetSteppedElapsed(uint64_t elapsed) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (elapsed > g_stepped_elapsed) {
        g_stepped_elapsed = elapsed;
        PublishLocked();
    }
}

void ResetClock() {
    std::lock_guard<std::recursive_mutex> step(g_step_mutex);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_mode = ClockMode::Stepped;
    g_stepped_elapsed = 0;
    g_offset = 0;
    PublishLocked();
}

}  // namespace simwin::detail

namespace simwin {

void SetClockMode(ClockMode mode) {
    std::lock_guard<std::recursive_mutex> step(detail::g_step_mutex);
    if (mode == detail::CurrentClockMode()) {
        return;
    }
    if (detail::LiveTimerCount() != 0) {
        std::fprintf(stderr,
                     "simwin: SetClockMode with live multimedia timers; kill them (or Reset) "
                     "before switching the clock mode\n");
        std::abort();
    }
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    const DWORD now = static_cast<DWORD>(detail::ElapsedLocked() + detail::g_offset);
    detail::g_mode = mode;
    detail::g_offset = static_cast<uint32_t>(now - static_cast<DWORD>(detail::ElapsedLocked()));
    detail::PublishLocked();
}

ClockMode GetClockMode() {
    return detail::CurrentClockMode();
}

void SetTime(DWORD milliseconds) {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    detail::g_offset =
        static_cast<uint32_t>(milliseconds - static_cast<DWORD>(detail::ElapsedLocked()));
    detail::PublishLocked();
}

void AdvanceTime(DWORD milliseconds) {
    if (detail::CurrentClockMode() == ClockMode::RealTime) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    std::lock_guard<std::recursive_mutex> step(detail::g_step_mutex);
    const uint64_t target = detail::ElapsedMs() + milliseconds;
    detail::FireSteppedTimersUntil(target);
    detail::SetSteppedElapsed(target);
}

}  // namespace simwin

extern "C" {

DWORD WINAPI GetTickCount(void) {
    return simwin::detail::TickCount();
}

DWORD WINAPI timeGetTime(void) {
    return simwin::detail::TickCount();
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (simwin::detail::CurrentClockMode() == simwin::ClockMode::Stepped) {
        simwin::AdvanceTime(dwMilliseconds);
    } else if (dwMilliseconds == 0) {
        std::this_thread::yield();
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
    }
}

}  // extern "C"

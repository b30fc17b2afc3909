// Multimedia timers. A timer belongs to the clock mode it was created in:
//  - Stepped: it falls due on the virtual clock and fires only on a thread
//    that steps the clock (AdvanceTime, Sleep), in due order, the clock set
//    to its due time while the callback runs.
//  - RealTime: it runs on a thread of its own, first firing `delay` ms after
//    creation; periodic timers keep a drift-free schedule (start + n*delay).
// A one-shot timer is gone once its callback has returned. A callback may
// create and kill timers, itself included.
//
// timeKillEvent: no callback of the timer starts afterwards. With
// TIME_KILL_SYNCHRONOUS it also waits until a callback in progress has
// returned, unless called from that very callback (which would deadlock);
// without it, a callback in progress may still be finishing on return.
// Reset kills every timer and waits out callbacks in progress.
//
// Locking: g_mutex guards the timer table and each stepped timer's schedule;
// a timer's own mutex guards its run state. Order: g_mutex, then a timer's
// mutex. No lock is held while a callback runs or while joining a thread.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "clock_internal.h"
#include "faults.h"
#include "simwin/control.h"
#include "simwin/kernel.h"
#include "simwin/multimedia_timers.h"
#include "timers_internal.h"

namespace simwin::detail {
namespace {

// The longest delay the multimedia timer service accepts.
constexpr UINT kMaxDelayMs = 1000000;

struct Timer {
    UINT id = 0;
    UINT delay = 0;
    UINT resolution = 0;
    UINT flags = 0;
    LPTIMECALLBACK callback = nullptr;
    DWORD_PTR user = 0;
    bool real_time = false;

    // Stepped schedule, under g_mutex.
    uint64_t due = 0;
    uint64_t order = 0;  // creation/re-arm order breaks ties between equal due times

    // Run state, under `mutex` (stepped timers: written under g_mutex too).
    std::mutex mutex;
    std::condition_variable changed;
    bool killed = false;
    bool running = false;
    bool finished = false;  // real-time one-shot that has fired
    std::thread::id runner;
    std::thread thread;  // real-time only; touched only by whoever removed the timer
};

std::mutex g_mutex;
// Never destroyed: a timer thread left running at exit must not meet a
// destroyed table.
auto* g_timers = new std::map<UINT, std::shared_ptr<Timer>>;
UINT g_next_id = 1;
uint64_t g_next_order = 0;

void RunRealTime(const std::shared_ptr<Timer>& timer, std::chrono::steady_clock::time_point start) {
    const auto period = std::chrono::milliseconds(timer->delay);
    auto next = start + period;
    std::unique_lock<std::mutex> lock(timer->mutex);
    for (;;) {
        if (timer->changed.wait_until(lock, next, [&] { return timer->killed; })) {
            return;
        }
        timer->running = true;
        timer->runner = std::this_thread::get_id();
        lock.unlock();
        timer->callback(timer->id, 0, timer->user, 0, 0);
        lock.lock();
        timer->running = false;
        timer->changed.notify_all();
        if (timer->killed) {
            return;
        }
        if ((timer->flags & TIME_PERIODIC) == 0) {
            timer->finished = true;
            return;
        }
        next += period;
    }
}

// Drops real-time one-shots that have fired. Caller holds g_mutex.
void PruneFinishedLocked() {
    for (auto it = g_timers->begin(); it != g_timers->end();) {
        Timer& timer = *it->second;
        bool finished = false;
        if (timer.real_time) {
            std::lock_guard<std::mutex> lock(timer.mutex);
            finished = timer.finished;
        }
        if (finished) {
            // Its thread has returned or is just returning.
            timer.thread.join();
            it = g_timers->erase(it);
        } else {
            ++it;
        }
    }
}

// Stops a timer already removed from the table.
void Stop(const std::shared_ptr<Timer>& timer, bool wait_for_callback) {
    std::unique_lock<std::mutex> lock(timer->mutex);
    timer->killed = true;
    timer->changed.notify_all();
    const bool own_callback = timer->running && timer->runner == std::this_thread::get_id();
    const bool wait = wait_for_callback && !own_callback;
    if (timer->thread.joinable()) {
        lock.unlock();
        if (wait) {
            timer->thread.join();
        } else {
            timer->thread.detach();
        }
    } else if (wait) {
        timer->changed.wait(lock, [&] { return !timer->running; });
    }
}

UINT NewIdLocked() {
    while (g_next_id == 0 || g_timers->count(g_next_id) != 0) {
        ++g_next_id;
    }
    return g_next_id++;
}

}  // namespace

void FireSteppedTimersUntil(uint64_t target) {
    for (;;) {
        std::shared_ptr<Timer> timer;
        uint64_t due = 0;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            for (auto& entry : *g_timers) {
                Timer& candidate = *entry.second;
                // A timer whose callback is running (this step nested in it)
                // is not fired again until that callback returns.
                if (candidate.real_time || candidate.running || candidate.due > target) {
                    continue;
                }
                if (timer == nullptr || candidate.due < timer->due ||
                    (candidate.due == timer->due && candidate.order < timer->order)) {
                    timer = entry.second;
                }
            }
            if (timer == nullptr) {
                return;
            }
            due = timer->due;
            std::lock_guard<std::mutex> run(timer->mutex);
            timer->running = true;
            timer->runner = std::this_thread::get_id();
        }
        SetSteppedElapsed(due);
        timer->callback(timer->id, 0, timer->user, 0, 0);
        std::lock_guard<std::mutex> lock(g_mutex);
        std::lock_guard<std::mutex> run(timer->mutex);
        timer->running = false;
        timer->changed.notify_all();
        if (!timer->killed) {
            if ((timer->flags & TIME_PERIODIC) != 0) {
                timer->due += timer->delay;
                timer->order = g_next_order++;
            } else {
                timer->killed = true;
                g_timers->erase(timer->id);
            }
        }
    }
}

size_t LiveTimerCount() {
    std::lock_guard<std::mutex> lock(g_mutex);
    PruneFinishedLocked();
    return g_timers->size();
}

void KillAllTimers() {
    std::vector<std::shared_ptr<Timer>> timers;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        PruneFinishedLocked();
        for (auto& entry : *g_timers) {
            timers.push_back(entry.second);
        }
        g_timers->clear();
    }
    for (auto& timer : timers) {
        Stop(timer, true);
    }
}

}  // namespace simwin::detail

using simwin::detail::Timer;

extern "C" {

MMRESULT WINAPI timeSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK fptc, DWORD_PTR dwUser,
                             UINT fuEvent) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("timeSetEvent", &error)) {
        SetLastError(error);
        return 0;
    }
    if (uDelay == 0 || uDelay > simwin::detail::kMaxDelayMs || fptc == nullptr) {
        return 0;
    }
    auto timer = std::make_shared<Timer>();
    timer->delay = uDelay;
    timer->resolution = uResolution;
    timer->flags = fuEvent;
    timer->callback = fptc;
    timer->user = dwUser;
    timer->real_time = simwin::detail::CurrentClockMode() == simwin::ClockMode::RealTime;

    std::lock_guard<std::mutex> lock(simwin::detail::g_mutex);
    simwin::detail::PruneFinishedLocked();
    timer->id = simwin::detail::NewIdLocked();
    if (timer->real_time) {
        timer->thread =
            std::thread(simwin::detail::RunRealTime, timer, std::chrono::steady_clock::now());
    } else {
        timer->due = simwin::detail::ElapsedMs() + uDelay;
        timer->order = simwin::detail::g_next_order++;
    }
    simwin::detail::g_timers->emplace(timer->id, timer);
    return timer->id;
}

MMRESULT WINAPI timeKillEvent(UINT uTimerID) {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard<std::mutex> lock(simwin::detail::g_mutex);
        simwin::detail::PruneFinishedLocked();
        auto it = simwin::detail::g_timers->find(uTimerID);
        if (it == simwin::detail::g_timers->end()) {
            return TIMERR_NOCANDO;
        }
        timer = it->second;
        simwin::detail::g_timers->erase(it);
    }
    simwin::detail::Stop(timer, (timer->flags & TIME_KILL_SYNCHRONOUS) != 0);
    return TIMERR_NOERROR;
}

}  // extern "C"

std::vector<simwin::TimerInfo> simwin::ActiveTimers() {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    detail::PruneFinishedLocked();
    std::vector<TimerInfo> timers;
    for (auto& entry : *detail::g_timers) {
        const Timer& timer = *entry.second;
        timers.push_back({timer.id, timer.delay, timer.resolution, timer.flags, timer.user});
    }
    return timers;
}

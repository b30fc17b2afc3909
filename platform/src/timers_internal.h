// Internal interface between the multimedia timers and the clock/control.
#pragma once

#include <cstddef>
#include <cstdint>

namespace simwin::detail {

// Stepped mode: fires, on the calling thread, every stepped timer falling
// due up to `target` (elapsed ms), in due order, moving the clock to each due
// time before its callback.
void FireSteppedTimersUntil(uint64_t target);
size_t LiveTimerCount();
// Kills every timer and waits out callbacks in progress (except the
// caller's own).
void KillAllTimers();

}  // namespace simwin::detail

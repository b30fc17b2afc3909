// Internal interface between the clock and the multimedia timers.
#pragma once

#include <cstdint>

#include "simwin/control.h"

namespace simwin::detail {

// Milliseconds the clock has run: the virtual count in stepped mode, host
// monotonic time in real-time mode. 64 bits, so it never wraps; the tick
// count is its low 32 bits plus an offset.
uint64_t ElapsedMs();
ClockMode CurrentClockMode();
// Stepped mode: moves the virtual clock to `elapsed` (never backwards).
void SetSteppedElapsed(uint64_t elapsed);
// Back to the stepped clock at tick 0 (timers must already be gone).
void ResetClock();

}  // namespace simwin::detail

// How regular the playback ticks are, measured from the times the controller
// received the reports of successive ticks; printed for people to read, not
// asserted on, since the runtime's timers on a busy machine promise little.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace windows_test {

struct TickStatistics {
    size_t intervals = 0;
    double meanMs = 0;
    double standardDeviationMs = 0;
    double minimumMs = 0;
    double maximumMs = 0;
    double percentile99Ms = 0;  // nearest rank
};

// Statistics of the intervals between successive tick times (ascending, in
// milliseconds). All zero with fewer than two times.
TickStatistics MeasureTicks(const std::vector<double>& tickTimesMs);

// "tick period model S: mean 35.02 ms, sd 0.41 ms, min 33.90 ms, max 36.10 ms,
// p99 36.00 ms (85 intervals)"
std::string DescribeTicks(const char* modelName, const TickStatistics& ticks);

}  // namespace windows_test

#include "tick_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace windows_test {

TickStatistics MeasureTicks(const std::vector<double>& tickTimesMs) {
    TickStatistics ticks;
    if (tickTimesMs.size() < 2) {
        return ticks;
    }
    std::vector<double> intervals;
    for (size_t i = 1; i < tickTimesMs.size(); ++i) {
        intervals.push_back(tickTimesMs[i] - tickTimesMs[i - 1]);
    }
    ticks.intervals = intervals.size();
    double sum = 0;
    for (double interval : intervals) {
        sum += interval;
    }
    ticks.meanMs = sum / static_cast<double>(intervals.size());
    double squares = 0;
    for (double interval : intervals) {
        squares += (interval - ticks.meanMs) * (interval - ticks.meanMs);
    }
    ticks.standardDeviationMs = std::sqrt(squares / static_cast<double>(intervals.size()));
    std::sort(intervals.begin(), intervals.end());
    ticks.minimumMs = intervals.front();
    ticks.maximumMs = intervals.back();
    // Nearest rank: the smallest interval that at least 99 % of them do not
    // exceed.
    const auto rank = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(intervals.size())));
    ticks.percentile99Ms = intervals[std::max<size_t>(rank, 1) - 1];
    return ticks;
}

std::string DescribeTicks(const char* modelName, const TickStatistics& ticks) {
    char line[200];
    std::snprintf(line, sizeof line,
                  "tick period model %s: mean %.2f ms, sd %.2f ms, min %.2f ms, max %.2f ms, "
                  "p99 %.2f ms (%zu intervals)",
                  modelName, ticks.meanMs, ticks.standardDeviationMs, ticks.minimumMs,
                  ticks.maximumMs, ticks.percentile99Ms, ticks.intervals);
    return line;
}

}  // namespace windows_test

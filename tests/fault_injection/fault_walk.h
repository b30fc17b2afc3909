// Walks every failure the simulated machine can inject into one operation.
// A clean run counts the calls the operation makes to each function that
// can fail; then the operation runs again once per such call with exactly
// that call failing. Each run builds its own world, so one failure cannot
// hide behind another.
#pragma once

#include <gtest/gtest.h>
#include <simwin/control.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fault_walk {

struct FaultPoint {
    std::string function;
    unsigned nth;  // 1 = the first call the operation makes
};

inline std::string Describe(const FaultPoint& point) {
    return point.function + " #" + std::to_string(point.nth);
}

// The error an injected failure reports: what the function reports when it
// really runs out of what it needs.
inline DWORD InjectedError(const std::string& function) {
    if (function == "HeapAlloc" || function == "LocalAlloc") {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_GEN_FAILURE;
}

// One run of an operation: `arm` is called just before the operation and
// must arm the fault (or nothing for the clean run) and reset the counts;
// the run answers the calls it saw.
using Run = std::function<std::map<std::string, unsigned>(const FaultPoint* fault)>;

inline void ArmForRun(const FaultPoint* fault) {
    simwin::ClearFaults();
    simwin::ResetFaultPointCalls();
    if (fault != nullptr) {
        simwin::FailCall(fault->function, fault->nth, InjectedError(fault->function));
    }
}

// Runs the operation clean and then once per fault point; answers the
// points walked.
inline std::vector<FaultPoint> WalkFaultPoints(const Run& run) {
    std::vector<FaultPoint> points;
    for (const auto& [function, calls] : run(nullptr)) {
        for (unsigned nth = 1; nth <= calls; ++nth) {
            points.push_back({function, nth});
        }
    }
    std::string functions;
    for (const FaultPoint& point : points) {
        if (point.nth == 1) {
            functions += " " + point.function;
        }
    }
    if (!functions.empty()) {
        std::printf("[fault walk]   can fail:%s\n", functions.c_str());
    }
    for (const FaultPoint& point : points) {
        SCOPED_TRACE("failing " + Describe(point));
        run(&point);
    }
    return points;
}

}  // namespace fault_walk

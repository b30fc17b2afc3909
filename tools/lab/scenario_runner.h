// Running a scenario against a driver session: each step at its time, while
// the driver's playback timer plays on the machine's clock.
//
// Fast runs use the stepped clock: the run advances it from step to step, so
// every timer tick falls due at its exact millisecond and the run takes
// almost no wall time; a step due at the same millisecond as a tick runs
// after that tick. Real-time runs wait for each step on the real clock while
// the timer ticks on a thread of its own, as in a game.
#pragma once

#include <atomic>

#include "tools/lab/driver_session.h"
#include "tools/lab/scenario.h"

namespace lab {

// What watches a run: the terminal view, a progress printer.
class RunObserver {
  public:
    virtual ~RunObserver() = default;
    // After each step, with the scenario time it ran at.
    virtual void StepDone(long long atMs, const Step& step, const StepOutcome& outcome) = 0;
    // Real-time runs: about every `kFrameMs` of the run, and once at its end.
    virtual void Frame(long long elapsedMs) = 0;
};

inline constexpr long long kFrameMs = 50;

struct RunResult {
    size_t stepsRun = 0;
    size_t stepsFailed = 0;
    // Ended early on request (Ctrl-C).
    bool interrupted = false;
};

RunResult RunScenario(DriverSession& session, const Scenario& scenario, bool fast,
                      RunObserver& observer, const std::atomic<bool>& stopRequested);

}  // namespace lab

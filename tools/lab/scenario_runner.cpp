#include "tools/lab/scenario_runner.h"

#include <simwin/control.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace lab {

namespace {

void RunStep(DriverSession& session, const Step& step, RunObserver& observer, RunResult& result) {
    const long long at = session.ElapsedMs();
    const StepOutcome outcome = session.Execute(step);
    ++result.stepsRun;
    if (!outcome.ok) {
        ++result.stepsFailed;
    }
    observer.StepDone(at, step, outcome);
}

// Moves the stepped clock to scenario time `targetMs`, firing the ticks on
// the way.
void AdvanceTo(DriverSession& session, long long targetMs) {
    const long long now = session.ElapsedMs();
    if (targetMs > now) {
        simwin::AdvanceTime(static_cast<DWORD>(targetMs - now));
    }
}

RunResult RunFast(DriverSession& session, const Scenario& scenario, RunObserver& observer,
                  const std::atomic<bool>& stopRequested) {
    RunResult result;
    for (const Step& step : scenario.steps) {
        if (stopRequested) {
            result.interrupted = true;
            return result;
        }
        AdvanceTo(session, step.atMs);
        RunStep(session, step, observer, result);
    }
    AdvanceTo(session, scenario.durationMs);
    observer.Frame(session.ElapsedMs());
    return result;
}

RunResult RunRealTime(DriverSession& session, const Scenario& scenario, RunObserver& observer,
                      const std::atomic<bool>& stopRequested) {
    RunResult result;
    size_t next = 0;
    long long nextFrame = 0;
    while (true) {
        long long now = session.ElapsedMs();
        while (next < scenario.steps.size() && scenario.steps[next].atMs <= now) {
            RunStep(session, scenario.steps[next++], observer, result);
            now = session.ElapsedMs();
        }
        if (now >= nextFrame) {
            observer.Frame(now);
            nextFrame = (now / kFrameMs + 1) * kFrameMs;
        }
        if (now >= scenario.durationMs && next == scenario.steps.size()) {
            break;
        }
        if (stopRequested) {
            result.interrupted = true;
            break;
        }
        long long wake = std::min(nextFrame, scenario.durationMs);
        if (next < scenario.steps.size()) {
            wake = std::min(wake, scenario.steps[next].atMs);
        }
        if (wake > now) {
            std::this_thread::sleep_for(std::chrono::milliseconds(wake - now));
        }
    }
    observer.Frame(session.ElapsedMs());
    return result;
}

}  // namespace

RunResult RunScenario(DriverSession& session, const Scenario& scenario, bool fast,
                      RunObserver& observer, const std::atomic<bool>& stopRequested) {
    return fast ? RunFast(session, scenario, observer, stopRequested)
                : RunRealTime(session, scenario, observer, stopRequested);
}

}  // namespace lab

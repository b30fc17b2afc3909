// What the lab shows while a scenario runs.
//
// LiveView, for a terminal: both motors as bars, the effects with their
// play state, the latest steps and the scenario time, redrawn in place with
// ANSI escapes at every frame. LinePrinter, for anything else (a pipe, a
// file, fast runs): one line per step and, in real time, a plain progress
// line now and then.
#pragma once

#include <cstdio>
#include <deque>
#include <string>

#include "tools/lab/driver_session.h"
#include "tools/lab/scenario_runner.h"

namespace lab {

// "  1.250 s  download engine (constant), handle 1: S_OK"
std::string StepLine(long long atMs, const StepOutcome& outcome);

class LiveView : public RunObserver {
  public:
    LiveView(FILE* out, const DriverSession& session, const std::string& title,
             long long durationMs);
    ~LiveView() override;

    void StepDone(long long atMs, const Step& step, const StepOutcome& outcome) override;
    void Frame(long long elapsedMs) override;

  private:
    FILE* out_;
    const DriverSession& session_;
    std::string title_;
    long long durationMs_;
    std::deque<std::string> recentSteps_;
    int linesDrawn_ = 0;
};

class LinePrinter : public RunObserver {
  public:
    // `progressEveryMs` 0: no progress lines.
    LinePrinter(FILE* out, const DriverSession& session, long long progressEveryMs);

    void StepDone(long long atMs, const Step& step, const StepOutcome& outcome) override;
    void Frame(long long elapsedMs) override;

  private:
    FILE* out_;
    const DriverSession& session_;
    long long progressEveryMs_;
    long long nextProgressMs_ = 0;
};

}  // namespace lab

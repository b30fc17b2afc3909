#include "tools/lab/terminal_view.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lab {

namespace {

constexpr size_t kRecentSteps = 6;
constexpr int kBarWidth = 40;

// Lines wider than the terminal are cut rather than wrapped, so that every
// frame takes the same rows and the next one can be drawn over it.
const char kHideCursorNoWrap[] = "\x1b[?25l\x1b[?7l";
const char kShowCursorWrap[] = "\x1b[?25h\x1b[?7h";
const char kClearToLineEnd[] = "\x1b[K";
const char kClearToScreenEnd[] = "\x1b[J";
const char kBold[] = "\x1b[1m";
const char kRed[] = "\x1b[31m";
const char kGreen[] = "\x1b[32m";
const char kDim[] = "\x1b[2m";
const char kPlain[] = "\x1b[0m";

std::string Bar(double percent, int width) {
    const int filled = static_cast<int>(std::lround(percent / 100.0 * width));
    std::string bar;
    for (int i = 0; i < width; ++i) {
        bar += i < filled ? "\u2588" : "\u00b7";
    }
    return bar;
}

std::string Format(const char* format, double a, double b) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

// Where the motors stand after the reports so far.
MotorPoint CurrentMotors(const std::vector<LabReport>& reports) {
    MotorPoint point;
    for (const LabReport& report : reports) {
        if (report.decoded.setsMotors) {
            point = {report.timeMs, report.decoded.left, report.decoded.right};
        }
    }
    return point;
}

}  // namespace

std::string StepLine(long long atMs, const StepOutcome& outcome) {
    char time[32];
    std::snprintf(time, sizeof time, "%8.3f s  ", static_cast<double>(atMs) / 1000.0);
    return time + outcome.text;
}

LiveView::LiveView(FILE* out, const DriverSession& session, const std::string& title,
                   long long durationMs)
    : out_(out), session_(session), title_(title), durationMs_(durationMs) {
    std::fputs(kHideCursorNoWrap, out_);
}

LiveView::~LiveView() {
    std::fputs(kShowCursorWrap, out_);
    std::fflush(out_);
}

void LiveView::StepDone(long long atMs, const Step&, const StepOutcome& outcome) {
    const std::string line = StepLine(atMs, outcome);
    recentSteps_.push_back(outcome.ok ? line : std::string(kRed) + line + kPlain);
    if (recentSteps_.size() > kRecentSteps) {
        recentSteps_.pop_front();
    }
}

void LiveView::Frame(long long elapsedMs) {
    const DeviceModelProfile& model = session_.profile();
    const std::vector<LabReport> reports = session_.Reports();
    const MotorPoint motors = CurrentMotors(reports);
    const double shown = static_cast<double>(std::min(elapsedMs, durationMs_));

    std::vector<std::string> lines;
    lines.push_back(std::string(kBold) + title_ + kPlain +
                    Format("   %.2f s / %.2f s", shown / 1000.0, durationMs_ / 1000.0));
    lines.push_back(std::string(kDim) + Bar(shown * 100.0 / durationMs_, kBarWidth + 16) + kPlain);
    const struct {
        const char* name;
        BYTE value;
    } bars[] = {{"left ", motors.left}, {"right", motors.right}};
    for (const auto& bar : bars) {
        const double percent = MotorPercent(model, bar.value);
        char tail[32];
        std::snprintf(tail, sizeof tail, " %5.1f%%  0x%02x", percent, bar.value);
        lines.push_back(std::string("  ") + bar.name + "  " + kGreen + Bar(percent, kBarWidth) +
                        kPlain + tail);
    }
    std::string last = reports.empty() ? "none yet"
                                       : HexBytes(reports.back().bytes) + "  " +
                                             ReportKindName(reports.back().decoded.kind);
    lines.push_back("  reports " + std::to_string(reports.size()) + "   last: " + last);
    lines.push_back("");
    lines.push_back(std::string(kBold) + "effects" + kPlain);
    const std::vector<EffectState> effects = session_.Effects();
    if (effects.empty()) {
        lines.push_back("  none");
    }
    for (const EffectState& effect : effects) {
        char text[160];
        std::snprintf(text, sizeof text, "  %-14s %-14s %s", effect.name.c_str(),
                      EffectTypeName(effect.typeIndex),
                      effect.handle == 0 ? "not downloaded"
                      : effect.playing   ? "playing"
                                         : "not playing");
        lines.push_back(effect.playing ? std::string(kGreen) + text + kPlain : text);
    }
    lines.push_back(std::string(kBold) + "steps" + kPlain);
    for (const std::string& step : recentSteps_) {
        lines.push_back(step);
    }

    std::string frame;
    if (linesDrawn_ > 0) {
        frame += "\x1b[" + std::to_string(linesDrawn_) + "F";
    }
    for (const std::string& line : lines) {
        frame += line + kClearToLineEnd + "\n";
    }
    frame += kClearToScreenEnd;
    std::fputs(frame.c_str(), out_);
    std::fflush(out_);
    linesDrawn_ = static_cast<int>(lines.size());
}

LinePrinter::LinePrinter(FILE* out, const DriverSession& session, long long progressEveryMs)
    : out_(out), session_(session), progressEveryMs_(progressEveryMs) {}

void LinePrinter::StepDone(long long atMs, const Step&, const StepOutcome& outcome) {
    std::fprintf(out_, "%s\n", StepLine(atMs, outcome).c_str());
    std::fflush(out_);
}

void LinePrinter::Frame(long long elapsedMs) {
    if (progressEveryMs_ == 0 || elapsedMs < nextProgressMs_) {
        return;
    }
    nextProgressMs_ = (elapsedMs / progressEveryMs_ + 1) * progressEveryMs_;
    const std::vector<LabReport> reports = session_.Reports();
    const MotorPoint motors = CurrentMotors(reports);
    const DeviceModelProfile& model = session_.profile();
    std::fprintf(out_, "%8.3f s  motors left %5.1f%% right %5.1f%%, %zu reports so far\n",
                 static_cast<double>(elapsedMs) / 1000.0, MotorPercent(model, motors.left),
                 MotorPercent(model, motors.right), reports.size());
    std::fflush(out_);
}

}  // namespace lab

// rumbix-lab: plays force-feedback effects through the rumbix driver module
// the way DirectInput does, on the simulated machine with a controller of
// the chosen model plugged in, and shows, logs and plots what the
// controller receives.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "tools/lab/driver_session.h"
#include "tools/lab/embedded_texts.h"
#include "tools/lab/lab_models.h"
#include "tools/lab/motor_plot.h"
#include "tools/lab/report_log.h"
#include "tools/lab/scenario_runner.h"
#include "tools/lab/terminal_view.h"

namespace {

// Malformed input files and arguments; failures of the run itself.
constexpr int kExitBadInput = 2;
constexpr int kExitRunFailed = 1;
constexpr int kExitInterrupted = 130;

std::atomic<bool> g_stopRequested{false};

extern "C" void OnInterrupt(int) {
    g_stopRequested = true;
}

bool ReadFile(const std::string& path, std::string* text, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot read " + path;
        return false;
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    *text = contents.str();
    return true;
}

// The model's driver module next to this program in the build tree
// (bin/../lib), or where the build put it.
std::string DefaultModulePath(const DeviceModelProfile& profile) {
    const std::string name =
        std::string("librumbix_") + (profile.model == DeviceModel::S ? "s" : "t") + ".so";
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        self[length] = '\0';
        std::string dir(self);
        dir.erase(dir.rfind('/'));
        const std::string beside = dir + "/../lib/" + name;
        if (access(beside.c_str(), R_OK) == 0) {
            return beside;
        }
    }
    return std::string(RUMBIX_LAB_MODULE_DIR) + "/" + name;
}

std::string Seconds(long long ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", static_cast<double>(ms) / 1000.0);
    return text;
}

void PrintSummary(const DeviceModelProfile& model, const std::vector<lab::LabReport>& reports,
                  long long releasedAtMs, const lab::RunResult& run,
                  const std::vector<std::pair<long long, lab::StepOutcome>>& refused,
                  bool canUnload, const std::vector<std::string>& files) {
    std::map<std::string, size_t> kinds;
    const lab::LabReport* peakLeft = nullptr;
    const lab::LabReport* peakRight = nullptr;
    std::string afterRelease;
    for (const lab::LabReport& report : reports) {
        ++kinds[lab::ReportKindName(report.decoded.kind)];
        if (report.decoded.kind == lab::ReportKind::Strength) {
            if (peakLeft == nullptr || report.decoded.left > peakLeft->decoded.left) {
                peakLeft = &report;
            }
            if (peakRight == nullptr || report.decoded.right > peakRight->decoded.right) {
                peakRight = &report;
            }
        }
    }
    // The controller's final output: what came after the driver stopped
    // playing, i.e. after its last tick.
    size_t finalBegin = reports.size();
    while (finalBegin > 0 && reports[finalBegin - 1].timeMs >= releasedAtMs) {
        --finalBegin;
    }
    std::printf("\nsummary\n");
    std::string kindText;
    for (const auto& [kind, count] : kinds) {
        kindText += (kindText.empty() ? "" : ", ") + kind + " " + std::to_string(count);
    }
    std::printf("  reports written  %zu%s\n", reports.size(),
                kindText.empty() ? "" : (" (" + kindText + ")").c_str());
    const struct {
        const char* name;
        const lab::LabReport* report;
        bool left;
    } peaks[] = {{"left ", peakLeft, true}, {"right", peakRight, false}};
    for (const auto& peak : peaks) {
        if (peak.report == nullptr) {
            std::printf("  peak %s       none\n", peak.name);
            continue;
        }
        const BYTE value = peak.left ? peak.report->decoded.left : peak.report->decoded.right;
        std::printf("  peak %s       %.1f%% (0x%02x) first at %s\n", peak.name,
                    lab::MotorPercent(model, value), value, Seconds(peak.report->timeMs).c_str());
    }
    if (finalBegin == reports.size()) {
        std::printf("  released at      %s; no reports since\n", Seconds(releasedAtMs).c_str());
    } else {
        const lab::LabReport& last = reports.back();
        std::printf("  released at      %s; %zu reports since, the last at %s: %s (%s)\n",
                    Seconds(releasedAtMs).c_str(), reports.size() - finalBegin,
                    Seconds(last.timeMs).c_str(), lab::ReportKindName(last.decoded.kind),
                    lab::HexBytes(last.bytes).c_str());
    }
    std::printf("  module           %s\n",
                canUnload ? "can unload (DllCanUnloadNow S_OK), freed"
                          : "still in use after the release (DllCanUnloadNow S_FALSE)");
    std::printf("  steps            %zu run, %zu refused or skipped%s\n", run.stepsRun,
                run.stepsFailed, run.interrupted ? ", interrupted" : "");
    for (const auto& [at, outcome] : refused) {
        std::printf("  %s\n", lab::StepLine(at, outcome).c_str());
    }
    std::string fileText;
    for (const std::string& file : files) {
        fileText += (fileText.empty() ? "" : ", ") + file;
    }
    std::printf("  files written    %s\n", fileText.empty() ? "none" : fileText.c_str());
}

// Collects refused steps for the summary while the view shows them.
class RefusalRecorder : public lab::RunObserver {
  public:
    explicit RefusalRecorder(lab::RunObserver& view) : view_(view) {}
    void StepDone(long long atMs, const lab::Step& step, const lab::StepOutcome& outcome) override {
        if (!outcome.ok) {
            refused.emplace_back(atMs, outcome);
        }
        view_.StepDone(atMs, step, outcome);
    }
    void Frame(long long elapsedMs) override { view_.Frame(elapsedMs); }

    std::vector<std::pair<long long, lab::StepOutcome>> refused;

  private:
    lab::RunObserver& view_;
};

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "rumbix-lab: plays force-feedback effects through the rumbix driver module on a "
        "simulated controller and shows what the controller receives.\n"
        "Without --scenario it plays the built-in demo; the scenario format is described in "
        "tools/SCENARIOS.md."};
    std::string modelLetter = "s";
    std::string modulePath;
    std::string registryPath;
    std::string scenarioPath;
    std::string logPath;
    std::string plotPath;
    bool fast = false;
    app.add_option("--model", modelLetter, "Controller model: s or t")
        ->check(CLI::IsMember({"s", "t", "S", "T"}))
        ->capture_default_str();
    app.add_option("--module", modulePath,
                   "Driver module to load (default: librumbix_<model>.so of this build)");
    app.add_option("--registry", registryPath,
                   "REGEDIT4 file to fill the registry from (default: the model's install file, "
                   "built in)");
    app.add_option("--scenario", scenarioPath, "Scenario JSON file (default: the built-in demo)");
    app.add_flag("--fast", fast,
                 "Run on the stepped clock: deterministic, no waiting, no live view");
    app.add_option("--log", logPath, "Write the report log to this file");
    app.add_option("--plot", plotPath, "Plot both motors over time to this .svg or .png file");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // The parser prints the help or the complaint; a malformed option
        // exits like any other malformed input.
        return app.exit(e) == 0 ? 0 : kExitBadInput;
    }

    const DeviceModelProfile& model = *lab::FindModel(modelLetter);
    if (!plotPath.empty() && lab::PlotFormatOf(plotPath) == lab::PlotFormat::Unknown) {
        std::fprintf(stderr, "rumbix-lab: --plot: the file must end in .svg or .png: %s\n",
                     plotPath.c_str());
        return kExitBadInput;
    }

    std::string error;
    std::string scenarioText = lab::kDemoScenario;
    const std::string scenarioSource = scenarioPath.empty() ? "demo.json (built in)" : scenarioPath;
    if (!scenarioPath.empty() && !ReadFile(scenarioPath, &scenarioText, &error)) {
        std::fprintf(stderr, "rumbix-lab: %s\n", error.c_str());
        return kExitBadInput;
    }
    lab::Scenario scenario;
    if (!lab::ParseScenario(scenarioText, scenarioSource, &scenario, &error)) {
        std::fprintf(stderr, "rumbix-lab: %s\n", error.c_str());
        return kExitBadInput;
    }
    if (scenario.name.empty()) {
        scenario.name = scenarioSource;
    }

    lab::SessionOptions options;
    options.profile = &model;
    options.modulePath = modulePath.empty() ? DefaultModulePath(model) : modulePath;
    options.clockMode = fast ? simwin::ClockMode::Stepped : simwin::ClockMode::RealTime;
    std::string registryText =
        model.model == DeviceModel::S ? lab::kModelSRegistryFile : lab::kModelTRegistryFile;
    const std::string registrySource =
        registryPath.empty() ? std::string("rumbix_") +
                                   (model.model == DeviceModel::S ? "s" : "t") + ".reg (built in)"
                             : registryPath;
    if (!registryPath.empty() && !ReadFile(registryPath, &registryText, &error)) {
        std::fprintf(stderr, "rumbix-lab: %s\n", error.c_str());
        return kExitBadInput;
    }
    if (!lab::ParseRegistryFile(registryText, registrySource, &options.registry, &error)) {
        std::fprintf(stderr, "rumbix-lab: %s\n", error.c_str());
        return kExitBadInput;
    }

    std::printf("rumbix-lab: model %s (%s), scenario %s (%s, %zu steps), %s\n",
                lab::ModelLetter(model), model.productName, scenario.name.c_str(),
                Seconds(scenario.durationMs).c_str(), scenario.steps.size(),
                fast ? "fast (stepped clock)" : "real time");
    std::printf("  module %s\n  registry from %s\n\n", options.modulePath.c_str(),
                registrySource.c_str());
    std::fflush(stdout);

    lab::DriverSession session;
    if (!session.Open(options, &error)) {
        std::fprintf(stderr, "rumbix-lab: %s\n", error.c_str());
        return kExitRunFailed;
    }
    std::signal(SIGINT, OnInterrupt);

    std::unique_ptr<lab::RunObserver> view;
    if (fast) {
        view = std::make_unique<lab::LinePrinter>(stdout, session, 0);
    } else if (isatty(STDOUT_FILENO)) {
        view = std::make_unique<lab::LiveView>(
            stdout, session,
            std::string("rumbix-lab  model ") + lab::ModelLetter(model) + "  " + scenario.name,
            scenario.durationMs);
    } else {
        view = std::make_unique<lab::LinePrinter>(stdout, session, 1000);
    }
    RefusalRecorder recorder(*view);
    const lab::RunResult run = lab::RunScenario(session, scenario, fast, recorder, g_stopRequested);
    view.reset();

    const long long releasedAtMs = session.ElapsedMs();
    const lab::CloseResult closed = session.Close();
    std::signal(SIGINT, SIG_DFL);
    const std::vector<lab::LabReport> reports = session.Reports();

    std::vector<std::string> files;
    int status = run.interrupted ? kExitInterrupted : 0;
    if (!logPath.empty()) {
        if (lab::WriteReportLog(logPath, model, scenario.name, reports, &error)) {
            files.push_back(logPath);
        } else {
            std::fprintf(stderr, "rumbix-lab: %s\n", error.c_str());
            status = kExitRunFailed;
        }
    }
    if (!plotPath.empty()) {
        lab::PlotInput plot;
        plot.title = std::string("rumbix-lab: model ") + lab::ModelLetter(model) + " (" +
                     model.productName + "), scenario " + scenario.name;
        plot.profile = &model;
        plot.course = lab::MotorCourse(reports);
        plot.endMs =
            std::max(scenario.durationMs, reports.empty() ? 0 : reports.back().timeMs + 50);
        for (const lab::Step& step : scenario.steps) {
            plot.markers.push_back({step.atMs, step.effect.empty()
                                                   ? lab::DescribeStep(step)
                                                   : std::string(lab::StepActionName(step.action)) +
                                                         " " + step.effect});
        }
        if (lab::WriteMotorPlot(plotPath, plot, &error)) {
            files.push_back(plotPath);
        } else {
            std::fprintf(stderr, "rumbix-lab: %s\n", error.c_str());
            status = kExitRunFailed;
        }
    }
    PrintSummary(model, reports, releasedAtMs, run, recorder.refused, closed.canUnload, files);
    return status;
}

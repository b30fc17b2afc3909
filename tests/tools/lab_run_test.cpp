// Runs of the built rumbix-lab program, as people run it: the report bytes
// the controller receives at the tick times, the refusal of malformed
// scenarios, and driver refusals reported without ending the run.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "rumbix_lab_" + std::to_string(getpid()) + "_" + name;
}

std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = TempPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

ProgramRun RunLab(const std::string& arguments) {
    ProgramRun run;
    const std::string command = std::string("'") + RUMBIX_LAB_PROGRAM + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    size_t length;
    while ((length = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, length);
    }
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct LoggedReport {
    long long timeMs;
    std::string bytes;
};

// The report lines of a log: "<time> | <bytes> | <kind> ...".
std::vector<LoggedReport> ReadLog(const std::string& path) {
    std::vector<LoggedReport> reports;
    std::istringstream lines(ReadFile(path));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const size_t first = line.find(" | ");
        const size_t second = line.find(" | ", first + 3);
        reports.push_back(
            {std::stoll(line.substr(0, first)), line.substr(first + 3, second - first - 3)});
    }
    return reports;
}

// Half strength on one axis from 0 ms, stopped at 100 ms, scenario over at
// 150 ms.
const char kHalfStrengthPush[] = R"({"duration_ms": 150, "steps": [
  {"at_ms": 0, "action": "download", "effect": "push", "type": "constant",
   "magnitude": 5000, "directions": [1], "start_now": true},
  {"at_ms": 100, "action": "stop", "effect": "push"}
]})";

struct ModelRun {
    const char* model;
    // Every report up to the scenario's end, in order.
    std::vector<LoggedReport> expected;
    // The controller's last reports once the lab released the driver.
    std::vector<std::string> finalOutput;
};

const char kStrengthS[] = "00 51 00 7e 00 7e 00 00";
const char kFollowUpS[] = "00 fa fe 00 00 00 00 00";
const char kStopS[] = "00 f3 00 00 00 00 00 00";
const char kStrengthT[] = "00 00 00 3f 3f";
const char kStillT[] = "00 00 00 00 00";

const ModelRun kModelRuns[] = {
    // 127 × 0.5 = 63 → doubled 0x7e, each tick followed up; the first still
    // tick follows up before its stop; a released driver ends with stop,
    // follow-up.
    {"s",
     {{35, kStrengthS},
      {35, kFollowUpS},
      {70, kStrengthS},
      {70, kFollowUpS},
      {105, kFollowUpS},
      {105, kStopS},
      {140, kStopS}},
     {kStopS, kFollowUpS}},
    // 63 = 0x3f at every 25 ms tick; the stop silences the motors at once,
    // after the tick of the same millisecond; a released driver ends still.
    {"t",
     {{25, kStrengthT},
      {50, kStrengthT},
      {75, kStrengthT},
      {100, kStrengthT},
      {100, kStillT},
      {125, kStillT},
      {150, kStillT}},
     {kStillT}},
};

TEST(LabRun, FastRunLogsTheReportBytesAtEachTickForBothModels) {
    const std::string scenario = WriteFile("push.json", kHalfStrengthPush);
    for (const ModelRun& expected : kModelRuns) {
        SCOPED_TRACE(expected.model);
        const std::string log = TempPath(std::string("push_") + expected.model + ".log");
        const ProgramRun run = RunLab(std::string("--model ") + expected.model +
                                      " --fast --scenario " + scenario + " --log " + log);
        ASSERT_EQ(0, run.exitCode) << run.output;

        const std::vector<LoggedReport> reports = ReadLog(log);
        ASSERT_GT(reports.size(), expected.expected.size()) << ReadFile(log);
        for (size_t i = 0; i < expected.expected.size(); ++i) {
            EXPECT_EQ(expected.expected[i].timeMs, reports[i].timeMs) << "report " << i;
            EXPECT_EQ(expected.expected[i].bytes, reports[i].bytes) << "report " << i;
        }
        const size_t tail = reports.size() - expected.finalOutput.size();
        for (size_t i = 0; i < expected.finalOutput.size(); ++i) {
            EXPECT_EQ(expected.finalOutput[i], reports[tail + i].bytes) << "final report " << i;
        }
        // A second run of the same scenario writes the same log.
        const std::string again = TempPath(std::string("push_again_") + expected.model + ".log");
        ASSERT_EQ(0, RunLab(std::string("--model ") + expected.model + " --fast --scenario " +
                            scenario + " --log " + again)
                         .exitCode);
        EXPECT_EQ(ReadFile(log), ReadFile(again));
    }
}

TEST(LabRun, UnpluggedControllerGetsNothingUntilReplugged) {
    const std::string scenario = WriteFile("unplug.json", R"({"duration_ms": 400, "steps": [
      {"at_ms": 0, "action": "download", "effect": "hum", "type": "constant",
       "magnitude": 5000, "start_now": true},
      {"at_ms": 100, "action": "unplug"},
      {"at_ms": 250, "action": "replug"}
    ]})");
    const std::string log = TempPath("unplug.log");
    const ProgramRun run = RunLab("--model t --fast --scenario " + scenario + " --log " + log);
    ASSERT_EQ(0, run.exitCode) << run.output;
    bool resumed = false;
    for (const LoggedReport& report : ReadLog(log)) {
        EXPECT_FALSE(report.timeMs > 100 && report.timeMs < 250) << report.timeMs;
        resumed = resumed || (report.timeMs > 250 && report.bytes == kStrengthT);
    }
    EXPECT_TRUE(resumed) << "the driver reopens the controller once it is back";
}

TEST(LabRun, DriverRefusalIsReportedAsALineAndTheRunGoesOn) {
    const std::string scenario = WriteFile("refused.json", R"({"duration_ms": 100, "steps": [
      {"at_ms": 0, "action": "download", "effect": "hum", "type": "constant",
       "magnitude": 5000, "start_now": true},
      {"at_ms": 10, "action": "gain", "value": 20000},
      {"at_ms": 20, "action": "stop", "effect": "hum"}
    ]})");
    const ProgramRun run = RunLab("--model s --fast --scenario " + scenario);
    EXPECT_EQ(0, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("gain 20000: E_INVALIDARG (0x80070057)"))
        << run.output;
    EXPECT_NE(std::string::npos, run.output.find("stop hum: S_OK")) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("3 run, 1 refused")) << run.output;
}

struct MalformedCase {
    const char* what;
    std::string scenario;
    // Every one of these appears in the message.
    std::vector<const char*> message;
};

const char kDownload[] =
    R"({"at_ms": 0, "action": "download", "effect": "e", "type": "constant", "magnitude": 1})";

const std::vector<MalformedCase> kMalformedCases = {
    {"not JSON", R"({"steps": [ {"at_ms": 0,, ]})", {"not valid JSON", "line 1, column"}},
    {"no steps", R"({"duration_ms": 100})", {"\"steps\" is missing"}},
    {"unknown action",
     R"({"steps": [{"at_ms": 0, "action": "explode"}]})",
     {"steps[0]", "\"action\" must be one of", "explode"}},
    {"unknown type",
     R"({"steps": [{"at_ms": 0, "action": "download", "effect": "e", "type": "rumble"}]})",
     {"steps[0] (download \"e\")", "\"type\" must be one of", "sawtooth_up"}},
    {"missing field",
     R"({"steps": [{"at_ms": 0, "action": "download", "effect": "e", "type": "sine",
                    "magnitude": 100}]})",
     {"steps[0]", "\"period_ms\" is missing"}},
    {"wrong type",
     R"({"steps": [{"at_ms": 0, "action": "download", "effect": "e", "type": "constant",
                    "magnitude": "loud"}]})",
     {"steps[0]", "\"magnitude\" must be an integer from -10000 to 10000, got \"loud\""}},
    {"negative time",
     R"({"steps": [{"at_ms": -5, "action": "unplug"}]})",
     {"steps[0]", "\"at_ms\" must not be negative"}},
    {"out of order",
     R"({"steps": [{"at_ms": 50, "action": "unplug"}, {"at_ms": 10, "action": "replug"}]})",
     {"steps[1]", "\"at_ms\"", "earlier than the step before it"}},
    {"effect never downloaded",
     R"({"steps": [{"at_ms": 0, "action": "start", "effect": "x"}]})",
     {"steps[0] (start)", "\"effect\" names \"x\", which is not downloaded"}},
    {"misspelt field",
     R"({"steps": [{"at_ms": 0, "action": "download", "effect": "e", "type": "constant",
                    "magnitude": 1, "gian": 5}]})",
     {"steps[0]", "\"gian\" is not a field of a constant effect's download step"}},
    {"field of another type",
     R"({"steps": [{"at_ms": 0, "action": "download", "effect": "e", "type": "constant",
                    "magnitude": 1, "period_ms": 5}]})",
     {"\"period_ms\" is not a field of a constant"}},
    {"bad envelope",
     (std::string(R"({"steps": [)") + kDownload +
      R"(, {"at_ms": 1, "action": "update", "effect": "e", "envelope": {"attack": 1}}]})"),
     {"steps[1] (update \"e\") envelope", "\"attack\" is not a field of an envelope"}},
    {"empty update",
     std::string(R"({"steps": [)") + kDownload +
         R"(, {"at_ms": 1, "action": "update", "effect": "e"}]})",
     {"steps[1] (update \"e\")", "an update must change"}},
    // Nested far deeper than any message could write out.
    {"deeply nested value",
     std::string(R"({"steps": [{"at_ms": 0, "action": "download", "effect": "e",
                    "type": "constant", "magnitude": )") +
         std::string(100000, '[') + std::string(100000, ']') + "}]}",
     {"steps[0]", "\"magnitude\" must be an integer", "got a list"}},
    {"step after the end",
     R"({"duration_ms": 100, "steps": [{"at_ms": 200, "action": "unplug"}]})",
     {"steps[0]", "after the end of the scenario"}},
    {"destroyed effect used",
     (std::string(R"({"steps": [)") + kDownload +
      R"(, {"at_ms": 1, "action": "destroy", "effect": "e"},
           {"at_ms": 2, "action": "start", "effect": "e"}]})"),
     {"steps[2] (start)", "not downloaded at this point"}},
};

TEST(LabRun, MalformedScenarioNamesTheStepAndFieldAndFails) {
    int n = 0;
    for (const MalformedCase& malformed : kMalformedCases) {
        SCOPED_TRACE(malformed.what);
        const std::string scenario =
            WriteFile("malformed_" + std::to_string(n++) + ".json", malformed.scenario);
        const ProgramRun run = RunLab("--fast --scenario " + scenario);
        EXPECT_EQ(2, run.exitCode) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(scenario)) << run.output;
        for (const char* part : malformed.message) {
            EXPECT_NE(std::string::npos, run.output.find(part)) << run.output;
        }
    }
}

TEST(LabRun, MalformedOptionsExitWithTheBadInputStatus) {
    struct Case {
        const char* arguments;
        int exitCode;
        const char* message;
    } cases[] = {
        {"--model x", 2, "--model"},     {"--no-such-option", 2, "no-such-option"},
        {"--scenario", 2, "--scenario"}, {"--fast extra", 2, "extra"},
        {"--help", 0, "--scenario"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ProgramRun run = RunLab(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(c.message)) << run.output;
    }
}

}  // namespace

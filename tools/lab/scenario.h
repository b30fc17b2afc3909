// Scenarios: timed steps of what a game does with the force-feedback driver,
// read from the JSON format that tools/SCENARIOS.md describes.
//
// The reader checks everything it can before anything runs: a scenario that
// reads is one whose every step names a known action, carries the fields the
// action needs with values of the right kind, refers only to effects that
// exist at that point, and happens in time order within the scenario. The
// driver may still refuse a step; the run reports that with the result the
// driver gave.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace lab {

enum class StepAction {
    Download,
    Update,
    Start,
    Stop,
    Destroy,
    Gain,
    Amplify,
    Rumble,
    Command,
    Unplug,
    Replug,
};

struct EnvelopeSettings {
    DWORD attackLevel = 0;
    DWORD attackTimeUs = 0;
    DWORD fadeLevel = 0;
    DWORD fadeTimeUs = 0;
};

// Everything the driver is told about an effect, in the driver's units
// (times in microseconds, levels in 0..10000). An update step carries the
// effect's parameters after the update, as DirectInput keeps them.
struct EffectSettings {
    DWORD typeIndex = 0;
    DWORD durationUs = INFINITE;
    DWORD gain = 10000;
    bool polar = false;
    std::vector<LONG> directions = {1};
    std::optional<EnvelopeSettings> envelope;
    // Constant force; periodic effects' magnitude is its own field below.
    LONG magnitude = 0;
    // Periodic effects.
    DWORD periodicMagnitude = 0;
    DWORD periodUs = 0;
    DWORD phase = 0;
    LONG offset = 0;
    // Ramp force.
    LONG rampStart = 0;
    LONG rampEnd = 0;
};

struct Step {
    // Position in the file's "steps" list, from 0.
    size_t index = 0;
    long long atMs = 0;
    StepAction action = StepAction::Download;
    std::string effect;
    EffectSettings settings;
    // Download and update: the DIEP_* flags handed to the driver.
    DWORD flags = 0;
    // Start.
    DWORD iterations = 1;
    bool solo = false;
    // Gain, amplify, rumble: the value; command: the DISFFC_* command.
    DWORD value = 0;
};

struct Scenario {
    std::string name;
    long long durationMs = 0;
    std::vector<Step> steps;
};

// Reads a scenario from JSON text. On failure returns false with a message
// naming `source`, the step and the field.
bool ParseScenario(const std::string& text, const std::string& source, Scenario* scenario,
                   std::string* error);

// The scenario's effect type names, by effect type index.
const char* EffectTypeName(DWORD typeIndex);
const char* StepActionName(StepAction action);

// What a step does, in a few words: "download engine (constant)".
std::string DescribeStep(const Step& step);

}  // namespace lab

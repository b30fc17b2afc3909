#include "tools/lab/scenario.h"

#include <dinput.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

namespace lab {

namespace {

using nlohmann::json;

constexpr long long kMaxScenarioMs = 3600000;
// Milliseconds that still fit the driver's microsecond fields below INFINITE.
constexpr long long kMaxEffectMs = 4294966;
constexpr long long kLevelMax = 10000;
constexpr long long kPhaseMax = 35999;

struct TypeName {
    const char* name;
    DWORD typeIndex;
};
// The order of the driver's effect registrations.
constexpr TypeName kTypeNames[] = {
    {"constant", 0}, {"ramp", 1},        {"square", 2},        {"sine", 3},
    {"triangle", 4}, {"sawtooth_up", 5}, {"sawtooth_down", 6}, {"spring", 7},
    {"damper", 8},   {"inertia", 9},     {"friction", 10},     {"custom", 11},
};

enum class Params { Constant, Ramp, Periodic, None };

Params ParamsOf(DWORD typeIndex) {
    if (typeIndex == 0) {
        return Params::Constant;
    }
    if (typeIndex == 1) {
        return Params::Ramp;
    }
    if (typeIndex >= 2 && typeIndex <= 6) {
        return Params::Periodic;
    }
    return Params::None;
}

struct ActionName {
    const char* name;
    StepAction action;
};
constexpr ActionName kActionNames[] = {
    {"download", StepAction::Download}, {"update", StepAction::Update},
    {"start", StepAction::Start},       {"stop", StepAction::Stop},
    {"destroy", StepAction::Destroy},   {"gain", StepAction::Gain},
    {"amplify", StepAction::Amplify},   {"rumble", StepAction::Rumble},
    {"command", StepAction::Command},   {"unplug", StepAction::Unplug},
    {"replug", StepAction::Replug},
};

struct CommandName {
    const char* name;
    DWORD command;
};
constexpr CommandName kCommandNames[] = {
    {"reset", DISFFC_RESET},
    {"stop_all", DISFFC_STOPALL},
    {"pause", DISFFC_PAUSE},
    {"continue", DISFFC_CONTINUE},
    {"actuators_on", DISFFC_SETACTUATORSON},
    {"actuators_off", DISFFC_SETACTUATORSOFF},
};

// Every parameter a download sets; an update sets those it changes.
constexpr DWORD kAllParameters = DIEP_DURATION | DIEP_SAMPLEPERIOD | DIEP_GAIN |
                                 DIEP_TRIGGERBUTTON | DIEP_TRIGGERREPEATINTERVAL | DIEP_AXES |
                                 DIEP_DIRECTION | DIEP_ENVELOPE | DIEP_TYPESPECIFICPARAMS;

struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "a sine", "an unplug".
std::string WithArticle(const std::string& word) {
    const bool vowel = !word.empty() && std::string("aeiou").find(word[0]) != std::string::npos;
    return (vowel ? "an " : "a ") + word;
}

// A value as a message shows it. Lists and objects are named, not written
// out: they may nest deeper than writing them could follow.
std::string Shown(const json& value) {
    if (value.is_array()) {
        return "a list";
    }
    if (value.is_object()) {
        return "an object";
    }
    std::string text = value.dump();
    return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

// Reads the fields of one JSON object, remembering which it used so that a
// misspelt field is reported instead of silently ignored.
class FieldReader {
  public:
    FieldReader(const json& object, std::string context)
        : object_(object), context_(std::move(context)) {}

    void SetContext(std::string context) { context_ = std::move(context); }
    const std::string& context() const { return context_; }

    bool Has(const char* field) const { return object_.contains(field); }

    [[noreturn]] void Fail(const std::string& field, const std::string& message) const {
        throw ScenarioError(context_ + ": \"" + field + "\" " + message);
    }

    const json& Required(const char* field) {
        if (!Has(field)) {
            Fail(field, "is missing");
        }
        used_.insert(field);
        return object_.at(field);
    }

    long long Integer(const char* field, long long min, long long max) {
        const json& value = Required(field);
        if (!value.is_number_integer()) {
            Fail(field, RangeText(min, max) + ", got " + Shown(value));
        }
        // Unsigned numbers beyond the signed range are out of every range here.
        if (value.is_number_unsigned() &&
            value.get<unsigned long long>() > static_cast<unsigned long long>(max)) {
            Fail(field, RangeText(min, max) + ", got " + Shown(value));
        }
        const long long number = value.get<long long>();
        if (number < min || number > max) {
            Fail(field, RangeText(min, max) + ", got " + Shown(value));
        }
        return number;
    }

    // A time in milliseconds, or "infinite".
    DWORD DurationUs(const char* field) {
        const json& value = Required(field);
        if (value.is_string() && value.get<std::string>() == "infinite") {
            return INFINITE;
        }
        if (!value.is_number_integer()) {
            Fail(field, "must be a time in milliseconds from 0 to " + std::to_string(kMaxEffectMs) +
                            " or \"infinite\", got " + Shown(value));
        }
        return static_cast<DWORD>(Integer(field, 0, kMaxEffectMs) * 1000);
    }

    // A count from 1, or "infinite".
    DWORD CountOrInfinite(const char* field) {
        const json& value = Required(field);
        if (value.is_string() && value.get<std::string>() == "infinite") {
            return INFINITE;
        }
        const long long max = static_cast<long long>(INFINITE) - 1;
        if (!value.is_number_integer()) {
            Fail(field, "must be a count from 1 to " + std::to_string(max) +
                            " or \"infinite\", got " + Shown(value));
        }
        return static_cast<DWORD>(Integer(field, 1, max));
    }

    bool Boolean(const char* field) {
        const json& value = Required(field);
        if (!value.is_boolean()) {
            Fail(field, "must be true or false, got " + Shown(value));
        }
        return value.get<bool>();
    }

    std::string String(const char* field) {
        const json& value = Required(field);
        if (!value.is_string() || value.get<std::string>().empty()) {
            Fail(field, "must be a non-empty string, got " + Shown(value));
        }
        return value.get<std::string>();
    }

    // A name from `names`, each entry having a `name` member.
    template <typename Entry, size_t N>
    const Entry& Choice(const char* field, const Entry (&names)[N]) {
        const json& value = Required(field);
        std::string list;
        for (const Entry& entry : names) {
            if (value.is_string() && value.get<std::string>() == entry.name) {
                return entry;
            }
            list += list.empty() ? "" : ", ";
            list += entry.name;
        }
        Fail(field, "must be one of " + list + "; got " + Shown(value));
    }

    // Fails on the first field no read asked for; `owner` says whose
    // fields were expected ("a start step").
    void CheckAllUsed(const std::string& owner) const {
        for (auto it = object_.begin(); it != object_.end(); ++it) {
            if (used_.count(it.key()) == 0) {
                Fail(it.key(), "is not a field of " + owner);
            }
        }
    }

  private:
    static std::string RangeText(long long min, long long max) {
        return "must be an integer from " + std::to_string(min) + " to " + std::to_string(max);
    }

    const json& object_;
    std::string context_;
    std::set<std::string> used_;
};

class ScenarioReader {
  public:
    explicit ScenarioReader(std::string source) : source_(std::move(source)) {}

    Scenario Read(const std::string& text) {
        json document;
        try {
            document = json::parse(text);
        } catch (const json::parse_error& e) {
            // The parser's message says where: "at line 3, column 7".
            throw ScenarioError(source_ + ": not valid JSON: " + StripPrefix(e.what()));
        }
        if (!document.is_object()) {
            throw ScenarioError(source_ + ": the scenario must be a JSON object with \"steps\"");
        }
        FieldReader top(document, source_);
        Scenario scenario;
        if (top.Has("name")) {
            scenario.name = top.String("name");
        }
        if (top.Has("description")) {
            top.String("description");
        }
        const json& steps = top.Required("steps");
        if (!steps.is_array()) {
            top.Fail("steps", "must be a list of steps, got " + Shown(steps));
        }
        long long previous = 0;
        for (size_t i = 0; i < steps.size(); ++i) {
            Step step = ReadStep(steps[i], i, previous);
            previous = step.atMs;
            scenario.steps.push_back(std::move(step));
        }
        if (top.Has("duration_ms")) {
            scenario.durationMs = top.Integer("duration_ms", 1, kMaxScenarioMs);
            if (!scenario.steps.empty() && scenario.steps.back().atMs > scenario.durationMs) {
                throw ScenarioError(StepContext(scenario.steps.back().index) + ": \"at_ms\" " +
                                    std::to_string(scenario.steps.back().atMs) +
                                    " is after the end of the scenario (\"duration_ms\" " +
                                    std::to_string(scenario.durationMs) + ")");
            }
        } else {
            scenario.durationMs = previous + 1000;
        }
        top.CheckAllUsed("a scenario");
        return scenario;
    }

  private:
    static std::string StripPrefix(const std::string& message) {
        // "[json.exception.parse_error.101] parse error at line 1, ..." loses
        // its bracketed identifier.
        const size_t end = message.find("] ");
        return end == std::string::npos ? message : message.substr(end + 2);
    }

    std::string StepContext(size_t index) const {
        return source_ + ": steps[" + std::to_string(index) + "]";
    }

    Step ReadStep(const json& object, size_t index, long long previousMs) {
        if (!object.is_object()) {
            throw ScenarioError(StepContext(index) + ": a step must be a JSON object, got " +
                                Shown(object));
        }
        FieldReader fields(object, StepContext(index));
        Step step;
        step.index = index;
        stepIndex_ = index;
        const json& at = fields.Required("at_ms");
        if (at.is_number_integer() && !at.is_number_unsigned() && at.get<long long>() < 0) {
            fields.Fail("at_ms", "must not be negative, got " + Shown(at));
        }
        step.atMs = fields.Integer("at_ms", 0, kMaxScenarioMs);
        if (step.atMs < previousMs) {
            fields.Fail("at_ms", "is " + std::to_string(step.atMs) +
                                     ", earlier than the step before it (" +
                                     std::to_string(previousMs) + "); steps go in time order");
        }
        const ActionName& action = fields.Choice("action", kActionNames);
        step.action = action.action;
        actionName_ = action.name;
        fields.SetContext(StepContext(index) + " (" + action.name + ")");
        switch (step.action) {
            case StepAction::Download:
                ReadDownload(fields, step);
                break;
            case StepAction::Update:
                ReadUpdate(fields, step);
                break;
            case StepAction::Start:
                step.effect = ExistingEffect(fields);
                if (fields.Has("iterations")) {
                    step.iterations = fields.CountOrInfinite("iterations");
                }
                if (fields.Has("solo")) {
                    step.solo = fields.Boolean("solo");
                }
                break;
            case StepAction::Stop:
                step.effect = ExistingEffect(fields);
                break;
            case StepAction::Destroy:
                step.effect = ExistingEffect(fields);
                live_.erase(step.effect);
                break;
            case StepAction::Gain:
            case StepAction::Amplify:
                step.value = static_cast<DWORD>(fields.Integer("value", 0, 0xFFFFFFFFLL));
                break;
            case StepAction::Rumble: {
                const json& value = fields.Required("value");
                step.value = value.is_boolean()
                                 ? (value.get<bool>() ? 1 : 0)
                                 : static_cast<DWORD>(fields.Integer("value", 0, 0xFFFFFFFFLL));
                break;
            }
            case StepAction::Command:
                step.value = fields.Choice("command", kCommandNames).command;
                if (step.value == DISFFC_RESET) {
                    // The driver destroys every effect of the device.
                    live_.clear();
                }
                break;
            case StepAction::Unplug:
            case StepAction::Replug:
                break;
        }
        fields.CheckAllUsed(step.action == StepAction::Download || step.action == StepAction::Update
                                ? WithArticle(EffectTypeName(step.settings.typeIndex)) +
                                      " effect's " + action.name + " step"
                                : WithArticle(action.name) + " step");
        return step;
    }

    // From here on the step's messages name its effect too.
    void NameEffect(FieldReader& fields, const std::string& name) const {
        fields.SetContext(StepContext(stepIndex_) + " (" + actionName_ + " \"" + name + "\")");
    }

    std::string ExistingEffect(FieldReader& fields) {
        std::string name = fields.String("effect");
        if (live_.count(name) == 0) {
            fields.Fail("effect", "names \"" + name +
                                      "\", which is not downloaded at this point of the scenario");
        }
        NameEffect(fields, name);
        return name;
    }

    void ReadDownload(FieldReader& fields, Step& step) {
        step.effect = fields.String("effect");
        if (live_.count(step.effect) != 0) {
            fields.Fail("effect", "names \"" + step.effect +
                                      "\", which is already downloaded; destroy it first or "
                                      "use \"update\"");
        }
        NameEffect(fields, step.effect);
        step.settings.typeIndex = fields.Choice("type", kTypeNames).typeIndex;
        switch (ParamsOf(step.settings.typeIndex)) {
            case Params::Constant:
                fields.Required("magnitude");
                break;
            case Params::Ramp:
                fields.Required("start");
                fields.Required("end");
                break;
            case Params::Periodic:
                fields.Required("magnitude");
                fields.Required("period_ms");
                break;
            case Params::None:
                break;
        }
        step.flags = ReadParameters(fields, step.settings, /*update=*/false) | kAllParameters;
        live_[step.effect] = step.settings;
    }

    void ReadUpdate(FieldReader& fields, Step& step) {
        step.effect = ExistingEffect(fields);
        step.settings = live_[step.effect];
        if (fields.Has("type")) {
            fields.Fail("type",
                        "cannot be changed by an update; destroy the effect and download "
                        "it again");
        }
        step.flags = ReadParameters(fields, step.settings, /*update=*/true);
        if (step.flags == 0) {
            throw ScenarioError(fields.context() +
                                ": an update must change at least one parameter or start the "
                                "effect");
        }
        live_[step.effect] = step.settings;
    }

    // Reads the effect parameters present into `settings`; the DIEP_* flags of
    // what was present.
    DWORD ReadParameters(FieldReader& fields, EffectSettings& settings, bool update) {
        DWORD flags = 0;
        if (fields.Has("duration_ms")) {
            settings.durationUs = fields.DurationUs("duration_ms");
            flags |= DIEP_DURATION;
        }
        if (fields.Has("gain")) {
            settings.gain = static_cast<DWORD>(fields.Integer("gain", 0, kLevelMax));
            flags |= DIEP_GAIN;
        }
        if (fields.Has("coordinates")) {
            const json& value = fields.Required("coordinates");
            if (value == "cartesian" || value == "polar") {
                settings.polar = value == "polar";
            } else {
                fields.Fail("coordinates",
                            "must be \"cartesian\" or \"polar\", got " + Shown(value));
            }
            flags |= DIEP_DIRECTION;
        }
        if (fields.Has("directions")) {
            const size_t before = settings.directions.size();
            settings.directions = ReadDirections(fields);
            flags |= DIEP_DIRECTION;
            // DirectInput hands over a new axis count together with its axes.
            if (update && settings.directions.size() != before) {
                flags |= DIEP_AXES;
            }
        }
        if (fields.Has("envelope")) {
            const json& value = fields.Required("envelope");
            if (value.is_null()) {
                settings.envelope.reset();
            } else {
                settings.envelope = ReadEnvelope(fields, value);
            }
            flags |= DIEP_ENVELOPE;
        }
        if (ReadTypeSpecific(fields, settings)) {
            flags |= DIEP_TYPESPECIFICPARAMS;
        }
        if (fields.Has("start_now") && fields.Boolean("start_now")) {
            flags |= DIEP_START;
        }
        return flags;
    }

    std::vector<LONG> ReadDirections(FieldReader& fields) {
        const json& value = fields.Required("directions");
        const std::string wanted =
            "must be a list of 1 to 32 integers (one direction per axis), got " + Shown(value);
        if (!value.is_array() || value.empty() || value.size() > 32) {
            fields.Fail("directions", wanted);
        }
        std::vector<LONG> directions;
        for (const json& entry : value) {
            if (!entry.is_number_integer() ||
                (entry.is_number_unsigned() && entry.get<unsigned long long>() > 0x7FFFFFFFULL) ||
                entry.get<long long>() < -0x80000000LL || entry.get<long long>() > 0x7FFFFFFFLL) {
                fields.Fail("directions", wanted);
            }
            directions.push_back(static_cast<LONG>(entry.get<long long>()));
        }
        return directions;
    }

    EnvelopeSettings ReadEnvelope(FieldReader& fields, const json& value) {
        if (!value.is_object()) {
            fields.Fail("envelope",
                        "must be an object with attack_level, attack_ms, fade_level and fade_ms, "
                        "or null, got " +
                            Shown(value));
        }
        FieldReader envelope(value, fields.context() + " envelope");
        EnvelopeSettings settings;
        auto optional = [&](const char* field, long long max, long long scale) -> DWORD {
            return envelope.Has(field) ? static_cast<DWORD>(envelope.Integer(field, 0, max) * scale)
                                       : 0;
        };
        settings.attackLevel = optional("attack_level", kLevelMax, 1);
        settings.attackTimeUs = optional("attack_ms", kMaxEffectMs, 1000);
        settings.fadeLevel = optional("fade_level", kLevelMax, 1);
        settings.fadeTimeUs = optional("fade_ms", kMaxEffectMs, 1000);
        envelope.CheckAllUsed("an envelope");
        return settings;
    }

    // Reads the fields of the effect's own type; true when any was present.
    // Fields of other types are left unread, so they are reported as not
    // belonging here.
    bool ReadTypeSpecific(FieldReader& fields, EffectSettings& settings) {
        bool present = false;
        auto field = [&](const char* name, long long min, long long max, auto apply) {
            if (fields.Has(name)) {
                apply(fields.Integer(name, min, max));
                present = true;
            }
        };
        switch (ParamsOf(settings.typeIndex)) {
            case Params::Constant:
                field("magnitude", -kLevelMax, kLevelMax,
                      [&](long long v) { settings.magnitude = static_cast<LONG>(v); });
                break;
            case Params::Ramp:
                field("start", -kLevelMax, kLevelMax,
                      [&](long long v) { settings.rampStart = static_cast<LONG>(v); });
                field("end", -kLevelMax, kLevelMax,
                      [&](long long v) { settings.rampEnd = static_cast<LONG>(v); });
                break;
            case Params::Periodic:
                field("magnitude", 0, kLevelMax,
                      [&](long long v) { settings.periodicMagnitude = static_cast<DWORD>(v); });
                field("period_ms", 0, kMaxEffectMs,
                      [&](long long v) { settings.periodUs = static_cast<DWORD>(v * 1000); });
                field("phase", 0, kPhaseMax,
                      [&](long long v) { settings.phase = static_cast<DWORD>(v); });
                field("offset", -kLevelMax, kLevelMax,
                      [&](long long v) { settings.offset = static_cast<LONG>(v); });
                break;
            case Params::None:
                break;
        }
        return present;
    }

    std::string source_;
    size_t stepIndex_ = 0;
    std::string actionName_;
    // The effects downloaded and not destroyed at the step being read, with
    // their parameters.
    std::map<std::string, EffectSettings> live_;
};

}  // namespace

bool ParseScenario(const std::string& text, const std::string& source, Scenario* scenario,
                   std::string* error) {
    try {
        *scenario = ScenarioReader(source).Read(text);
        return true;
    } catch (const ScenarioError& e) {
        *error = e.what();
        return false;
    }
}

const char* EffectTypeName(DWORD typeIndex) {
    for (const TypeName& type : kTypeNames) {
        if (type.typeIndex == typeIndex) {
            return type.name;
        }
    }
    return "unknown";
}

const char* StepActionName(StepAction action) {
    for (const ActionName& name : kActionNames) {
        if (name.action == action) {
            return name.name;
        }
    }
    return "unknown";
}

std::string DescribeStep(const Step& step) {
    std::string text = StepActionName(step.action);
    switch (step.action) {
        case StepAction::Download:
            return text + " " + step.effect + " (" + EffectTypeName(step.settings.typeIndex) + ")";
        case StepAction::Update:
        case StepAction::Stop:
        case StepAction::Destroy:
            return text + " " + step.effect;
        case StepAction::Start:
            text += " " + step.effect;
            if (step.iterations != 1) {
                text += step.iterations == INFINITE
                            ? " (repeating)"
                            : " (" + std::to_string(step.iterations) + " times)";
            }
            return step.solo ? text + " solo" : text;
        case StepAction::Gain:
        case StepAction::Amplify:
        case StepAction::Rumble:
            return text + " " + std::to_string(step.value);
        case StepAction::Command:
            for (const CommandName& command : kCommandNames) {
                if (command.command == step.value) {
                    return text + " " + command.name;
                }
            }
            return text;
        case StepAction::Unplug:
        case StepAction::Replug:
            return text;
    }
    return text;
}

}  // namespace lab

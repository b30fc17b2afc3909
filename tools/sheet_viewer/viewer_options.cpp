#include "tools/sheet_viewer/viewer_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace sheet_viewer {

namespace {

constexpr unsigned kPageCount = 4;
// SetID takes a 16-bit joystick id.
constexpr unsigned long kLargestJoystickId = 0xFFFF;

// A whole decimal number within [lowest, highest]; nothing else.
bool ParseNumber(const char* text, unsigned long lowest, unsigned long highest, unsigned& value) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long number = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < lowest || number > highest) {
        return false;
    }
    value = static_cast<unsigned>(number);
    return true;
}

}  // namespace

const char* ViewerUsage() {
    return "usage: padscope-view [--model s|t] [--id N] [--tab 1..4] [--screenshots DIR]\n"
           "                     [--controller [--reading LIST]]\n"
           "  --model s|t        the controller model whose property sheet to show (default s)\n"
           "  --id N             joystick id given to the sheet (0..65535, default 0;\n"
           "                     0..15 with --controller)\n"
           "  --tab N            the tab shown first (1..4, default 1)\n"
           "  --screenshots DIR  show each tab in turn, save it as\n"
           "                     DIR/<model>-<n>-<tab>.png and leave; with --controller\n"
           "                     also DIR/<model>-controller.png with the motors running\n"
           "  --controller       plug a stand-in controller of the model in as joystick N\n"
           "                     and open its window beside the sheet\n"
           "  --reading LIST     how the controller is held at first, e.g.\n"
           "                     x=200,y=60,z=30,rz=220,buttons=1+4+9,hat=4500\n"
           "                     (axes 0..255, centre 128; hat 0..35999 or centred;\n"
           "                     buttons 1..12 joined by '+', or none)\n";
}

bool ParseViewerOptions(int argc, const char* const* argv, ViewerOptions& options,
                        std::string& error) {
    options = ViewerOptions{};
    bool hasReading = false;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            options.help = true;
            continue;
        }
        if (std::strcmp(option, "--controller") == 0) {
            options.controller = true;
            continue;
        }
        const bool takesValue =
            std::strcmp(option, "--model") == 0 || std::strcmp(option, "--id") == 0 ||
            std::strcmp(option, "--tab") == 0 || std::strcmp(option, "--screenshots") == 0 ||
            std::strcmp(option, "--reading") == 0;
        if (!takesValue) {
            error = std::string("unknown option ") + option;
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string(option) + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (std::strcmp(option, "--model") == 0) {
            if (std::strcmp(value, "s") != 0 && std::strcmp(value, "t") != 0 &&
                std::strcmp(value, "S") != 0 && std::strcmp(value, "T") != 0) {
                error = std::string("--model must be s or t, not ") + value;
                return false;
            }
            options.model = static_cast<char>(value[0] | 0x20);
        } else if (std::strcmp(option, "--id") == 0) {
            if (!ParseNumber(value, 0, kLargestJoystickId, options.joystickId)) {
                error = std::string("--id must be a number from 0 to 65535, not ") + value;
                return false;
            }
        } else if (std::strcmp(option, "--tab") == 0) {
            if (!ParseNumber(value, 1, kPageCount, options.firstTab)) {
                error = std::string("--tab must be a number from 1 to 4, not ") + value;
                return false;
            }
        } else if (std::strcmp(option, "--reading") == 0) {
            std::string readingError;
            if (!ParseControllerReading(value, options.reading, readingError)) {
                error = "--reading: " + readingError;
                return false;
            }
            hasReading = true;
        } else {
            if (*value == '\0') {
                error = "--screenshots needs a directory";
                return false;
            }
            options.screenshotsDir = value;
        }
    }
    if (hasReading && !options.controller) {
        error = "--reading needs --controller";
        return false;
    }
    if (options.controller && options.joystickId >= kControllerSlots) {
        error = "--id must be a number from 0 to 15 with --controller, not " +
                std::to_string(options.joystickId);
        return false;
    }
    return true;
}

}  // namespace sheet_viewer

// The viewer's command line: which model's sheet to show, for which joystick,
// on which tab, whether a stand-in controller is plugged in for it (and how
// it is held), and whether to capture every tab and leave.
#pragma once

#include <string>

#include "tools/sheet_viewer/controller_reading.h"

namespace sheet_viewer {

// Joystick ids a stand-in controller can take: one per slot of the
// controller module (checked against it where the module's channel is known).
inline constexpr unsigned kControllerSlots = 16;

struct ViewerOptions {
    std::string model = "s";     // "s" or "t"
    unsigned joystickId = 0;     // given to the sheet's SetID
    unsigned firstTab = 1;       // 1-based, as the user counts tabs
    std::string screenshotsDir;  // empty: run until the user closes the sheet
    bool controller = false;     // plug a stand-in controller into the joystick's slot
    ControllerReading reading;   // how that controller is held at first
    bool help = false;
};

// Parses argv[1..argc-1]. False with a message in `error` for anything it
// does not understand, a missing value or a value out of range, and for a
// reading or a joystick id beyond the stand-in's slots together with
// --controller, or a reading without it.
bool ParseViewerOptions(int argc, const char* const* argv, ViewerOptions& options,
                        std::string& error);

const char* ViewerUsage();

}  // namespace sheet_viewer

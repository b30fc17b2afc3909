// The viewer's command line: which model's sheet to show, for which joystick,
// on which tab, and whether to capture every tab and leave.
#pragma once

#include <string>

namespace sheet_viewer {

struct ViewerOptions {
    std::string model = "s";     // "s" or "t"
    unsigned joystickId = 0;     // given to the sheet's SetID
    unsigned firstTab = 1;       // 1-based, as the user counts tabs
    std::string screenshotsDir;  // empty: run until the user closes the sheet
    bool help = false;
};

// Parses argv[1..argc-1]. False with a message in `error` for anything it
// does not understand, a missing value or a value out of range.
bool ParseViewerOptions(int argc, const char* const* argv, ViewerOptions& options,
                        std::string& error);

const char* ViewerUsage();

}  // namespace sheet_viewer

// The file name of a tab's picture: "<model>-<position>-<tab>.png", the tab's
// text in lower case with every run of other characters made one hyphen,
// e.g. "s-1-function-test.png".
#pragma once

#include <string>

namespace sheet_viewer {

// `position` counts from 1. A tab text without letters or digits gives
// "page" in its place, so that every picture still has a name.
std::string ScreenshotName(const std::string& model, unsigned position,
                           const std::wstring& tabText);

}  // namespace sheet_viewer

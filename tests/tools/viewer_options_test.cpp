// The sheet viewer's command line and the names of its pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/sheet_viewer/screenshot_name.h"
#include "tools/sheet_viewer/viewer_options.h"

namespace {

using sheet_viewer::ViewerOptions;

bool Parse(std::vector<const char*> arguments, ViewerOptions& options, std::string& error) {
    arguments.insert(arguments.begin(), "padscope-view");
    return sheet_viewer::ParseViewerOptions(static_cast<int>(arguments.size()), arguments.data(),
                                            options, error);
}

TEST(ViewerOptions, AcceptedCommandLines) {
    const struct {
        std::vector<const char*> arguments;
        const char* model;
        unsigned id;
        unsigned tab;
        const char* screenshots;
    } kCases[] = {
        {{}, "s", 0, 1, ""},
        {{"--model", "T"}, "t", 0, 1, ""},
        {{"--model", "s", "--id", "65535", "--tab", "4"}, "s", 65535, 4, ""},
        {{"--tab", "1", "--screenshots", "out", "--model", "t"}, "t", 0, 1, "out"},
    };
    for (const auto& accepted : kCases) {
        ViewerOptions options;
        std::string error;
        ASSERT_TRUE(Parse(accepted.arguments, options, error)) << error;
        EXPECT_EQ(accepted.model, options.model);
        EXPECT_EQ(accepted.id, options.joystickId);
        EXPECT_EQ(accepted.tab, options.firstTab);
        EXPECT_EQ(accepted.screenshots, options.screenshotsDir);
        EXPECT_FALSE(options.help);
    }
}

TEST(ViewerOptions, RefusedCommandLinesSayWhy) {
    const struct {
        std::vector<const char*> arguments;
        const char* message;
    } kCases[] = {
        {{"--model", "x"}, "--model must be s or t"},
        {{"--model", "st"}, "--model must be s or t"},
        {{"--tab", "0"}, "--tab must be a number from 1 to 4"},
        {{"--tab", "5"}, "--tab must be a number from 1 to 4"},
        {{"--tab", "2x"}, "--tab must be a number from 1 to 4"},
        {{"--id", "-1"}, "--id must be a number from 0 to 65535"},
        {{"--id", "65536"}, "--id must be a number from 0 to 65535"},
        {{"--id", "99999999999999999999"}, "--id must be a number from 0 to 65535"},
        {{"--id", ""}, "--id must be a number from 0 to 65535"},
        {{"--screenshots", ""}, "--screenshots needs a directory"},
        {{"--model"}, "--model needs a value"},
        {{"--verbose"}, "unknown option --verbose"},
    };
    for (const auto& refused : kCases) {
        ViewerOptions options;
        std::string error;
        EXPECT_FALSE(Parse(refused.arguments, options, error)) << refused.message;
        EXPECT_EQ(0u, error.find(refused.message)) << error;
    }
}

TEST(ScreenshotName, TabTextBecomesALowerCaseHyphenatedName) {
    const struct {
        const char* model;
        unsigned position;
        const wchar_t* tab;
        const char* name;
    } kCases[] = {
        {"s", 1, L"Function Test", "s-1-function-test.png"},
        {"t", 2, L"Calibration Function", "t-2-calibration-function.png"},
        {"s", 4, L"About", "s-4-about.png"},
        {"t", 3, L"  Vibration -- Test! ", "t-3-vibration-test.png"},
        {"s", 2, L"", "s-2-page.png"},
        {"s", 2, L"\u00c4\u00d6 / ..", "s-2-page.png"},
    };
    for (const auto& named : kCases) {
        EXPECT_EQ(named.name, sheet_viewer::ScreenshotName(named.model, named.position, named.tab));
    }
}

}  // namespace

// The sheet viewer's command line, the controller reading it takes, and the
// names of its pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/sheet_viewer/controller_reading.h"
#include "tools/sheet_viewer/screenshot_name.h"
#include "tools/sheet_viewer/viewer_options.h"

namespace {

using sheet_viewer::ControllerReading;
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
        EXPECT_FALSE(options.controller);
    }
}

TEST(ViewerOptions, ControllerWithAReading) {
    ViewerOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--reading", "x=200,y=60,z=30,rz=220,buttons=1+4+9,hat=4500", "--id", "15",
                       "--controller"},
                      options, error))
        << error;
    EXPECT_TRUE(options.controller);
    EXPECT_EQ(15u, options.joystickId);
    EXPECT_EQ(200, options.reading.x);
    EXPECT_EQ(60, options.reading.y);
    EXPECT_EQ(30, options.reading.z);
    EXPECT_EQ(220, options.reading.rz);
    EXPECT_EQ(4500u, options.reading.hat);
    EXPECT_EQ((1u << 0) | (1u << 3) | (1u << 8), options.reading.buttons);

    // Without a reading the controller is let go of: centred, nothing pressed.
    ASSERT_TRUE(Parse({"--controller"}, options, error)) << error;
    EXPECT_EQ(128, options.reading.x);
    EXPECT_EQ(128, options.reading.rz);
    EXPECT_EQ(ControllerReading::kHatCentred, options.reading.hat);
    EXPECT_EQ(0u, options.reading.buttons);
}

TEST(ControllerReading, AcceptedReadings) {
    const struct {
        const char* text;
        uint8_t x, y, z, rz;
        uint32_t hat;
        uint16_t buttons;
    } kCases[] = {
        {"x=0", 0, 128, 128, 128, ControllerReading::kHatCentred, 0},
        {"rz=255,z=1", 128, 128, 1, 255, ControllerReading::kHatCentred, 0},
        {"hat=0", 128, 128, 128, 128, 0, 0},
        {"hat=35999", 128, 128, 128, 128, 35999, 0},
        {"hat=centred,buttons=none", 128, 128, 128, 128, ControllerReading::kHatCentred, 0},
        {"buttons=12+1", 128, 128, 128, 128, ControllerReading::kHatCentred, 0x801},
        {"buttons=1+2+3+4+5+6+7+8+9+10+11+12", 128, 128, 128, 128, ControllerReading::kHatCentred,
         0xFFF},
        {"y=007", 128, 7, 128, 128, ControllerReading::kHatCentred, 0},
    };
    for (const auto& accepted : kCases) {
        ControllerReading reading;
        std::string error;
        ASSERT_TRUE(sheet_viewer::ParseControllerReading(accepted.text, reading, error))
            << accepted.text << ": " << error;
        EXPECT_EQ(accepted.x, reading.x) << accepted.text;
        EXPECT_EQ(accepted.y, reading.y) << accepted.text;
        EXPECT_EQ(accepted.z, reading.z) << accepted.text;
        EXPECT_EQ(accepted.rz, reading.rz) << accepted.text;
        EXPECT_EQ(accepted.hat, reading.hat) << accepted.text;
        EXPECT_EQ(accepted.buttons, reading.buttons) << accepted.text;
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
        {{"--reading", "x=1"}, "--reading needs --controller"},
        {{"--controller", "--id", "16"}, "--id must be a number from 0 to 15 with --controller"},
        {{"--controller", "--reading"}, "--reading needs a value"},
        {{"--controller", "--reading", ""}, "--reading: the reading is empty"},
        {{"--controller", "--reading", "x=256"}, "--reading: x must be a number from 0 to 255"},
        {{"--controller", "--reading", "x=-1"}, "--reading: x must be a number from 0 to 255"},
        {{"--controller", "--reading", "x=+1"}, "--reading: x must be a number from 0 to 255"},
        {{"--controller", "--reading", "rz="}, "--reading: rz must be a number from 0 to 255"},
        {{"--controller", "--reading", "x=1,x=2"}, "--reading: x is given twice"},
        {{"--controller", "--reading", "x=1,"}, "--reading: \"\" is not name=value"},
        {{"--controller", "--reading", "x"}, "--reading: \"x\" is not name=value"},
        {{"--controller", "--reading", "=5"}, "--reading: \"=5\" is not name=value"},
        {{"--controller", "--reading", "X=5"}, "--reading: unknown reading X"},
        {{"--controller", "--reading", "hat=36000"}, "--reading: hat must be a number from 0"},
        {{"--controller", "--reading", "hat=up"}, "--reading: hat must be a number from 0"},
        {{"--controller", "--reading", "buttons=0"}, "--reading: buttons are numbers from 1"},
        {{"--controller", "--reading", "buttons=13"}, "--reading: buttons are numbers from 1"},
        {{"--controller", "--reading", "buttons=1++2"}, "--reading: buttons are numbers from 1"},
        {{"--controller", "--reading", "buttons=1+"}, "--reading: buttons are numbers from 1"},
        {{"--controller", "--reading", "buttons=4+4"}, "--reading: button 4 is named twice"},
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

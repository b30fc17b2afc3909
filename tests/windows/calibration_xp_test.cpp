// The Calibration page's "Set" on a runtime that reports Windows XP to this
// program: the calibration goes where the installed DirectX reads it, the
// HID interface key up to DirectX 8.0 and DirectInput's private key after.
#include <vector>

#include "calibration_places.h"
#include "shown_controller_sheet.h"

namespace windows_test {
namespace {

constexpr char kDirectXKey[] = "Software\\Microsoft\\DirectX";

std::vector<BYTE> Text(const char* text) {
    return std::vector<BYTE>(text, text + lstrlenA(text) + 1);
}

using XpSheet = ShownControllerSheet;

TEST_F(XpSheet, SetWritesTheCalibrationWhereTheDirectXVersionReadsIt) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    ASSERT_EQ(5u, version.dwMajorVersion)
        << "the runtime reports Windows " << version.dwMajorVersion << "." << version.dwMinorVersion
        << ", not XP, to this program";
    const auto runtimesDirectX = ReadRegistryValue(kDirectXKey, "Version");
    ASSERT_TRUE(runtimesDirectX.has_value()) << "the runtime names no DirectX version";

    Open(kCalibrationTab);
    ASSERT_TRUE(PumpUntilText(1025, kConnectedText));
    const GUID instance = JoystickInstance();
    ASSERT_FALSE(IsEqualGUID(GUID_NULL, instance));
    for (CalibrationPlace place : kCalibrationPlaces) {
        ASSERT_TRUE(CalibrationKey(place, instance).has_value())
            << "DirectInput keeps no " << PlaceName(place) << " for the joystick";
    }

    struct Case {
        const char* directX;  // null: the runtime's own
        CalibrationPlace written;
        CalibrationPlace untouched;
    } cases[] = {
        {nullptr, CalibrationPlace::DirectInputPrivate, CalibrationPlace::HidInterface},
        {"4.08.00.0400", CalibrationPlace::HidInterface, CalibrationPlace::DirectInputPrivate},
    };
    SavedRegistryValue directX(kDirectXKey, "Version");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directX != nullptr ? c.directX : "the runtime's DirectX");
        if (c.directX != nullptr) {
            ASSERT_EQ(ERROR_SUCCESS, directX.Set(REG_SZ, Text(c.directX)));
        }
        for (CalibrationPlace place : kCalibrationPlaces) {
            ClearAxisCalibration(place, instance);
        }

        const auto middle = SweepAxes();
        ASSERT_TRUE(middle.has_value()) << "the page did not follow the sticks";
        Click(1022);  // "Set"

        // Swept from end to end and left in the middle: the full range,
        // centred where the stick rests.
        for (size_t i = 0; i < 4; ++i) {
            const char* axis = kCalibratedAxes[i];
            SCOPED_TRACE(testing::Message() << "axis " << axis);
            const auto written = ReadAxisCalibration(c.written, instance, axis);
            ASSERT_TRUE(written.has_value()) << "nothing written in the " << PlaceName(c.written);
            EXPECT_EQ(0u, written->minimum);
            EXPECT_EQ((*middle)[i], written->centre);
            EXPECT_EQ(255u, written->maximum);
            EXPECT_FALSE(ReadAxisCalibration(c.untouched, instance, axis).has_value())
                << "written in the " << PlaceName(c.untouched) << " too";
        }
    }
}

}  // namespace
}  // namespace windows_test

// The property sheet shown as the control panel shows it, with a stand-in
// controller of the model plugged in as the sheet's joystick: the pages
// poll it through the runtime's DirectInput, and their vibration reaches it
// through the real effect driver.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "attached_controller.h"
#include "loaded_driver.h"
#include "tools/sheet_viewer/control_panel.h"

namespace windows_test {

inline constexpr USHORT kSheetJoystickId = 1;

inline constexpr UINT kFunctionTestTab = 0;
inline constexpr UINT kCalibrationTab = 1;
inline constexpr UINT kVibrationTestTab = 2;
inline constexpr UINT kAboutTab = 3;

inline constexpr wchar_t kConnectedText[] = L"Your game controller is connected correctly.";
inline constexpr wchar_t kNotConnectedText[] = L"Your game controller is not connected correctly!";

// Generous for what a page shows within a few of its 10 ms ticks.
inline constexpr DWORD kPageTimeoutMs = 3000;

// An input state with the four axes at the given raw readings, no button
// pressed and the hat centred.
standin::InputState AxesInput(uint8_t x, uint8_t y, uint8_t z, uint8_t rz);

std::wstring WindowText(HWND window);

class ShownControllerSheet : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the sheet with `tab` selected; fails the test when it does not
    // open.
    void Open(UINT tab);
    // Activates `tab` as a click does. The page shown then.
    HWND Visit(UINT tab);
    HWND page() const { return panel_.currentPage(); }

    // Lets the sheet's messages run for a moment: what a wait does between
    // two looks.
    void Pump();
    // Pumps until `condition` holds; false when kPageTimeoutMs passed first.
    bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = kPageTimeoutMs);
    // Pumps until the page's control `item` shows `text`.
    bool PumpUntilText(int item, const std::wstring& text);

    // What a click on the page's button `item` tells the page.
    void Click(int item);

    // On the Calibration page: moves all four axes to one end, the other
    // end and back to the middle, each until the page shows it. The page's
    // numbers for the middle (X, Y, Z, Rz); nothing when it did not follow.
    std::optional<std::array<DWORD, 4>> SweepAxes();

    // The instance identifier the runtime's joystick configuration gives
    // the sheet's joystick; null when it gives none.
    GUID JoystickInstance();

    AttachedController controller_{kSheetJoystickId};
    // The Vibration Test page writes the strength; it is put back.
    SavedRegistryValue amplify_{OemKeyPath(), "Amplify"};
    control_panel::ControlPanel panel_;
};

}  // namespace windows_test

// One page of the sheet shown the way the control panel shows it: the
// sheet object prepared as the factory prepares it, its page description
// turned into a property-sheet page, and a second, inert page to switch to
// so that the page under test can be left and shown again. The joystick
// of the sheet answers as scripted through SheetDeviceTest.
//
// On teardown the sheet is closed, and the fixture checks that every
// drawing object the pages made is gone and (through SheetDeviceTest) that
// every DirectInput object was released exactly once.
#pragma once

#include <windows.h>

#include <string>

#include "sheet_device_fixture.h"

class PageTest : public SheetDeviceTest {
  protected:
    static constexpr int kFunctionTestRow = 0;
    static constexpr int kVibrationTestRow = 2;

    void SetUp() override;
    void TearDown() override;

    // Shows the page of page-table row `row` as the active tab.
    void OpenPage(int row);
    // Switches to the inert page and back.
    void LeavePage();
    void ReturnToPage();
    // Closes the sheet, destroying its pages.
    void ClosePage();

    HWND page() const { return page_; }
    HWND Item(int id) const { return GetDlgItem(page_, id); }
    std::string ItemText(int id) const;
    // Whether the control itself is shown, whatever its page.
    bool ItemShown(int id) const;
    // The page's timers, as (id, period) pairs.
    std::vector<std::pair<UINT_PTR, UINT>> PageTimers() const;
    // One tick of the page's timer; fails the test when it is not running.
    void Tick(UINT_PTR timer);

    static HINSTANCE Module() { return reinterpret_cast<HINSTANCE>(0x5A0000); }

  private:
    HWND frame_ = nullptr;
    HWND page_ = nullptr;
    size_t gdiBaseline_ = 0;
};

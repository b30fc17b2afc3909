// The game-controller control panel's side of a property sheet module, played
// in a real Windows runtime: it loads padscope_<m>.dll with LoadLibraryW and
// reaches it only through its two exports (DllGetClassObject, then the
// factory's CreateInstance for IDIGameCntrlPropSheet), calls SetID with the
// joystick id, reads the sheet and page descriptions and builds a modeless
// property sheet from them the way the control panel does (PropertySheetW,
// one PROPSHEETPAGEW per page description, the sheet's caption and icon).
// Closing destroys the window, releases the sheet and frees the module only
// when DllCanUnloadNow allows it. The sheet viewer shows and captures the
// sheet with it, and the Windows test suite reuses it to drive the pages.
#pragma once

#include <windows.h>

#include <string>

#include "property_sheet/controller_sheet_interface.h"

namespace control_panel {

class ControlPanel {
  public:
    ControlPanel() = default;
    // Closes what is still open.
    ~ControlPanel();
    ControlPanel(const ControlPanel&) = delete;
    ControlPanel& operator=(const ControlPanel&) = delete;

    // Loads the module at `modulePath`, creates its sheet of class `classId`,
    // gives it `joystickId` and shows the property sheet with the tab at
    // `firstTab` (0-based) selected. S_OK, or the first failure; failure()
    // then names the step. Everything made before the failing step is undone.
    HRESULT Open(const std::wstring& modulePath, REFCLSID classId, USHORT joystickId,
                 UINT firstTab = 0);

    // The step Open or Close failed in, empty after a success.
    const std::string& failure() const { return failure_; }

    HMODULE module() const { return module_; }
    IDIGameCntrlPropSheet* sheet() const { return sheet_; }
    // The descriptions as the sheet handed them out; null when not open.
    const DIGCSHEETINFO* sheetInfo() const { return sheetInfo_; }
    const DIGCPAGEINFO* pageInfo() const { return pageInfo_; }

    // The property sheet window; null when not open or destroyed.
    HWND window() const { return window_; }
    // The dialog window of the selected page; null when none.
    HWND currentPage() const;
    // The text on tab `index`, empty when there is no such tab.
    std::wstring TabText(UINT index) const;
    UINT tabCount() const;

    // Activates tab `index` (0-based), as a click on it does.
    bool SelectTab(UINT index);

    // Dispatches the thread's messages (the sheet's through its dialog
    // navigation) for `milliseconds`, so that page timers tick and paints
    // land. Returns false once the user has closed the sheet.
    bool PumpMessages(DWORD milliseconds);
    // Dispatches until the user closes the sheet.
    void RunUntilClosed();
    // True while the sheet window is up and not closed by the user.
    bool isShowing() const;

    // Destroys the window, releases the sheet and asks DllCanUnloadNow;
    // frees the module only on S_OK and returns that answer (S_OK when
    // nothing was loaded). A module that answers otherwise still has live
    // objects, so it stays loaded for the rest of the process.
    HRESULT Close();

  private:
    void DestroySheetWindow();
    HRESULT Fail(const char* step, HRESULT result);

    HMODULE module_ = nullptr;
    LPFNCANUNLOADNOW canUnloadNow_ = nullptr;
    IDIGameCntrlPropSheet* sheet_ = nullptr;
    DIGCSHEETINFO* sheetInfo_ = nullptr;
    DIGCPAGEINFO* pageInfo_ = nullptr;
    HWND window_ = nullptr;
    std::string failure_;
};

}  // namespace control_panel

// The control panel of the simulated machine's user interface, for tests
// and tools: module resources, window timers, invalid areas and painting,
// and the user's actions on standard and common controls. Everything here
// runs on the user-interface thread, like the windows themselves.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "module_resources.h"
#include "ui_types.h"

namespace simwin {

// Resources of a module that was not loaded through LoadLibraryA (a test's
// own handle, e.g. reinterpret_cast<HINSTANCE>(0x1234)). Replaces an earlier
// table of that handle; Reset drops the tables registered this way.
void RegisterModuleResources(HINSTANCE module, const SimwinModuleResources* resources);
void UnregisterModuleResources(HINSTANCE module);

// What an icon handle is: a module's icon resource or a stock icon (module
// NULL, id e.g. 32517). False for anything else.
struct IconInfo {
    HINSTANCE module;
    WORD id;
    int width;
    int height;
};
bool DescribeIcon(HICON icon, IconInfo* info);

// Every live window, in creation order (parents come before their
// children).
std::vector<HWND> AllWindows();
std::string ClassNameOf(HWND window);
// The value the dialog procedure returned for WM_INITDIALOG (it decides the
// focus only); 0 for windows that are not dialogs.
INT_PTR DialogInitResult(HWND dialog);

// Window timers.
struct WindowTimerInfo {
    HWND window;
    UINT_PTR id;
    UINT period;  // milliseconds, after SetTimer's clamping
};
// Live timers in the order they were first set.
std::vector<WindowTimerInfo> WindowTimers();
// Delivers one expiry of a live timer: its TIMERPROC if it has one, else
// WM_TIMER to the window procedure. False when no such timer is alive.
bool FireWindowTimer(HWND window, UINT_PTR id);
// One expiry of every timer alive when called, in WindowTimers order (a
// timer killed by an earlier one's handler is skipped). Returns the count.
size_t FireAllWindowTimers();

// Invalid areas: one record per invalidation, as the caller gave it
// (rectangle in client coordinates, not clipped), in order.
struct InvalidArea {
    RECT rect;
    bool erase;
    UINT flags;  // RDW_ flags; InvalidateRect records RDW_INVALIDATE [| RDW_ERASE]
};
std::vector<InvalidArea> InvalidAreas(HWND window);
// Forgets the invalid areas of one window, or of every window for NULL.
void ClearInvalidAreas(HWND window = nullptr);
// Sends WM_PAINT once to each visible window (it and its ancestors carry
// WS_VISIBLE) whose invalid area is not empty, parents first. Returns how
// many windows it sent WM_PAINT to.
size_t PaintNow();

// The user clicks a button: BM_CLICK, which makes an enabled push button,
// check box or radio button send WM_COMMAND(BN_CLICKED) to its parent.
// False (nothing sent) for a missing, hidden or disabled window.
bool ClickButton(HWND button);

// The user drags a trackbar's thumb to `position` (clamped to the range):
// the position changes, then the parent gets WM_HSCROLL (WM_VSCROLL for
// TBS_VERT) with TB_THUMBTRACK, TB_THUMBPOSITION (position in the high
// word) and TB_ENDTRACK. False for a missing, hidden or disabled trackbar.
bool DragTrackbarThumb(HWND trackbar, LONG position);
// The user presses a key on the trackbar: `code` is TB_LINEUP, TB_LINEDOWN,
// TB_PAGEUP, TB_PAGEDOWN, TB_TOP or TB_BOTTOM. The position moves by the
// line or page size (or to an end), then the parent gets that code and
// TB_ENDTRACK.
bool ScrollTrackbar(HWND trackbar, UINT code);

}  // namespace simwin

// The window table shared by the user-interface files of the simulated
// machine: window records, class records and the helpers that walk them.
// Nothing here is locked: windows belong to the one user-interface thread
// (see window_manager.cpp). A Window* is valid only until the next message
// is sent; callers look the window up again after every call-out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "simwin/control_windows.h"
#include "simwin/window_manager.h"

namespace simwin::detail {

struct WindowClass {
    std::string name;  // as registered
    WNDCLASSA attributes;
    ATOM atom;
    bool system;  // the standard classes: always present, never unregistered
};

// State a built-in window procedure (static, button, trackbar, dialog)
// keeps per window. The window owns it, so windows dropped by Reset free it
// without any message.
class BuiltinState {
  public:
    virtual ~BuiltinState() = default;
};

struct Window {
    HWND handle;
    std::shared_ptr<WindowClass> windowClass;
    WNDPROC procedure;
    HWND parent;                 // children: the parent; top-level windows: the owner
    std::vector<HWND> children;  // creation order
    HINSTANCE instance;
    std::string text;
    DWORD style;
    DWORD exStyle;
    LONG_PTR id;
    LONG_PTR userData;
    RECT rect;  // in the parent's client coordinates (screen for top level)
    std::vector<BYTE> extra;
    std::vector<InvalidArea> invalid;
    std::unique_ptr<BuiltinState> builtin;
    bool destroying;
};

Window* FindWindowRecord(HWND window);
// The window, or NULL with ERROR_INVALID_WINDOW_HANDLE as last error.
Window* RequireWindow(HWND window);

template <typename T>
T* BuiltinStateOf(HWND window) {
    Window* record = FindWindowRecord(window);
    return record == nullptr ? nullptr : dynamic_cast<T*>(record->builtin.get());
}

// Class lookup by name (case-insensitive) or atom; the standard classes are
// registered on first use.
std::shared_ptr<WindowClass> FindClass(LPCSTR nameOrAtom);
void RegisterSystemClass(const char* name, WNDPROC procedure, int windowExtra, HBRUSH background);
void ResetClasses();

// Whether the window and all its ancestors carry WS_VISIBLE.
bool IsShown(HWND window);
RECT ClientRectOf(const Window& window);
// Marks the whole client area of the window and its descendants invalid
// (with erase), as the platform does when a window appears.
void InvalidateWholeTree(HWND window);

// Hooks run as a window's record is dropped (after WM_NCDESTROY).
void KillWindowTimers(HWND window);
void ForgetPaints(HWND window);

// Drops every window without sending messages: their procedures may belong
// to modules that are gone.
void ResetWindows();
void ResetWindowTimers();
void ResetPropertySheets();
void ResetModuleResources();

}  // namespace simwin::detail

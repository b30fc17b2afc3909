// Windows of the simulated machine: creation, destruction, message sending,
// the default window procedure, text, per-window values, visibility,
// enabling and placement.
//
// Threading: windows belong to the one user-interface thread that tests and
// tools drive; the window table is not locked, and nothing else in the
// machine (timers, events, DirectInput) touches it from other threads.
// There is no message queue: messages are sent, that is, the window
// procedure is called at once.
//
// Semantics kept and choices:
//  - HWND values count up in steps of 4 and are never reused, so a stale
//    handle fails (ERROR_INVALID_WINDOW_HANDLE) instead of reaching a newer
//    window.
//  - Creation sends WM_NCCREATE (FALSE fails the creation) and WM_CREATE
//    (-1 fails it: the window gets WM_DESTROY and WM_NCDESTROY), both with
//    the CREATESTRUCTA; the text is set by DefWindowProcA's WM_NCCREATE.
//    WS_VISIBLE takes effect after WM_CREATE, and the window then needs
//    painting. No other creation message (sizing, activation) is sent.
//  - Windows have no non-client area: the client rectangle is the window's
//    size. CW_USEDEFAULT places a window at (0, 0) with 640 x 480.
//  - DestroyWindow sends WM_DESTROY to the window and then to its
//    descendants (parents first: while a window handles it, its children
//    still exist), then WM_NCDESTROY to the descendants and last to the
//    window; after its WM_NCDESTROY a window's handle is invalid and its
//    timers are gone. Destroying a window already being destroyed does
//    nothing and succeeds.
//  - GetParent answers the parent of a child window and the owner of a
//    WS_POPUP window, NULL otherwise.
//  - SetWindowLongA on GWL_USERDATA stores the value sign-extended;
//    GetWindowLongA answers the low 32 bits of the pointer-wide slot.
//    Window-procedure, instance and parent slots need the pointer-wide
//    calls (ERROR_INVALID_INDEX otherwise, as on 64-bit Windows). Extra
//    window bytes are read and written at any offset that fits.
//  - ShowWindow and EnableWindow send WM_SHOWWINDOW and WM_ENABLE when the
//    state changes; a window that becomes visible needs painting together
//    with its descendants.
//  - MoveWindow/SetWindowPos send WM_MOVE and WM_SIZE for what changed; with
//    redraw, a size change makes the whole client area invalid when the
//    class has CS_HREDRAW/CS_VREDRAW for that direction, else only the
//    newly uncovered strips. The z-order is not simulated.
#include <algorithm>
#include <map>

#include "faults.h"
#include "simwin/control_windows.h"
#include "simwin/kernel.h"
#include "simwin/rectangles.h"
#include "simwin/resources.h"
#include "simwin/window_painting.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

uintptr_t g_next_handle = 0x10010;
// Never destroyed, like the rest of the machine.
auto* g_windows = new std::map<uintptr_t, std::unique_ptr<Window>>;

HWND NewHandle() {
    const uintptr_t value = g_next_handle;
    g_next_handle += 4;
    return reinterpret_cast<HWND>(value);
}

void MarkDestroying(HWND handle) {
    Window* window = FindWindowRecord(handle);
    if (window == nullptr) {
        return;
    }
    window->destroying = true;
    for (HWND child : window->children) {
        MarkDestroying(child);
    }
}

void SendDestroy(HWND handle) {
    if (FindWindowRecord(handle) == nullptr) {
        return;
    }
    SendMessageA(handle, WM_DESTROY, 0, 0);
    Window* window = FindWindowRecord(handle);
    if (window == nullptr) {
        return;
    }
    const std::vector<HWND> children = window->children;
    for (HWND child : children) {
        SendDestroy(child);
    }
}

void SendNcDestroyAndDrop(HWND handle) {
    Window* window = FindWindowRecord(handle);
    if (window == nullptr) {
        return;
    }
    const std::vector<HWND> children = window->children;
    for (HWND child : children) {
        SendNcDestroyAndDrop(child);
    }
    SendMessageA(handle, WM_NCDESTROY, 0, 0);
    window = FindWindowRecord(handle);
    if (window == nullptr) {
        return;
    }
    KillWindowTimers(handle);
    ForgetPaints(handle);
    if (Window* parent = FindWindowRecord(window->parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
    }
    g_windows->erase(reinterpret_cast<uintptr_t>(handle));
}

bool IsChild(const Window& window) {
    return (window.style & WS_CHILD) != 0;
}

// The pointer-wide slots that a 32-bit access cannot carry on 64-bit hosts.
bool IsPointerSlot(int index) {
    return index == GWLP_WNDPROC || index == GWLP_HINSTANCE || index == GWLP_HWNDPARENT;
}

bool ReadValue(Window& window, int index, size_t width, LONG_PTR* value) {
    if (index >= 0) {
        if (static_cast<size_t>(index) + width > window.extra.size()) {
            return false;
        }
        if (width == sizeof(LONG)) {
            LONG narrow = 0;
            std::memcpy(&narrow, window.extra.data() + index, sizeof(narrow));
            *value = narrow;
        } else {
            std::memcpy(value, window.extra.data() + index, sizeof(LONG_PTR));
        }
        return true;
    }
    if (width == sizeof(LONG) && sizeof(LONG) != sizeof(LONG_PTR) && IsPointerSlot(index)) {
        return false;
    }
    switch (index) {
        case GWLP_USERDATA:
            *value = window.userData;
            return true;
        case GWL_STYLE:
            *value = static_cast<LONG>(window.style);
            return true;
        case GWL_EXSTYLE:
            *value = static_cast<LONG>(window.exStyle);
            return true;
        case GWLP_ID:
            *value = window.id;
            return true;
        case GWLP_WNDPROC:
            *value = reinterpret_cast<LONG_PTR>(window.procedure);
            return true;
        case GWLP_HINSTANCE:
            *value = reinterpret_cast<LONG_PTR>(window.instance);
            return true;
        case GWLP_HWNDPARENT:
            *value = reinterpret_cast<LONG_PTR>(window.parent);
            return true;
        default:
            return false;
    }
}

void WriteValue(Window& window, int index, size_t width, LONG_PTR value) {
    if (index >= 0) {
        if (width == sizeof(LONG)) {
            const LONG narrow = static_cast<LONG>(value);
            std::memcpy(window.extra.data() + index, &narrow, sizeof(narrow));
        } else {
            std::memcpy(window.extra.data() + index, &value, sizeof(value));
        }
        return;
    }
    switch (index) {
        case GWLP_USERDATA:
            window.userData = value;
            break;
        case GWL_STYLE:
            window.style = static_cast<DWORD>(value);
            break;
        case GWL_EXSTYLE:
            window.exStyle = static_cast<DWORD>(value);
            break;
        case GWLP_ID:
            window.id = value;
            break;
        case GWLP_WNDPROC:
            window.procedure = reinterpret_cast<WNDPROC>(value);
            break;
        case GWLP_HINSTANCE:
            window.instance = reinterpret_cast<HINSTANCE>(value);
            break;
        case GWLP_HWNDPARENT:
            if (!IsChild(window)) {
                window.parent = reinterpret_cast<HWND>(value);
            }
            break;
        default:
            break;
    }
}

LONG_PTR GetValue(HWND handle, int index, size_t width) {
    Window* window = RequireWindow(handle);
    LONG_PTR value = 0;
    if (window != nullptr && !ReadValue(*window, index, width, &value)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return value;
}

LONG_PTR SetValue(HWND handle, int index, size_t width, LONG_PTR value) {
    Window* window = RequireWindow(handle);
    LONG_PTR previous = 0;
    if (window == nullptr) {
        return 0;
    }
    if (!ReadValue(*window, index, width, &previous)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    WriteValue(*window, index, width, value);
    return previous;
}

void AddInvalid(Window& window, const RECT& rect) {
    if (rect.right > rect.left && rect.bottom > rect.top) {
        window.invalid.push_back({rect, true, RDW_INVALIDATE | RDW_ERASE});
    }
}

void Place(HWND handle, int x, int y, int width, int height, UINT flags) {
    Window* window = FindWindowRecord(handle);
    const RECT old = window->rect;
    const LONG oldWidth = old.right - old.left;
    const LONG oldHeight = old.bottom - old.top;
    const LONG newX = (flags & SWP_NOMOVE) ? old.left : x;
    const LONG newY = (flags & SWP_NOMOVE) ? old.top : y;
    const LONG newWidth = (flags & SWP_NOSIZE) ? oldWidth : std::max(width, 0);
    const LONG newHeight = (flags & SWP_NOSIZE) ? oldHeight : std::max(height, 0);
    window->rect = {newX, newY, newX + newWidth, newY + newHeight};
    const bool moved = newX != old.left || newY != old.top;
    const bool sized = newWidth != oldWidth || newHeight != oldHeight;
    if (sized && !(flags & SWP_NOREDRAW)) {
        const UINT classStyle = window->windowClass->attributes.style;
        if (((classStyle & CS_HREDRAW) && newWidth != oldWidth) ||
            ((classStyle & CS_VREDRAW) && newHeight != oldHeight)) {
            AddInvalid(*window, {0, 0, newWidth, newHeight});
        } else {
            AddInvalid(*window, {oldWidth, 0, newWidth, newHeight});
            AddInvalid(*window, {0, oldHeight, std::min(oldWidth, newWidth), newHeight});
        }
    }
    if (moved) {
        SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(newX, newY));
    }
    if (sized && FindWindowRecord(handle) != nullptr) {
        SendMessageA(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(newWidth, newHeight));
    }
}

}  // namespace

Window* FindWindowRecord(HWND handle) {
    auto it = g_windows->find(reinterpret_cast<uintptr_t>(handle));
    return it == g_windows->end() ? nullptr : it->second.get();
}

Window* RequireWindow(HWND handle) {
    Window* window = FindWindowRecord(handle);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return window;
}

bool IsShown(HWND handle) {
    for (Window* window = FindWindowRecord(handle); window != nullptr;
         window = FindWindowRecord(window->parent)) {
        if (!(window->style & WS_VISIBLE)) {
            return false;
        }
        if (!IsChild(*window)) {
            return true;
        }
    }
    return false;
}

RECT ClientRectOf(const Window& window) {
    return {0, 0, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top};
}

void InvalidateWholeTree(HWND handle) {
    Window* window = FindWindowRecord(handle);
    if (window == nullptr) {
        return;
    }
    AddInvalid(*window, ClientRectOf(*window));
    for (HWND child : window->children) {
        InvalidateWholeTree(child);
    }
}

void ResetWindows() {
    g_windows->clear();
}

}  // namespace simwin::detail

using simwin::detail::FindWindowRecord;
using simwin::detail::RequireWindow;
using simwin::detail::Window;

extern "C" {

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("CreateWindowExA", &error)) {
        SetLastError(error);
        return nullptr;
    }
    auto windowClass = simwin::detail::FindClass(lpClassName);
    if (windowClass == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (hWndParent != nullptr && FindWindowRecord(hWndParent) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const bool child = (dwStyle & WS_CHILD) != 0;
    if (child && hWndParent == nullptr) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (X == CW_USEDEFAULT) {
        X = 0;
        Y = 0;
    }
    if (nWidth == CW_USEDEFAULT) {
        nWidth = simwin::detail::kDefaultWidth;
        nHeight = simwin::detail::kDefaultHeight;
    }
    nWidth = std::max(nWidth, 0);
    nHeight = std::max(nHeight, 0);

    auto record = std::make_unique<Window>();
    const HWND handle = simwin::detail::NewHandle();
    record->handle = handle;
    record->windowClass = windowClass;
    record->procedure = windowClass->attributes.lpfnWndProc;
    record->parent = hWndParent;
    record->instance = hInstance;
    record->style = dwStyle & ~WS_VISIBLE;
    record->exStyle = dwExStyle;
    record->id = child ? reinterpret_cast<LONG_PTR>(hMenu) : 0;
    record->userData = 0;
    record->rect = {X, Y, X + nWidth, Y + nHeight};
    record->extra.assign(static_cast<size_t>(windowClass->attributes.cbWndExtra), 0);
    record->destroying = false;
    simwin::detail::g_windows->emplace(reinterpret_cast<uintptr_t>(handle), std::move(record));
    if (child) {
        FindWindowRecord(hWndParent)->children.push_back(handle);
    }

    CREATESTRUCTA create = {lpParam,
                            hInstance,
                            hMenu,
                            hWndParent,
                            nHeight,
                            nWidth,
                            Y,
                            X,
                            static_cast<LONG>(dwStyle),
                            lpWindowName,
                            lpClassName,
                            dwExStyle};
    if (!SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        simwin::detail::MarkDestroying(handle);
        simwin::detail::SendNcDestroyAndDrop(handle);
        return nullptr;
    }
    if (FindWindowRecord(handle) == nullptr ||
        SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (FindWindowRecord(handle) == nullptr) {
        return nullptr;  // destroyed while being created
    }
    if (dwStyle & WS_VISIBLE) {
        ShowWindow(handle, SW_SHOWNA);
    }
    return FindWindowRecord(handle) == nullptr ? nullptr : handle;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    Window* window = RequireWindow(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    if (window->destroying) {
        return TRUE;
    }
    simwin::detail::MarkDestroying(hWnd);
    simwin::detail::SendDestroy(hWnd);
    simwin::detail::SendNcDestroyAndDrop(hWnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    return FindWindowRecord(hWnd) != nullptr ? TRUE : FALSE;
}

HWND WINAPI GetParent(HWND hWnd) {
    Window* window = RequireWindow(hWnd);
    if (window == nullptr) {
        return nullptr;
    }
    if (simwin::detail::IsChild(*window) || (window->style & WS_POPUP)) {
        return window->parent;
    }
    return nullptr;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window* window = RequireWindow(hWnd);
    if (window == nullptr || window->procedure == nullptr) {
        return 0;
    }
    return window->procedure(hWnd, Msg, wParam, lParam);
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                               LPARAM lParam) {
    return lpPrevWndFunc == nullptr ? 0 : lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window* window = RequireWindow(hWnd);
    if (window == nullptr) {
        return 0;
    }
    switch (Msg) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            if (create != nullptr && create->lpszName != nullptr &&
                !IS_INTRESOURCE(create->lpszName)) {
                window->text = create->lpszName;
            }
            return TRUE;
        }
        case WM_SETTEXT:
            window->text = lParam == 0 ? "" : reinterpret_cast<const char*>(lParam);
            return TRUE;
        case WM_GETTEXT: {
            auto* buffer = reinterpret_cast<char*>(lParam);
            if (wParam == 0 || buffer == nullptr) {
                return 0;
            }
            const size_t copied = std::min(window->text.size(), static_cast<size_t>(wParam - 1));
            window->text.copy(buffer, copied);
            buffer[copied] = '\0';
            return static_cast<LRESULT>(copied);
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(window->text.size());
        case WM_PAINT: {
            PAINTSTRUCT paint;
            if (BeginPaint(hWnd, &paint) != nullptr) {
                EndPaint(hWnd, &paint);
            }
            return 0;
        }
        case WM_ERASEBKGND: {
            HBRUSH background = window->windowClass->attributes.hbrBackground;
            if (background == nullptr) {
                return 0;
            }
            const RECT client = simwin::detail::ClientRectOf(*window);
            FillRect(reinterpret_cast<HDC>(wParam), &client, background);
            return 1;
        }
        case WM_CLOSE:
            DestroyWindow(hWnd);
            return 0;
        default:
            return 0;
    }
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (RequireWindow(hWnd) == nullptr) {
        return FALSE;
    }
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) != 0 ? TRUE
                                                                                      : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (lpString != nullptr && nMaxCount > 0) {
        lpString[0] = '\0';
    }
    if (RequireWindow(hWnd) == nullptr || lpString == nullptr || nMaxCount <= 0) {
        return 0;
    }
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    if (RequireWindow(hWnd) == nullptr) {
        return 0;
    }
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    return static_cast<LONG>(simwin::detail::GetValue(hWnd, nIndex, sizeof(LONG)));
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    return static_cast<LONG>(simwin::detail::SetValue(hWnd, nIndex, sizeof(LONG), dwNewLong));
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    return simwin::detail::GetValue(hWnd, nIndex, sizeof(LONG_PTR));
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return simwin::detail::SetValue(hWnd, nIndex, sizeof(LONG_PTR), dwNewLong);
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Window* window = RequireWindow(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    const bool wasVisible = (window->style & WS_VISIBLE) != 0;
    const bool visible = nCmdShow != SW_HIDE;
    if (visible != wasVisible) {
        SendMessageA(hWnd, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
        window = FindWindowRecord(hWnd);
        if (window != nullptr) {
            window->style = visible ? (window->style | WS_VISIBLE) : (window->style & ~WS_VISIBLE);
            if (visible) {
                simwin::detail::InvalidateWholeTree(hWnd);
            }
        }
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    return simwin::detail::IsShown(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    Window* window = RequireWindow(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    const bool wasDisabled = (window->style & WS_DISABLED) != 0;
    if (wasDisabled == (bEnable != FALSE)) {
        window->style = bEnable ? (window->style & ~WS_DISABLED) : (window->style | WS_DISABLED);
        SendMessageA(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    Window* window = RequireWindow(hWnd);
    return window != nullptr && !(window->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window* window = RequireWindow(hWnd);
    if (window == nullptr || lpRect == nullptr) {
        return FALSE;
    }
    *lpRect = simwin::detail::ClientRectOf(*window);
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window* window = RequireWindow(hWnd);
    if (window == nullptr || lpRect == nullptr) {
        return FALSE;
    }
    RECT rect = window->rect;
    for (Window* outer = window; simwin::detail::IsChild(*outer);) {
        outer = FindWindowRecord(outer->parent);
        if (outer == nullptr) {
            break;
        }
        OffsetRect(&rect, outer->rect.left, outer->rect.top);
    }
    *lpRect = rect;
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    if (RequireWindow(hWnd) == nullptr) {
        return FALSE;
    }
    simwin::detail::Place(hWnd, X, Y, nWidth, nHeight,
                          SWP_NOZORDER | (bRepaint ? 0u : static_cast<UINT>(SWP_NOREDRAW)));
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                         UINT uFlags) {
    (void)hWndInsertAfter;
    if (RequireWindow(hWnd) == nullptr) {
        return FALSE;
    }
    simwin::detail::Place(hWnd, X, Y, cx, cy, uFlags);
    if ((uFlags & SWP_SHOWWINDOW) && IsWindow(hWnd)) {
        ShowWindow(hWnd, SW_SHOWNA);
    } else if ((uFlags & SWP_HIDEWINDOW) && IsWindow(hWnd)) {
        ShowWindow(hWnd, SW_HIDE);
    }
    return TRUE;
}

}  // extern "C"

std::vector<HWND> simwin::AllWindows() {
    std::vector<HWND> windows;
    for (auto& entry : *detail::g_windows) {
        windows.push_back(entry.second->handle);
    }
    return windows;
}

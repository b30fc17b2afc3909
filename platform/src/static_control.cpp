// The "STATIC" class: text and icon statics.
//  - A text static shows its window text with DrawTextA in its client
//    rectangle: SS_CENTER and SS_RIGHT align it, SS_SIMPLE and
//    SS_LEFTNOWORDWRAP keep it on one line, SS_NOPREFIX passes DT_NOPREFIX.
//    A new text repaints it.
//  - An SS_ICON static loads its icon at creation from the creating
//    module by the name it was created with (MAKEINTRESOURCEA(id) or
//    "#id"); an icon that is not found leaves it empty, and creation
//    succeeds all the same. STM_SETICON/STM_SETIMAGE (IMAGE_ICON) replace
//    the icon and answer the previous one; STM_GETICON/STM_GETIMAGE read
//    it. It paints the icon with DrawIcon at (0, 0).
#include "simwin/kernel.h"
#include "simwin/resources.h"
#include "simwin/standard_controls.h"
#include "simwin/window_painting.h"
#include "standard_classes.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

class StaticState : public BuiltinState {
  public:
    HICON icon = nullptr;
};

bool IsIcon(HWND window) {
    return (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

UINT TextFormat(DWORD style) {
    UINT format = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    switch (style & SS_TYPEMASK) {
        case SS_CENTER:
            return format | DT_CENTER | DT_WORDBREAK;
        case SS_RIGHT:
            return format | DT_RIGHT | DT_WORDBREAK;
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP:
            return format | DT_LEFT | DT_SINGLELINE;
        default:
            return format | DT_LEFT | DT_WORDBREAK;
    }
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc == nullptr) {
        return;
    }
    if (IsIcon(window)) {
        auto* state = BuiltinStateOf<StaticState>(window);
        if (state != nullptr && state->icon != nullptr) {
            DrawIcon(dc, 0, 0, state->icon);
        }
    } else {
        char text[512];
        GetWindowTextA(window, text, sizeof(text));
        RECT client;
        GetClientRect(window, &client);
        DrawTextA(dc, text, -1, &client,
                  TextFormat(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE))));
    }
    EndPaint(window, &paint);
}

HICON ReplaceIcon(HWND window, HICON icon) {
    auto* state = BuiltinStateOf<StaticState>(window);
    if (state == nullptr) {
        return nullptr;
    }
    HICON previous = state->icon;
    state->icon = icon;
    InvalidateRect(window, nullptr, TRUE);
    return previous;
}

}  // namespace

LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            auto state = std::make_unique<StaticState>();
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            if ((create->style & SS_TYPEMASK) == SS_ICON && create->lpszName != nullptr) {
                const DWORD error = GetLastError();
                state->icon = LoadIconA(create->hInstance, create->lpszName);
                SetLastError(error);
            }
            FindWindowRecord(window)->builtin = std::move(state);
            return DefWindowProcA(window, message, wParam, lParam);
        }
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_SETTEXT: {
            const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, TRUE);
            return result;
        }
        case STM_SETICON:
            return reinterpret_cast<LRESULT>(ReplaceIcon(window, reinterpret_cast<HICON>(wParam)));
        case STM_SETIMAGE:
            return wParam == IMAGE_ICON ? reinterpret_cast<LRESULT>(
                                              ReplaceIcon(window, reinterpret_cast<HICON>(lParam)))
                                        : 0;
        case STM_GETICON:
        case STM_GETIMAGE: {
            auto* state = BuiltinStateOf<StaticState>(window);
            if (state == nullptr || (message == STM_GETIMAGE && wParam != IMAGE_ICON)) {
                return 0;
            }
            return reinterpret_cast<LRESULT>(state->icon);
        }
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace simwin::detail

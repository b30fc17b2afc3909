// The "BUTTON" class: push buttons, check boxes, radio buttons and group
// boxes.
//  - BM_CLICK (what the user's click does) on an enabled push button, check
//    box or radio button toggles an automatic check box or sets an
//    automatic radio button, then sends WM_COMMAND(MAKEWPARAM(id,
//    BN_CLICKED), button) to the parent. Group boxes, user and owner-drawn
//    buttons and disabled buttons do nothing.
//  - BM_GETCHECK/BM_SETCHECK keep the check state.
//  - Painting: a push button fills its face (COLOR_BTNFACE), frames it and
//    centres its text on one line; a group box frames its area below the
//    text line and writes its text at the top left; check boxes and radio
//    buttons write their text beside the box.
//  - A new text or a change of enabling repaints the button.
#include "simwin/control_windows.h"
#include "simwin/dialogs.h"
#include "simwin/kernel.h"
#include "simwin/standard_controls.h"
#include "simwin/system_colors.h"
#include "simwin/text_conversion.h"
#include "simwin/window_painting.h"
#include "standard_classes.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

class ButtonState : public BuiltinState {
  public:
    WPARAM check = BST_UNCHECKED;
};

DWORD TypeOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & BS_TYPEMASK;
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc == nullptr) {
        return;
    }
    char text[256];
    GetWindowTextA(window, text, sizeof(text));
    RECT client;
    GetClientRect(window, &client);
    switch (TypeOf(window)) {
        case BS_GROUPBOX: {
            HGDIOBJ previous = SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, client.left, client.top + 6, client.right, client.bottom);
            SelectObject(dc, previous);
            TextOutA(dc, 8, 0, text, lstrlenA(text));
            break;
        }
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
            Rectangle(dc, client.left, client.top, client.right, client.bottom);
            DrawTextA(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            break;
        default:
            client.left += 16;
            DrawTextA(dc, text, -1, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            break;
    }
    EndPaint(window, &paint);
}

void Click(HWND window) {
    const DWORD type = TypeOf(window);
    if (type == BS_GROUPBOX || type == BS_USERBUTTON || type == BS_OWNERDRAW ||
        !IsWindowEnabled(window)) {
        return;
    }
    if (auto* state = BuiltinStateOf<ButtonState>(window)) {
        if (type == BS_AUTOCHECKBOX) {
            state->check = state->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        } else if (type == BS_AUTORADIOBUTTON) {
            state->check = BST_CHECKED;
        }
    }
    const int id = GetDlgCtrlID(window);
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(window));
}

}  // namespace

LRESULT CALLBACK ButtonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
            FindWindowRecord(window)->builtin = std::make_unique<ButtonState>();
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_SETTEXT: {
            const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, TRUE);
            return result;
        }
        case WM_ENABLE:
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case BM_CLICK:
            Click(window);
            return 0;
        case BM_GETCHECK: {
            auto* state = BuiltinStateOf<ButtonState>(window);
            return state == nullptr ? 0 : static_cast<LRESULT>(state->check);
        }
        case BM_SETCHECK:
            if (auto* state = BuiltinStateOf<ButtonState>(window)) {
                state->check = wParam;
                InvalidateRect(window, nullptr, TRUE);
            }
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace simwin::detail

bool simwin::ClickButton(HWND button) {
    if (ClassNameOf(button) != "BUTTON" || !IsWindowVisible(button) || !IsWindowEnabled(button)) {
        return false;
    }
    SendMessageA(button, BM_CLICK, 0, 0);
    return true;
}

// Dialogs from template records. Semantics kept and choices:
//  - Dialog units become pixels with fixed base units of 6 x 13 pixels
//    (those of an 8-point dialog font): x * 6 / 4 and y * 13 / 8, rounded
//    to the nearest pixel as MulDiv rounds, whatever the template's font.
//  - CreateDialogParamA creates the dialog window (class "#32770") hidden,
//    then its controls in template order as child windows by class name
//    with the item's id, text, style (plus WS_CHILD) and size; an SS_ICON
//    static gets MAKEINTRESOURCEA(icon) as its name and loads the module's
//    icon itself. A control that cannot be created fails the whole dialog.
//    Then WM_INITDIALOG goes to the dialog procedure with the first
//    WS_TABSTOP control as wParam and the caller's value as lParam; its
//    answer only decides the focus and is recorded
//    (simwin::DialogInitResult). WS_VISIBLE in the template shows the
//    dialog afterwards. No WM_SETFONT is sent.
//  - The dialog window procedure (DefDlgProcA) clears DWLP_MSGRESULT,
//    calls the dialog procedure, and when that answers non-zero returns
//    DWLP_MSGRESULT, except for the messages whose answer is the result
//    itself (WM_INITDIALOG, WM_CTLCOLOR..., WM_COMPAREITEM, WM_VKEYTOITEM,
//    WM_CHARTOITEM, WM_QUERYDRAGICON). An answer of 0 falls back to default
//    dialog processing: the button-face background, WM_CLOSE as a click on
//    IDCANCEL, everything else DefWindowProcA.
//  - GetDlgItem searches the dialog's direct children by id, first created
//    first; a missing id fails with ERROR_CONTROL_ID_NOT_FOUND.
#include "dialog_internal.h"
#include "faults.h"
#include "module_resources_internal.h"
#include "simwin/kernel.h"
#include "simwin/resources.h"
#include "simwin/system_colors.h"
#include "simwin/window_painting.h"
#include "standard_classes.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

constexpr LONG kBaseUnitX = 6;
constexpr LONG kBaseUnitY = 13;

class DialogState : public BuiltinState {
  public:
    INT_PTR initResult = 0;
};

// MulDiv's rounding: to nearest, halves away from zero.
LONG MulDivRounded(LONG value, LONG numerator, LONG denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / denominator
                                          : (product - half) / denominator);
}

bool AnswersDirectly(UINT message) {
    return message == WM_INITDIALOG ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
           message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
           message == WM_QUERYDRAGICON;
}

LRESULT DefaultDialogProcessing(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return 0;
        case WM_CTLCOLORDLG:
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(dialog, &client);
            HBRUSH brush = reinterpret_cast<HBRUSH>(
                SendMessageA(dialog, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(dialog)));
            FillRect(reinterpret_cast<HDC>(wParam), &client,
                     brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_CLOSE:
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
            return 0;
        default:
            return DefWindowProcA(dialog, message, wParam, lParam);
    }
}

HWND FirstTabStop(HWND dialog) {
    Window* window = FindWindowRecord(dialog);
    for (HWND child : window->children) {
        const Window* control = FindWindowRecord(child);
        if ((control->style & WS_TABSTOP) && !(control->style & WS_DISABLED)) {
            return child;
        }
    }
    return window->children.empty() ? nullptr : window->children.front();
}

}  // namespace

LONG DialogUnitsToPixelsX(LONG units) {
    return MulDivRounded(units, kBaseUnitX, 4);
}

LONG DialogUnitsToPixelsY(LONG units) {
    return MulDivRounded(units, kBaseUnitY, 8);
}

LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(window, DWLP_DLGPROC));
    if (procedure != nullptr) {
        SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
        const INT_PTR answer = procedure(window, message, wParam, lParam);
        if (!IsWindow(window)) {
            return answer;
        }
        if (answer != 0) {
            return AnswersDirectly(message) ? answer : GetWindowLongPtrA(window, DWLP_MSGRESULT);
        }
    }
    return DefaultDialogProcessing(window, message, wParam, lParam);
}

HWND CreateDialogFromTemplate(HINSTANCE instance, const SimwinDialogTemplate& dialogTemplate,
                              DWORD style, HWND parent, DLGPROC procedure, LPARAM parameter) {
    const HWND dialog = CreateWindowExA(
        dialogTemplate.exStyle, "#32770", dialogTemplate.caption, style & ~WS_VISIBLE,
        DialogUnitsToPixelsX(dialogTemplate.x), DialogUnitsToPixelsY(dialogTemplate.y),
        DialogUnitsToPixelsX(dialogTemplate.cx), DialogUnitsToPixelsY(dialogTemplate.cy), parent,
        nullptr, instance, nullptr);
    if (dialog == nullptr) {
        return nullptr;
    }
    FindWindowRecord(dialog)->builtin = std::make_unique<DialogState>();
    SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(procedure));
    for (size_t i = 0; i < dialogTemplate.itemCount; ++i) {
        const SimwinDialogItem& item = dialogTemplate.items[i];
        const LPCSTR name = item.icon != 0 ? MAKEINTRESOURCEA(item.icon) : item.text;
        const HWND control = CreateWindowExA(
            item.exStyle, item.className, name, item.style | WS_CHILD, DialogUnitsToPixelsX(item.x),
            DialogUnitsToPixelsY(item.y), DialogUnitsToPixelsX(item.cx),
            DialogUnitsToPixelsY(item.cy), dialog,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance, nullptr);
        if (control == nullptr) {
            const DWORD error = GetLastError();
            DestroyWindow(dialog);
            SetLastError(error);
            return nullptr;
        }
    }
    const INT_PTR answer = SendMessageA(dialog, WM_INITDIALOG,
                                        reinterpret_cast<WPARAM>(FirstTabStop(dialog)), parameter);
    if (auto* state = BuiltinStateOf<DialogState>(dialog)) {
        state->initResult = answer;
    }
    if ((style & WS_VISIBLE) && IsWindow(dialog)) {
        ShowWindow(dialog, SW_SHOWNORMAL);
    }
    return IsWindow(dialog) ? dialog : nullptr;
}

}  // namespace simwin::detail

using simwin::detail::FindWindowRecord;
using simwin::detail::RequireWindow;

extern "C" {

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("CreateDialogParamA", &error)) {
        SetLastError(error);
        return nullptr;
    }
    const SimwinDialogTemplate* dialogTemplate =
        simwin::detail::FindDialogTemplate(hInstance, lpTemplateName);
    if (dialogTemplate == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return simwin::detail::CreateDialogFromTemplate(
        hInstance, *dialogTemplate, dialogTemplate->style, hWndParent, lpDialogFunc, dwInitParam);
}

LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return simwin::detail::DialogWindowProc(hDlg, Msg, wParam, lParam);
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
    if (RequireWindow(hDlg) == nullptr || lpRect == nullptr) {
        return FALSE;
    }
    lpRect->left = simwin::detail::DialogUnitsToPixelsX(lpRect->left);
    lpRect->right = simwin::detail::DialogUnitsToPixelsX(lpRect->right);
    lpRect->top = simwin::detail::DialogUnitsToPixelsY(lpRect->top);
    lpRect->bottom = simwin::detail::DialogUnitsToPixelsY(lpRect->bottom);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    simwin::detail::Window* dialog = RequireWindow(hDlg);
    if (dialog == nullptr) {
        return nullptr;
    }
    for (HWND child : dialog->children) {
        if (static_cast<int>(FindWindowRecord(child)->id) == nIDDlgItem) {
            return child;
        }
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    simwin::detail::Window* window = RequireWindow(hWnd);
    if (window == nullptr || !(window->style & WS_CHILD)) {
        return 0;
    }
    return static_cast<int>(window->id);
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item == nullptr ? FALSE : SetWindowTextA(item, lpString);
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    if (lpString != nullptr && cchMax > 0) {
        lpString[0] = '\0';
    }
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item == nullptr ? 0 : static_cast<UINT>(GetWindowTextA(item, lpString, cchMax));
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam,
                                   LPARAM lParam) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item == nullptr ? 0 : SendMessageA(item, Msg, wParam, lParam);
}

}  // extern "C"

INT_PTR simwin::DialogInitResult(HWND dialog) {
    auto* state = detail::BuiltinStateOf<detail::DialogState>(dialog);
    return state == nullptr ? 0 : state->initResult;
}

// Dialogs: modeless dialogs created from a module's templates, their
// dialog procedures and the dialog-item helpers. Templates are host
// records (module_resources.h); a dialog's controls are child windows
// created by class name, so GetDlgItem finds them by id. See the top of
// dialogs.cpp for the semantics kept.
#pragma once

#include "ui_types.h"
#include "window_manager.h"

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// The dialog window's extra bytes: message result, dialog procedure, user
// value, each pointer-wide.
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC (DWLP_MSGRESULT + sizeof(LRESULT))
#define DWLP_USER (DWLP_DLGPROC + sizeof(DLGPROC))
#define DWL_MSGRESULT DWLP_MSGRESULT
#define DWL_DLGPROC DWLP_DLGPROC
#define DWL_USER DWLP_USER
#define DLGWINDOWEXTRA ((int)(DWLP_USER + sizeof(LONG_PTR)))

// Dialog styles.
#define DS_3DLOOK 0x0004L
#define DS_FIXEDSYS 0x0008L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L

#define WC_DIALOG MAKEINTATOM(0x8002)
#define IDOK 1
#define IDCANCEL 2
#define IDC_STATIC (-1)

extern "C" {

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam);
LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);
// Dialog units to pixels with the fixed base units of the simulated
// machine (see dialogs.cpp).
BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect);

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem);
int WINAPI GetDlgCtrlID(HWND hWnd);
BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam,
                                   LPARAM lParam);

}  // extern "C"

#define CreateDialogA(instance, name, parent, proc) \
    CreateDialogParamA(instance, name, parent, proc, 0L)

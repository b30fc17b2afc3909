// A page of the sheet shown the way the control panel shows it: a property
// sheet of two tabs on the simulated machine, the page described by `page`
// first and an inert second tab (the About template with a procedure that
// does nothing) to switch to, so that the page can be left and shown again.
#pragma once

#include <windows.h>
#include <prsht.h>
#include <simwin/control_property_sheet.h>

#include <vector>

#include "property_sheet/controller_sheet_interface.h"

namespace test_support {

inline INT_PTR CALLBACK InertPageProcedure(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The frame of the new sheet, or none when the sheet could not be opened.
inline HWND OpenSheetWithOnePage(const DIGCPAGEINFO& page) {
    constexpr WORD kInertTemplate = 112;
    std::vector<PROPSHEETPAGEA> pages(2);
    for (PROPSHEETPAGEA& description : pages) {
        description = {};
        description.dwSize = sizeof description;
        description.dwFlags = PSP_DEFAULT;
        description.hInstance = page.hInstance;
    }
    pages[0].pszTemplate = reinterpret_cast<LPCSTR>(page.lpwszTemplate);
    pages[0].pfnDlgProc = page.fpPageProc;
    pages[0].lParam = page.lParam;
    pages[1].pszTemplate = MAKEINTRESOURCEA(kInertTemplate);
    pages[1].pfnDlgProc = InertPageProcedure;
    return simwin::OpenPropertySheet(pages.data(), static_cast<UINT>(pages.size()));
}

}  // namespace test_support

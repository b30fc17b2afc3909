// The control panel's property sheet, played on the host for tests and
// tools. A sheet is a frame window (a dialog without template) that holds
// one page dialog per PROPSHEETPAGEA, one of them active. See the top of
// property_sheet_host.cpp for the order of the notifications.
#pragma once

#include <string>
#include <vector>

#include "property_sheets.h"

namespace simwin {

// Creates the frame and shows the first page. The page descriptions are
// copied; each page's WM_INITDIALOG carries the address of its copy. NULL
// when there are no pages or the first page cannot be created.
HWND OpenPropertySheet(const PROPSHEETPAGEA* pages, UINT count, const std::string& caption = "");
// Makes page `index` the active one: PSN_KILLACTIVE to the active page (a
// TRUE answer keeps it active: false returned), the new page created if it
// has not been, PSN_SETACTIVE to it, the old page hidden, the new one shown.
bool SelectPropertySheetPage(HWND sheet, UINT index);
// Index of the active page; -1 for a window that is not an open sheet.
int ActivePropertySheetPage(HWND sheet);
// The page's dialog window, NULL until the page has been created.
HWND PropertySheetPageWindow(HWND sheet, UINT index);
// The tab texts: the page's title with PSP_USETITLE, else its template's
// caption.
std::vector<std::string> PropertySheetTabs(HWND sheet);
// OK (apply) or Cancel. OK: PSN_KILLACTIVE to the active page (TRUE keeps
// the sheet open: false returned), then PSN_APPLY to every created page.
// Cancel: PSN_RESET to every created page. Then the frame and its pages are
// destroyed and the pages' release callbacks run.
bool ClosePropertySheet(HWND sheet, bool apply);

}  // namespace simwin

// The control panel's property sheet, played on the host.
//  - The frame is a visible top-level dialog window (no dialog procedure of
//    the caller) sized to hold the largest page; pages are child dialogs of
//    the frame at (7, 28). Their template style loses WS_POPUP, WS_CAPTION,
//    WS_SYSMENU, WS_THICKFRAME, WS_DISABLED and WS_VISIBLE and gains
//    WS_CHILD, WS_TABSTOP and DS_CONTROL, as the platform's sheet does to
//    its pages.
//  - Pages are created when first selected (PSP_PREMATURE pages at once),
//    as on the platform: a page never shown never sees WM_INITDIALOG. Before
//    a page is created its PSPCB_CREATE callback runs (PSP_USECALLBACK); a
//    0 answer leaves it uncreated. WM_INITDIALOG carries the address of the
//    sheet's copy of the page description (dwSize bytes of it, at most the
//    whole record; a dwSize below the first published size fails the
//    sheet). PSP_DLGINDIRECT is not simulated.
//  - Notifications are WM_NOTIFY with a PSHNOTIFY whose header is
//    {frame, 0, code}; the answer is the page's DWLP_MSGRESULT when its
//    dialog procedure answers TRUE (dialogs.cpp). Opening sends
//    PSN_SETACTIVE to the first page. Switching sends PSN_KILLACTIVE to the
//    active page (a non-zero answer keeps it active), then PSN_SETACTIVE to
//    the new page (its answer is not used: the host does not redirect), then
//    shows the new page and hides the old one.
//  - Closing with OK sends PSN_KILLACTIVE to the active page, then
//    PSN_APPLY (lParam TRUE) to every created page in order; a non-zero
//    answer to either keeps the sheet open. Cancel sends PSN_RESET to every
//    created page. The frame is then destroyed with its pages; the pages'
//    PSPCB_RELEASE callbacks run and PSP_USEREFPARENT counts drop once the
//    frame is gone, however it was destroyed.
// Like the windows, sheets belong to the user-interface thread.
#include <algorithm>
#include <map>
#include <memory>

#include "dialog_internal.h"
#include "module_resources_internal.h"
#include "simwin/control_property_sheet.h"
#include "simwin/kernel.h"
#include "simwin/resources.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

constexpr LONG kPageLeft = 7;
constexpr LONG kPageTop = 28;
constexpr DWORD kRemovedPageStyles =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_DISABLED | WS_VISIBLE;
constexpr DWORD kAddedPageStyles = WS_CHILD | WS_TABSTOP | DS_CONTROL;

struct Page {
    PROPSHEETPAGEA description;
    const SimwinDialogTemplate* dialogTemplate;
    std::string title;
    HWND window = nullptr;
};

struct Sheet {
    HWND frame = nullptr;
    std::vector<std::unique_ptr<Page>> pages;  // stable addresses for lParam
    int active = -1;
};

auto* g_sheets = new std::map<HWND, std::unique_ptr<Sheet>>;  // never destroyed

Sheet* FindSheet(HWND frame) {
    auto it = g_sheets->find(frame);
    return it == g_sheets->end() ? nullptr : it->second.get();
}

void ReleasePages(Sheet& sheet) {
    for (auto& page : sheet.pages) {
        PROPSHEETPAGEA& description = page->description;
        if ((description.dwFlags & PSP_USECALLBACK) && description.pfnCallback != nullptr) {
            description.pfnCallback(nullptr, PSPCB_RELEASE, &description);
        }
        if ((description.dwFlags & PSP_USEREFPARENT) && description.pcRefParent != nullptr) {
            --*description.pcRefParent;
        }
    }
}

INT_PTR CALLBACK FrameProc(HWND frame, UINT message, WPARAM, LPARAM) {
    if (message == WM_NCDESTROY) {
        auto it = g_sheets->find(frame);
        if (it != g_sheets->end()) {
            std::unique_ptr<Sheet> sheet = std::move(it->second);
            g_sheets->erase(it);
            ReleasePages(*sheet);
        }
    }
    return FALSE;
}

bool CreatePage(Sheet& sheet, size_t index) {
    Page& page = *sheet.pages[index];
    if (page.window != nullptr) {
        return true;
    }
    PROPSHEETPAGEA& description = page.description;
    if (page.dialogTemplate == nullptr || (description.dwFlags & PSP_DLGINDIRECT)) {
        return false;
    }
    if ((description.dwFlags & PSP_USECALLBACK) && description.pfnCallback != nullptr &&
        description.pfnCallback(nullptr, PSPCB_CREATE, &description) == 0) {
        return false;
    }
    const DWORD style = (page.dialogTemplate->style & ~kRemovedPageStyles) | kAddedPageStyles;
    const HWND frame = sheet.frame;
    const HWND window =
        CreateDialogFromTemplate(description.hInstance, *page.dialogTemplate, style, frame,
                                 description.pfnDlgProc, reinterpret_cast<LPARAM>(&description));
    // The page's initialisation may have closed the sheet.
    Sheet* still = FindSheet(frame);
    if (window == nullptr || still == nullptr) {
        return false;
    }
    still->pages[index]->window = window;
    SetWindowPos(window, nullptr, kPageLeft, kPageTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return true;
}

LRESULT Notify(HWND frame, HWND page, UINT code, LPARAM parameter = 0) {
    PSHNOTIFY notification = {};
    notification.hdr.hwndFrom = frame;
    notification.hdr.idFrom = 0;
    notification.hdr.code = code;
    notification.lParam = parameter;
    return SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notification));
}

HWND ActiveWindow(const Sheet& sheet) {
    return sheet.active < 0 ? nullptr : sheet.pages[static_cast<size_t>(sheet.active)]->window;
}

std::vector<HWND> CreatedPages(const Sheet& sheet) {
    std::vector<HWND> created;
    for (const auto& page : sheet.pages) {
        if (page->window != nullptr) {
            created.push_back(page->window);
        }
    }
    return created;
}

}  // namespace

void ResetPropertySheets() {
    g_sheets->clear();
}

}  // namespace simwin::detail

namespace simwin {

using detail::FindSheet;
using detail::Sheet;

HWND OpenPropertySheet(const PROPSHEETPAGEA* pages, UINT count, const std::string& caption) {
    if (pages == nullptr || count == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    for (UINT i = 0; i < count; ++i) {
        if (pages[i].dwSize < PROPSHEETPAGEA_V1_SIZE) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    auto sheet = std::make_unique<Sheet>();
    LONG width = 0;
    LONG height = 0;
    for (UINT i = 0; i < count; ++i) {
        auto page = std::make_unique<detail::Page>();
        page->description = {};
        std::memcpy(&page->description, &pages[i],
                    std::min<size_t>(sizeof(PROPSHEETPAGEA), pages[i].dwSize));
        page->dialogTemplate = detail::FindDialogTemplate(pages[i].hInstance, pages[i].pszTemplate);
        if ((pages[i].dwFlags & PSP_USETITLE) && pages[i].pszTitle != nullptr &&
            !IS_INTRESOURCE(pages[i].pszTitle)) {
            page->title = pages[i].pszTitle;
        } else if (page->dialogTemplate != nullptr && page->dialogTemplate->caption != nullptr) {
            page->title = page->dialogTemplate->caption;
        }
        if (page->dialogTemplate != nullptr) {
            width = std::max(width, detail::DialogUnitsToPixelsX(page->dialogTemplate->cx));
            height = std::max(height, detail::DialogUnitsToPixelsY(page->dialogTemplate->cy));
        }
        if ((pages[i].dwFlags & PSP_USEREFPARENT) && pages[i].pcRefParent != nullptr) {
            ++*pages[i].pcRefParent;
        }
        sheet->pages.push_back(std::move(page));
    }
    const HWND frame = CreateWindowExA(
        0, "#32770", caption.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0,
        width + 2 * detail::kPageLeft, height + detail::kPageTop + 44, nullptr, nullptr, nullptr,
        nullptr);
    if (frame == nullptr) {
        detail::ReleasePages(*sheet);
        return nullptr;
    }
    SetWindowLongPtrA(frame, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(detail::FrameProc));
    sheet->frame = frame;
    (*detail::g_sheets)[frame] = std::move(sheet);
    for (size_t i = 0; FindSheet(frame) != nullptr && i < count; ++i) {
        if (pages[i].dwFlags & PSP_PREMATURE) {
            detail::CreatePage(*FindSheet(frame), i);
        }
    }
    Sheet* opened = FindSheet(frame);
    if (opened == nullptr || !detail::CreatePage(*opened, 0) || FindSheet(frame) == nullptr) {
        DestroyWindow(frame);
        return nullptr;
    }
    opened = FindSheet(frame);
    const HWND first = opened->pages[0]->window;
    opened->active = 0;
    detail::Notify(frame, first, PSN_SETACTIVE);
    if (IsWindow(first)) {
        ShowWindow(first, SW_SHOW);
    }
    return IsWindow(frame) ? frame : nullptr;
}

bool SelectPropertySheetPage(HWND frame, UINT index) {
    Sheet* sheet = FindSheet(frame);
    if (sheet == nullptr || index >= sheet->pages.size()) {
        return false;
    }
    if (sheet->active == static_cast<int>(index)) {
        return true;
    }
    const HWND old = detail::ActiveWindow(*sheet);
    if (old != nullptr && detail::Notify(frame, old, PSN_KILLACTIVE) != 0) {
        return false;
    }
    sheet = FindSheet(frame);
    if (sheet == nullptr || !detail::CreatePage(*sheet, index) ||
        (sheet = FindSheet(frame)) == nullptr) {
        return false;
    }
    const HWND next = sheet->pages[index]->window;
    sheet->active = static_cast<int>(index);
    detail::Notify(frame, next, PSN_SETACTIVE);
    if (IsWindow(next)) {
        ShowWindow(next, SW_SHOW);
    }
    if (IsWindow(old)) {
        ShowWindow(old, SW_HIDE);
    }
    return true;
}

int ActivePropertySheetPage(HWND frame) {
    Sheet* sheet = FindSheet(frame);
    return sheet == nullptr ? -1 : sheet->active;
}

HWND PropertySheetPageWindow(HWND frame, UINT index) {
    Sheet* sheet = FindSheet(frame);
    if (sheet == nullptr || index >= sheet->pages.size()) {
        return nullptr;
    }
    return sheet->pages[index]->window;
}

std::vector<std::string> PropertySheetTabs(HWND frame) {
    std::vector<std::string> tabs;
    if (Sheet* sheet = FindSheet(frame)) {
        for (const auto& page : sheet->pages) {
            tabs.push_back(page->title);
        }
    }
    return tabs;
}

bool ClosePropertySheet(HWND frame, bool apply) {
    Sheet* sheet = FindSheet(frame);
    if (sheet == nullptr) {
        return false;
    }
    if (apply) {
        const HWND active = detail::ActiveWindow(*sheet);
        if (active != nullptr && detail::Notify(frame, active, PSN_KILLACTIVE) != 0) {
            return false;
        }
        if ((sheet = FindSheet(frame)) == nullptr) {
            return true;
        }
        for (HWND page : detail::CreatedPages(*sheet)) {
            if (IsWindow(page) && detail::Notify(frame, page, PSN_APPLY, TRUE) != PSNRET_NOERROR) {
                return false;
            }
        }
    } else {
        for (HWND page : detail::CreatedPages(*sheet)) {
            if (IsWindow(page)) {
                detail::Notify(frame, page, PSN_RESET);
            }
        }
    }
    if (IsWindow(frame)) {
        DestroyWindow(frame);
    }
    return true;
}

}  // namespace simwin

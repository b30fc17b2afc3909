#include "page_fixture.h"

#include <prsht.h>
#include <simwin/control_property_sheet.h>
#include <simwin/control_windows.h>
#include <simwin/control_drawing.h>

#include <vector>

#include "property_sheet/page_table.h"
#include "property_sheet/resources/padscope_resources.h"

namespace {

// The About page's template, shown with a procedure that does nothing.
constexpr WORD kInertTemplate = 112;

INT_PTR CALLBACK InertPage(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

}  // namespace

void PageTest::SetUp() {
    SheetDeviceTest::SetUp();
    SetModuleInstance(Module());
    simwin::RegisterModuleResources(Module(), PadscopeResources());
    ASSERT_EQ(S_OK, IDIGameCntrlPropSheet_PrepareSheet(sheet_->get()));
    gdiBaseline_ = simwin::LiveGdiObjects();
}

void PageTest::TearDown() {
    ClosePage();
    EXPECT_EQ(gdiBaseline_, simwin::LiveGdiObjects()) << "a drawing object outlived the pages";
    SheetDeviceTest::TearDown();
}

void PageTest::OpenPage(int row) {
    DIGCPAGEINFO* descriptions = nullptr;
    ASSERT_EQ(S_OK, IDIGameCntrlPropSheet_GetPageInfo(sheet_->get(), &descriptions));
    const DIGCPAGEINFO& description = descriptions[row];
    std::vector<PROPSHEETPAGEA> pages(2);
    for (PROPSHEETPAGEA& page : pages) {
        page = {};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DEFAULT;
        page.hInstance = description.hInstance;
    }
    pages[0].pszTemplate = reinterpret_cast<LPCSTR>(description.lpwszTemplate);
    pages[0].pfnDlgProc = description.fpPageProc;
    pages[0].lParam = description.lParam;
    pages[1].pszTemplate = MAKEINTRESOURCEA(kInertTemplate);
    pages[1].pfnDlgProc = InertPage;
    frame_ = simwin::OpenPropertySheet(pages.data(), static_cast<UINT>(pages.size()));
    ASSERT_NE(nullptr, frame_);
    page_ = simwin::PropertySheetPageWindow(frame_, 0);
    ASSERT_NE(nullptr, page_);
}

void PageTest::LeavePage() {
    ASSERT_TRUE(simwin::SelectPropertySheetPage(frame_, 1));
}

void PageTest::ReturnToPage() {
    ASSERT_TRUE(simwin::SelectPropertySheetPage(frame_, 0));
}

void PageTest::ClosePage() {
    if (frame_ != nullptr) {
        simwin::ClosePropertySheet(frame_, false);
        frame_ = nullptr;
        page_ = nullptr;
    }
}

std::string PageTest::ItemText(int id) const {
    char text[128] = {};
    GetWindowTextA(Item(id), text, sizeof text);
    return text;
}

bool PageTest::ItemShown(int id) const {
    return (GetWindowLongA(Item(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::vector<std::pair<UINT_PTR, UINT>> PageTest::PageTimers() const {
    std::vector<std::pair<UINT_PTR, UINT>> timers;
    for (const simwin::WindowTimerInfo& timer : simwin::WindowTimers()) {
        if (timer.window == page_) {
            timers.emplace_back(timer.id, timer.period);
        }
    }
    return timers;
}

void PageTest::Tick(UINT_PTR timer) {
    ASSERT_TRUE(simwin::FireWindowTimer(page_, timer)) << "the page's timer is not running";
}

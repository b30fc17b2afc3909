#include "page_fixture.h"

#include <prsht.h>
#include <simwin/control_property_sheet.h>
#include <simwin/control_windows.h>
#include <simwin/control_drawing.h>

#include <vector>

#include "property_sheet/page_table.h"
#include "property_sheet/resources/padscope_resources.h"
#include "support/sheet_with_one_page.h"

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
    frame_ = test_support::OpenSheetWithOnePage(descriptions[row]);
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

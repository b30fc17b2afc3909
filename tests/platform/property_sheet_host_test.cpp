#include <windows.h>

#include <prsht.h>

#include "simwin/control_property_sheet.h"
#include "simwin/control_windows.h"
#include "test_dialog_resources.h"
#include "ui_fixture.h"

namespace {

struct Event {
    int page;  // the page's lParam
    UINT message;
    UINT code;  // WM_NOTIFY: the notification code
    HWND from;  // WM_NOTIFY: hwndFrom
};

std::vector<Event> g_events;
LPARAM g_init_parameter = 0;
bool g_refuse_kill_active = false;

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto* description = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
            g_init_parameter = lParam;
            SetWindowLongPtrA(page, GWLP_USERDATA, description->lParam);
            g_events.push_back({static_cast<int>(description->lParam), message, 0, nullptr});
            return TRUE;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            g_events.push_back({static_cast<int>(GetWindowLongPtrA(page, GWLP_USERDATA)), message,
                                header->code, header->hwndFrom});
            SetWindowLongPtrA(page, DWLP_MSGRESULT,
                              header->code == PSN_KILLACTIVE && g_refuse_kill_active);
            return TRUE;
        }
        case WM_DESTROY:
            g_events.push_back(
                {static_cast<int>(GetWindowLongPtrA(page, GWLP_USERDATA)), message, 0, nullptr});
            return FALSE;
        default:
            return FALSE;
    }
}

std::vector<UINT> g_callbacks;
UINT CALLBACK PageCallback(HWND, UINT message, PROPSHEETPAGEA*) {
    g_callbacks.push_back(message);
    return 1;
}

class PropertySheetHost : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        simwin::RegisterModuleResources(kModule, &test_resources::kResources);
        g_events.clear();
        g_callbacks.clear();
        g_refuse_kill_active = false;
        for (int i = 0; i < 2; ++i) {
            pages_[i] = {};
            pages_[i].dwSize = sizeof(PROPSHEETPAGEA);
            pages_[i].dwFlags = PSP_USECALLBACK | PSP_USEREFPARENT;
            pages_[i].hInstance = kModule;
            pages_[i].pszTemplate = MAKEINTRESOURCEA(i == 0 ? test_resources::kPageDialog
                                                            : test_resources::kSecondPageDialog);
            pages_[i].pfnDlgProc = PageProc;
            pages_[i].lParam = i + 1;
            pages_[i].pfnCallback = PageCallback;
            pages_[i].pcRefParent = &references_;
        }
    }

    std::vector<std::pair<int, UINT>> Notifications() const {
        std::vector<std::pair<int, UINT>> seen;
        for (const Event& event : g_events) {
            seen.emplace_back(event.page, event.message == WM_NOTIFY ? event.code : event.message);
        }
        return seen;
    }

    PROPSHEETPAGEA pages_[2];
    UINT references_ = 0;
};

TEST_F(PropertySheetHost, TabsSwitchWithKillActiveBeforeSetActive) {
    HWND sheet = simwin::OpenPropertySheet(pages_, 2, "Gamepad");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(references_, 2u);
    EXPECT_EQ(simwin::PropertySheetTabs(sheet),
              (std::vector<std::string>{"Function Test", "Vibration Test"}));
    HWND first = simwin::PropertySheetPageWindow(sheet, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetParent(first), sheet) << "pages are children of the frame";
    EXPECT_EQ(simwin::PropertySheetPageWindow(sheet, 1), nullptr) << "created when first shown";
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_TRUE(IsWindowEnabled(first)) << "the template's WS_DISABLED is dropped for pages";
    // WM_INITDIALOG carries the sheet's copy of the page description.
    const auto* copy = reinterpret_cast<const PROPSHEETPAGEA*>(g_init_parameter);
    EXPECT_NE(copy, &pages_[0]);
    EXPECT_EQ(copy->lParam, 1);
    EXPECT_EQ(copy->pfnDlgProc, PageProc);

    ASSERT_TRUE(simwin::SelectPropertySheetPage(sheet, 1));
    HWND second = simwin::PropertySheetPageWindow(sheet, 1);
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_TRUE(IsWindowVisible(second));
    ASSERT_TRUE(simwin::SelectPropertySheetPage(sheet, 0));
    EXPECT_EQ(simwin::ActivePropertySheetPage(sheet), 0);
    const std::vector<std::pair<int, UINT>> expected = {
        {1, WM_INITDIALOG}, {1, PSN_SETACTIVE},  {1, PSN_KILLACTIVE}, {2, WM_INITDIALOG},
        {2, PSN_SETACTIVE}, {2, PSN_KILLACTIVE}, {1, PSN_SETACTIVE},
    };
    EXPECT_EQ(Notifications(), expected);
    for (const Event& event : g_events) {
        if (event.message == WM_NOTIFY) {
            EXPECT_EQ(event.from, sheet);
        }
    }
    EXPECT_EQ(g_callbacks, (std::vector<UINT>{PSPCB_CREATE, PSPCB_CREATE}));

    // A page that refuses to lose the focus stays active.
    g_refuse_kill_active = true;
    g_events.clear();
    EXPECT_FALSE(simwin::SelectPropertySheetPage(sheet, 1));
    EXPECT_EQ(simwin::ActivePropertySheetPage(sheet), 0);
    EXPECT_EQ(Notifications(), (std::vector<std::pair<int, UINT>>{{1, PSN_KILLACTIVE}}));
    EXPECT_FALSE(simwin::ClosePropertySheet(sheet, true));
    EXPECT_TRUE(IsWindow(sheet));
}

TEST_F(PropertySheetHost, ClosingAppliesOrResetsThenDestroysEveryPage) {
    HWND sheet = simwin::OpenPropertySheet(pages_, 2);
    ASSERT_TRUE(simwin::SelectPropertySheetPage(sheet, 1));
    g_events.clear();
    ASSERT_TRUE(simwin::ClosePropertySheet(sheet, true));
    const std::vector<std::pair<int, UINT>> expected = {
        {2, PSN_KILLACTIVE}, {1, PSN_APPLY}, {2, PSN_APPLY}, {1, WM_DESTROY}, {2, WM_DESTROY},
    };
    EXPECT_EQ(Notifications(), expected);
    EXPECT_FALSE(IsWindow(sheet));
    EXPECT_EQ(simwin::ActivePropertySheetPage(sheet), -1);
    EXPECT_EQ(references_, 0u);
    EXPECT_EQ(g_callbacks,
              (std::vector<UINT>{PSPCB_CREATE, PSPCB_CREATE, PSPCB_RELEASE, PSPCB_RELEASE}));

    // Cancel resets only the pages that were ever created.
    sheet = simwin::OpenPropertySheet(pages_, 2);
    g_events.clear();
    ASSERT_TRUE(simwin::ClosePropertySheet(sheet, false));
    EXPECT_EQ(Notifications(),
              (std::vector<std::pair<int, UINT>>{{1, PSN_RESET}, {1, WM_DESTROY}}));
    EXPECT_TRUE(simwin::AllWindows().empty());
}

TEST_F(PropertySheetHost, PrematurePagesAndUnusableDescriptions) {
    pages_[1].dwFlags |= PSP_PREMATURE;
    HWND sheet = simwin::OpenPropertySheet(pages_, 2);
    ASSERT_NE(simwin::PropertySheetPageWindow(sheet, 1), nullptr);
    EXPECT_FALSE(IsWindowVisible(simwin::PropertySheetPageWindow(sheet, 1)));
    simwin::ClosePropertySheet(sheet, false);

    pages_[0].pszTemplate = MAKEINTRESOURCEA(999);
    EXPECT_EQ(simwin::OpenPropertySheet(pages_, 2), nullptr);
    EXPECT_EQ(references_, 0u) << "a sheet that failed to open gives its references back";
    pages_[0].pszTemplate = MAKEINTRESOURCEA(test_resources::kPageDialog);
    pages_[0].dwSize = 12;
    EXPECT_EQ(simwin::OpenPropertySheet(pages_, 2), nullptr);
}

}  // namespace

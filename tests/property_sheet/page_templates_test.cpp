// The loaded sheet module's dialog templates and warning icon, as the
// control panel meets them: each page dialog created with CreateDialogParamA
// from the module's own resources, its controls read back as windows. The
// expected values are the page layouts of this build's model (and, for the
// Vibration Test page of model T, of its width).
#include <gtest/gtest.h>
#include <prsht.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <simwin/control_property_sheet.h>
#include <simwin/control_windows.h>
#include <strings.h>

#include <memory>
#include <string>
#include <vector>

#include "profiles/selected_model.h"
#include "property_sheet/controller_sheet_interface.h"
#include "property_sheet/page_table.h"
#include "property_sheet/pages/about_page.h"
#include "support/loaded_module.h"

namespace {

using test_support::LoadedModule;

constexpr bool kModelS = kModelProfile.model == DeviceModel::S;
constexpr bool kWide = sizeof(void*) == 8;

constexpr WORD kFunctionTest = 107;
constexpr WORD kVibrationTest = 108;
constexpr WORD kCalibration = 109;
constexpr WORD kAbout = 112;
constexpr WORD kWarningIcon = 114;

constexpr DWORD kPageStyle = 0x48C00040;
constexpr DWORD kAboutStyle = 0x48C80040;
constexpr DWORD kIndicator = 0x50010000;
constexpr DWORD kText = 0x50020000;
constexpr DWORD kGroup = 0x50000007;
constexpr DWORD kHiddenIcon = 0x40000003;
constexpr DWORD kPushButton = 0x50010000;

struct ExpectedDialog {
    WORD id;
    const char* caption;
    int cx, cy;  // dialog units
    DWORD style;
    const char* font;
    WORD points;
    size_t controls;
};

struct ExpectedControl {
    WORD dialog;
    int id;  // -1: found by its text
    const char* className;
    const char* text;
    int x, y, cx, cy;  // dialog units
    DWORD style;
    DWORD exStyle;
};

const ExpectedDialog kModelSDialogs[] = {
    {kFunctionTest, "Function Test", 251, 223, kPageStyle, "Arial", 8, 23},
    {kCalibration, "Calibration Function", 251, 223, kPageStyle, "Arial", 8, 19},
    {kVibrationTest, "Vibration Test", 251, 223, kPageStyle, "Arial", 8, 13},
    {kAbout, "About", 198, 174, kAboutStyle, "Arial", 10, 3},
};

const ExpectedDialog kModelTDialogs[] = {
    {kFunctionTest, "Function Test", 253, 227, kPageStyle, "Arial", 8, 23},
    {kCalibration, "Calibration Function", 258, 227, kPageStyle, "Arial", 8, 19},
    {kVibrationTest, "Vibration Test", 253, kWide ? 225 : 227, kPageStyle, "Arial", 8, 13},
    {kAbout, "About", 211, 183, kAboutStyle, "Arial", 10, 3},
};

// The same in every build.
const ExpectedControl kCommonControls[] = {
    {kFunctionTest, 1000, "LampControl", "1", 29, 116, 15, 14, kIndicator, 0},
    {kFunctionTest, 1011, "LampControl", "12", 210, 145, 15, 14, kIndicator, 0},
    {kFunctionTest, 1014, "PovControl", "Custom3", 166, 27, 58, 50, kIndicator, 0},
    {kFunctionTest, 1024, "Static", "", 45, 193, 185, 8, kText, 0},
    {kFunctionTest, 1057, "Button", "Buttons", 10, 99, 231, 73, kGroup, 0},
    {kVibrationTest, 1027, "msctls_trackbar32", "", 80, 20, 120, 14, 0x50010010, 0},
    {kVibrationTest, 1049, "Static", "", 205, 20, 25, 13, 0x50000001, WS_EX_STATICEDGE},
    {kVibrationTest, 1045, "Button", "Both force", 106, kModelS || !kWide ? 45 : 40, 45, 15,
     kPushButton, 0},
    {kCalibration, 1053, "Button", "Calibration", 10, 7, 236, 166, kGroup, 0},
    {kCalibration, 1012, "AxesControl", "", 40, 65, 55, 45, kIndicator, 0},
    {kCalibration, 1016, "Static", "0", 53, 120, 18, 8, kText, 0},
    {kCalibration, 1025, "Static", "", 45, 191, 181, 8, kText, 0},
    {kCalibration, 1060, "Button", "Connected State", 10, 178, 236, 29, kGroup, 0},
};

const ExpectedControl kModelSControls[] = {
    {kFunctionTest, 1012, "AxesControl", "Custom2", 25, 30, 44, 40, kIndicator, 0},
    {kFunctionTest, 1013, "AxesControl", "Custom2", 79, 30, 44, 40, kIndicator, 0},
    {kFunctionTest, 1056, "Button", "POV", 150, 7, 91, 87, kGroup, 0},
    {kFunctionTest, -1, "Static", "1(X)and 2(Y)", 26, 79, 55, 9, kText, 0},
    {kFunctionTest, -1, "Static", "3(Z) and 4(Rz)", 80, 79, 58, 10, kText, 0},
    {kFunctionTest, 1037, "Static", "", 18, 188, 20, 18, kHiddenIcon, 0},
    {kVibrationTest, 1054, "Button", "Effect", 9, 3, 235, 177, kGroup, 0},
    {kVibrationTest, -1, "Static", "Vibration strength:", 20, 22, 61, 8, kText, 0},
    {kVibrationTest, 1042, "Button", "Stop", 106, 65, 45, 15, kPushButton, 0},
    {kVibrationTest, 1059, "Button", "Connected State", 9, 183, 236, 31, kGroup, 0},
    {kVibrationTest, 1038, "Static", "", 15, 190, 21, 20, kHiddenIcon, 0},
    {kVibrationTest, 1026, "Static", "", 39, 196, 178, 8, kText, 0},
    {kCalibration, -1, "Static",
     "To Set your Controller's  Center Position, first click button \"Default\" and then "
     "click button \"Set\" to calibrate it. ",
     13, 16, 230, 18, kText, 0},
    {kCalibration, 1052, "Button", "Right Axis", 136, 38, 104, 96, 0x50000107, 0},
    {kCalibration, -1, "Static", "Z =", 151, 120, 13, 8, kText, 0},
    {kCalibration, 1019, "Static", "0", 216, 120, 18, 8, kText, 0},
    {kCalibration, 1021, "Button", "Default", 152, 144, 56, 16, kPushButton, 0},
    {kCalibration, 1022, "Button", "Set", 42, 144, 56, 16, kPushButton, 0},
    {kCalibration, 1039, "Static", "", 18, 185, 21, 20, kHiddenIcon, 0},
    {kAbout, 1050, "Button", "Unotrek", 26, 44, 147, 94, 0x50000307, 0},
    {kAbout, -1, "Static", "Driver Version: V3.39(2005.03)", 41, 73, 118, 12, 0x50020081, 0},
    {kAbout, -1, "Static", "Force feedback driver\nfor Unotrek controllers", 50, 97, 114, 25, kText,
     0},
};

const ExpectedControl kModelTControls[] = {
    {kFunctionTest, 1012, "AxesControl", "Custom2", 20, 30, 45, 40, kIndicator, 0},
    {kFunctionTest, 1013, "AxesControl", "Custom2", 84, 30, 45, 40, kIndicator, 0},
    {kFunctionTest, 1056, "Button", "Point of View Hat", 150, 7, 91, 87, kGroup, 0},
    {kFunctionTest, -1, "Static", "1(X) and 2(Y)", 20, 79, 46, 7, kText, 0},
    {kFunctionTest, -1, "Static", "3(Rz) and 4(Z)", 82, 79, 49, 8, kText, 0},
    {kFunctionTest, 1037, "Static", "", 18, 189, 20, 20, kHiddenIcon, 0},
    {kCalibration, -1, "Static",
     "  Please click button \"Default\" at first. Move axes with biggest radius. Then release "
     "them to make it in center position. And click button \"Set\" to calibrate it.",
     14, 15, 227, 25, kText, 0},
    {kCalibration, 1052, "Button", "Right Axis", 136, 43, 104, 91, 0x50000107, 0},
    {kCalibration, -1, "Static", "Rz =", 152, 119, 17, 8, kText, 0},
    {kCalibration, 1018, "Static", "0", 214, 119, 18, 8, kText, 0},
    {kCalibration, 1021, "Button", "Default", 41, 143, 56, 16, kPushButton, 0},
    {kCalibration, 1022, "Button", "Set", 151, 143, 56, 16, kPushButton, 0},
    {kCalibration, 1039, "Static", "", 18, 185, 20, 20, kHiddenIcon, 0},
    {kAbout, 1050, "Button", "Gemtrek", 25, 43, 159, 89, 0x50000307, 0},
    {kAbout, -1, "Static", "Driver Version: 3.39(2005.08)", 43, 79, 110, 13, 0x50020081, 0},
    {kAbout, -1, "Static", "Force feedback driver\nfor Gemtrek controllers", 50, 103, 114, 22,
     kText, 0},
};

// Model T's Vibration Test page is laid out differently in its x64 build.
const ExpectedControl kModelTWideVibrationControls[] = {
    {kVibrationTest, 1054, "Button", "Effect", 9, 5, 235, 164, kGroup, 0},
    {kVibrationTest, -1, "Static", "Vibration strength:", 20, 22, 60, 8, kText, 0},
    {kVibrationTest, 1042, "Button", "Stop", 106, 60, 45, 15, kPushButton, 0},
    {kVibrationTest, -1, "Button", "Move X/Y axis to make vibration", 65, 77, 115, 85, kGroup, 0},
    {kVibrationTest, 1023, "RumbleControl", "", 93, 98, 60, 50, kIndicator, 0},
    {kVibrationTest, 1059, "Button", "Connected State", 9, 171, 236, 31, kGroup, 0},
    {kVibrationTest, 1038, "Static", "", 15, 180, 21, 18, kHiddenIcon, 0},
    {kVibrationTest, 1026, "Static", "", 43, 184, 178, 8, kText, 0},
};

const ExpectedControl kModelTNarrowVibrationControls[] = {
    {kVibrationTest, 1054, "Button", "Effect", 9, 5, 235, 177, kGroup, 0},
    {kVibrationTest, -1, "Static", "Vibration strength:", 20, 22, 60, 8, kText, 0},
    {kVibrationTest, 1042, "Button", "Stop", 106, 65, 45, 15, kPushButton, 0},
    {kVibrationTest, -1, "Button", "Move X/Y axis to make vibration", 65, 88, 115, 85, kGroup, 0},
    {kVibrationTest, 1023, "RumbleControl", "", 93, 109, 60, 50, kIndicator, 0},
    {kVibrationTest, 1059, "Button", "Connected State", 9, 185, 236, 31, kGroup, 0},
    {kVibrationTest, 1038, "Static", "", 15, 194, 20, 20, kHiddenIcon, 0},
    {kVibrationTest, 1026, "Static", "", 39, 198, 178, 8, kText, 0},
};

std::vector<ExpectedControl> ExpectedControls() {
    std::vector<ExpectedControl> rows(std::begin(kCommonControls), std::end(kCommonControls));
    if (kModelS) {
        rows.insert(rows.end(), std::begin(kModelSControls), std::end(kModelSControls));
    } else {
        rows.insert(rows.end(), std::begin(kModelTControls), std::end(kModelTControls));
        if (kWide) {
            rows.insert(rows.end(), std::begin(kModelTWideVibrationControls),
                        std::end(kModelTWideVibrationControls));
        } else {
            rows.insert(rows.end(), std::begin(kModelTNarrowVibrationControls),
                        std::end(kModelTNarrowVibrationControls));
        }
    }
    return rows;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Position and size in pixels, relative to the dialog.
RECT PlacementOf(HWND dialog, HWND control) {
    RECT outer, inner;
    GetWindowRect(dialog, &outer);
    GetWindowRect(control, &inner);
    return {inner.left - outer.left, inner.top - outer.top, inner.right - inner.left,
            inner.bottom - inner.top};
}

// Position and size in dialog units converted the way the dialog manager
// converts them (each on its own, as a template gives them).
RECT Pixels(HWND dialog, int x, int y, int cx, int cy) {
    RECT rect = {x, y, cx, cy};
    MapDialogRect(dialog, &rect);
    return rect;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) +
           "x" + std::to_string(r.bottom);
}

INT_PTR CALLBACK NoProcessing(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

class PageTemplates : public ::testing::Test {
  protected:
    void SetUp() override {
        simwin::Reset();
        module_ = std::make_unique<LoadedModule>(PADSCOPE_LIBRARY);
        ASSERT_TRUE(module_->loaded());
        // A prepared sheet has registered the pages' window classes.
        void* factory = nullptr;
        ASSERT_EQ(S_OK, module_->GetClassObject(kModelProfile.propertySheetClassId,
                                                IID_IClassFactory, &factory));
        void* sheet = nullptr;
        ASSERT_EQ(S_OK, IClassFactory_CreateInstance(static_cast<IClassFactory*>(factory), nullptr,
                                                     IID_IDIGameCntrlPropSheet, &sheet));
        IClassFactory_Release(static_cast<IClassFactory*>(factory));
        sheet_ = static_cast<IDIGameCntrlPropSheet*>(sheet);
        // Pages are child windows: they need a frame to live in.
        frame_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(nullptr, frame_);
    }
    void TearDown() override {
        DestroyWindow(frame_);
        if (sheet_ != nullptr) {
            IDIGameCntrlPropSheet_Release(sheet_);
        }
        EXPECT_EQ(0u, simwin::LiveDirectInputObjects());
        module_.reset();
        simwin::Reset();
    }

    HWND Dialog(WORD id) {
        return CreateDialogParamA(module_->handle(), MAKEINTRESOURCEA(id), frame_, NoProcessing, 0);
    }

    static std::vector<HWND> Controls(HWND dialog) {
        std::vector<HWND> controls;
        for (HWND window : simwin::AllWindows()) {
            if (GetParent(window) == dialog) {
                controls.push_back(window);
            }
        }
        return controls;
    }

    // The control of the row: by id, or by text for the unnamed (-1) ones.
    static HWND Find(HWND dialog, const ExpectedControl& row) {
        if (row.id != -1) {
            return GetDlgItem(dialog, row.id);
        }
        for (HWND control : Controls(dialog)) {
            if (GetDlgCtrlID(control) == -1 && TextOf(control) == row.text) {
                return control;
            }
        }
        return nullptr;
    }

    std::unique_ptr<LoadedModule> module_;
    IDIGameCntrlPropSheet* sheet_ = nullptr;
    HWND frame_ = nullptr;
};

TEST_F(PageTemplates, EveryPageDialogHasTheModelsCaptionSizeStyleAndControlCount) {
    const ExpectedDialog* expected = kModelS ? kModelSDialogs : kModelTDialogs;
    for (size_t i = 0; i < 4; ++i) {
        const ExpectedDialog& row = expected[i];
        SCOPED_TRACE("dialog " + std::to_string(row.id));
        HWND dialog = Dialog(row.id);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(row.caption, TextOf(dialog));
        EXPECT_EQ(row.style, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)));
        RECT placement = PlacementOf(dialog, dialog);
        EXPECT_EQ(Describe(Pixels(dialog, 0, 0, row.cx, row.cy)), Describe(placement));
        EXPECT_EQ(row.controls, Controls(dialog).size());
        EXPECT_EQ(row.id, kPageTable[i].templateId) << "the page table's row " << i + 1;
    }
}

TEST_F(PageTemplates, ControlsCarryTheirIdClassTextPlacementAndStyle) {
    for (const ExpectedControl& row : ExpectedControls()) {
        SCOPED_TRACE("dialog " + std::to_string(row.dialog) + ", control " +
                     std::to_string(row.id) + " \"" + row.text + "\"");
        HWND dialog = Dialog(row.dialog);
        ASSERT_NE(nullptr, dialog);
        HWND control = Find(dialog, row);
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(0, strcasecmp(row.className, simwin::ClassNameOf(control).c_str()))
            << simwin::ClassNameOf(control);
        if (row.style != kHiddenIcon) {  // an icon's window text is its resource name
            EXPECT_EQ(row.text, TextOf(control));
        }
        EXPECT_EQ(Describe(Pixels(dialog, row.x, row.y, row.cx, row.cy)),
                  Describe(PlacementOf(dialog, control)));
        EXPECT_EQ(row.style, static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)));
        EXPECT_EQ(row.exStyle, static_cast<DWORD>(GetWindowLongA(control, GWL_EXSTYLE)));
        DestroyWindow(dialog);
    }
}

TEST_F(PageTemplates, EachPagesWarningIconShowsTheModulesIcon114Hidden) {
    const struct {
        WORD dialog;
        int icon;
    } pages[] = {{kFunctionTest, 1037}, {kCalibration, 1039}, {kVibrationTest, 1038}};
    for (const auto& page : pages) {
        SCOPED_TRACE("dialog " + std::to_string(page.dialog));
        HWND dialog = Dialog(page.dialog);
        ASSERT_NE(nullptr, dialog);
        HWND icon = GetDlgItem(dialog, page.icon);
        ASSERT_NE(nullptr, icon);
        EXPECT_FALSE(GetWindowLongA(icon, GWL_STYLE) & WS_VISIBLE);
        simwin::IconInfo info = {};
        ASSERT_TRUE(simwin::DescribeIcon(
            reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)), &info));
        EXPECT_EQ(module_->handle(), info.module);
        EXPECT_EQ(kWarningIcon, info.id);
        EXPECT_EQ(32, info.width);
        EXPECT_EQ(32, info.height);
    }
}

TEST_F(PageTemplates, TheAboutPageLeavesEveryMessageToDefaultProcessing) {
    EXPECT_EQ(AboutPageProcedure, kPageTable[3].procedure);

    HWND window =
        CreateWindowExA(0, "STATIC", "before", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    char after[] = "after";
    EXPECT_EQ(TRUE, AboutPageProcedure(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(after)));
    EXPECT_EQ("after", TextOf(window));
    EXPECT_EQ(5, AboutPageProcedure(window, WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(0, AboutPageProcedure(window, WM_INITDIALOG, 0, 0));
    DestroyWindow(window);
}

TEST_F(PageTemplates, ShowingAndLeavingTheAboutTabTouchesNoDeviceAndStartsNoTimer) {
    DIGCPAGEINFO* descriptions = nullptr;
    ASSERT_EQ(S_OK, IDIGameCntrlPropSheet_GetPageInfo(sheet_, &descriptions));
    const DIGCPAGEINFO& about = descriptions[3];
    PROPSHEETPAGEA pages[2] = {};
    for (PROPSHEETPAGEA& page : pages) {
        page.dwSize = sizeof page;
        page.hInstance = about.hInstance;
        page.pszTemplate = reinterpret_cast<LPCSTR>(about.lpwszTemplate);
        page.pfnDlgProc = about.fpPageProc;
        page.lParam = about.lParam;
    }
    HWND frame = simwin::OpenPropertySheet(pages, 2);
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ((std::vector<std::string>{"About", "About"}), simwin::PropertySheetTabs(frame));
    ASSERT_TRUE(simwin::SelectPropertySheetPage(frame, 1));
    ASSERT_TRUE(simwin::SelectPropertySheetPage(frame, 0));
    EXPECT_EQ(0u, simwin::LiveDirectInputObjects());
    EXPECT_TRUE(simwin::WindowTimers().empty());
    HWND page = simwin::PropertySheetPageWindow(frame, 0);
    EXPECT_EQ(kModelProfile.productName, TextOf(GetDlgItem(page, 1050)));
    EXPECT_TRUE(simwin::ClosePropertySheet(frame, false));
}

}  // namespace

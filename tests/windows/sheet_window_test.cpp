// The property sheet shown the way the game-controller control panel shows
// it, in a real window: the module loaded through its exports, the sheet's
// descriptions turned into a modeless property sheet, each tab activated in
// turn. The runtime has no controller, so the pages that poll it say so.
#include "loaded_sheet.h"

#include <commctrl.h>

#include <string>

#include "gdi_object_count.h"
#include "program_directory.h"
#include "tools/sheet_viewer/control_panel.h"

namespace windows_test {
namespace {

constexpr USHORT kJoystickId = 0;
// Long enough for several 10 ms page ticks and the paints they cause.
constexpr DWORD kSettleMs = 100;
constexpr wchar_t kNotConnected[] = L"Your game controller is not connected correctly!";

constexpr UINT kFunctionTestTab = 0;
constexpr UINT kCalibrationTab = 1;
constexpr UINT kVibrationTestTab = 2;
constexpr UINT kAboutTab = 3;

// The pages that poll the controller: their tab, the id of their window
// timer, and their connection text and warning icon.
struct PollingPage {
    const char* name;
    UINT tab;
    UINT_PTR timer;
    int statusText;
    int warningIcon;
};
constexpr PollingPage kPollingPages[] = {
    {"Function Test", kFunctionTestTab, 1, 1024, 1037},
    {"Calibration", kCalibrationTab, 2, 1025, 1039},
    {"Vibration Test", kVibrationTestTab, 3, 1026, 1038},
};

// One control of a page template: its id, its window class and, where not
// null, its text.
struct ControlFact {
    int id;
    const wchar_t* windowClass;
    const wchar_t* text;
};

std::wstring WindowClass(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

void ExpectControls(HWND page, const std::initializer_list<ControlFact>& controls) {
    for (const ControlFact& control : controls) {
        SCOPED_TRACE(testing::Message() << "control " << control.id);
        HWND window = GetDlgItem(page, control.id);
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(0, lstrcmpiW(control.windowClass, WindowClass(window).c_str()))
            << "class " << testing::PrintToString(WindowClass(window));
        if (control.text != nullptr) {
            EXPECT_EQ(control.text, WindowText(window));
        }
    }
}

class ShownSheet : public ::testing::Test {
  protected:
    void TearDown() override {
        EXPECT_EQ(S_OK, panel_.Close()) << "the closed sheet left the module in use";
    }

    void Open(UINT firstTab = kFunctionTestTab) {
        const std::string path = ProgramDirectory() + PADSCOPE_MODULE_NAME;
        const std::wstring widePath(path.begin(), path.end());
        ASSERT_EQ(S_OK,
                  panel_.Open(widePath, kModelProfile.propertySheetClassId, kJoystickId, firstTab))
            << "failed at " << panel_.failure();
        ASSERT_TRUE(panel_.PumpMessages(kSettleMs));
    }

    // Activates `tab` as a click does and lets its page run for a while.
    // The page shown then.
    HWND Visit(UINT tab) {
        EXPECT_TRUE(panel_.SelectTab(tab)) << "tab " << tab;
        EXPECT_TRUE(panel_.PumpMessages(kSettleMs));
        return panel_.currentPage();
    }

    control_panel::ControlPanel panel_;
};

TEST_F(ShownSheet, ShowsFourTabsUnderTheProductName) {
    Open();
    EXPECT_EQ(ProductNameWide(), WindowText(panel_.window()));
    ASSERT_EQ(4u, panel_.tabCount());
    const wchar_t* captions[] = {L"Function Test", L"Calibration Function", L"Vibration Test",
                                 L"About"};
    for (UINT tab = 0; tab < 4; ++tab) {
        EXPECT_EQ(captions[tab], panel_.TabText(tab));
    }
}

TEST_F(ShownSheet, EachPageHasItsControls) {
    Open();
    const std::wstring productName = ProductNameWide();

    HWND page = Visit(kFunctionTestTab);
    ASSERT_NE(nullptr, page);
    for (int button = 0; button < 12; ++button) {
        const std::wstring label = std::to_wstring(button + 1);
        ExpectControls(page, {{1000 + button, L"LampControl", label.c_str()}});
    }
    ExpectControls(page, {{1012, L"AxesControl", nullptr},
                          {1013, L"AxesControl", nullptr},
                          {1014, L"PovControl", nullptr},
                          {1055, L"Button", L"Axes"},
                          {1057, L"Button", L"Buttons"},
                          {1058, L"Button", L"Connected State"},
                          {1024, L"Static", nullptr},
                          {1037, L"Static", nullptr}});

    page = Visit(kCalibrationTab);
    ASSERT_NE(nullptr, page);
    ExpectControls(page, {{1053, L"Button", L"Calibration"},
                          {1051, L"Button", L"Left Axis"},
                          {1052, L"Button", L"Right Axis"},
                          {1012, L"AxesControl", nullptr},
                          {1013, L"AxesControl", nullptr},
                          {1016, L"Static", L"0"},
                          {1019, L"Static", L"0"},
                          {1021, L"Button", L"Default"},
                          {1022, L"Button", L"Set"},
                          {1060, L"Button", L"Connected State"}});

    page = Visit(kVibrationTestTab);
    ASSERT_NE(nullptr, page);
    ExpectControls(page, {{1054, L"Button", L"Effect"},
                          {1027, TRACKBAR_CLASSW, nullptr},
                          {1043, L"Button", L"Left force"},
                          {1045, L"Button", L"Both force"},
                          {1044, L"Button", L"Right force"},
                          {1042, L"Button", L"Stop"},
                          {1023, L"RumbleControl", nullptr},
                          {1059, L"Button", L"Connected State"}});
    // The strength slider runs over the driver's whole scale even while no
    // controller answers: a position of another scale would be stored as
    // the strength.
    HWND slider = GetDlgItem(page, 1027);
    EXPECT_EQ(0, SendMessageW(slider, TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(1200, SendMessageW(slider, TBM_GETRANGEMAX, 0, 0));

    page = Visit(kAboutTab);
    ASSERT_NE(nullptr, page);
    ExpectControls(page, {{1050, L"Button", productName.c_str()}});
}

TEST_F(ShownSheet, PollingPagesShowThatNoControllerAnswers) {
    Open();
    for (const PollingPage& polling : kPollingPages) {
        SCOPED_TRACE(polling.name);
        HWND page = Visit(polling.tab);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(kNotConnected, WindowText(GetDlgItem(page, polling.statusText)));
        HWND icon = GetDlgItem(page, polling.warningIcon);
        EXPECT_TRUE(IsWindowVisible(icon)) << "the warning icon is hidden";
        EXPECT_NE(0, SendMessageW(icon, STM_GETICON, 0, 0)) << "the warning icon shows nothing";
    }
}

TEST_F(ShownSheet, AboutPageAloneOpensNoDevice) {
    Open(kAboutTab);
    ExpectControls(panel_.currentPage(), {{1050, L"Button", ProductNameWide().c_str()}});
    LPDIRECTINPUTDEVICE2A device = nullptr;
    IDirectInputJoyConfig* config = nullptr;
    IDIGameCntrlPropSheet_GetInputDevice(panel_.sheet(), &device);
    IDIGameCntrlPropSheet_GetJoyConfigObject(panel_.sheet(), &config);
    EXPECT_EQ(nullptr, device);
    EXPECT_EQ(nullptr, config);
}

TEST_F(ShownSheet, LeftPageKeepsNoTimerAndNoDrawingObject) {
    Open();
    ASSERT_NE(0u, LiveGdiObjects()) << "the runtime's drawing objects cannot be counted";
    // A first round fills what the runtime caches for itself (fonts, the
    // common controls' brushes); the second round is measured.
    for (UINT tab = 0; tab < 4; ++tab) {
        Visit(tab);
    }
    for (const PollingPage& polling : kPollingPages) {
        SCOPED_TRACE(polling.name);
        Visit(kAboutTab);
        const size_t before = LiveGdiObjects();
        HWND page = Visit(polling.tab);
        ASSERT_NE(nullptr, page);
        Visit(kAboutTab);
        EXPECT_FALSE(KillTimer(page, polling.timer)) << "the page's timer outlived the tab";
        EXPECT_EQ(before, LiveGdiObjects()) << "drawing objects left behind";
    }
    Visit(kFunctionTestTab);
    const size_t before = LiveGdiObjects();
    Visit(kAboutTab);
    Visit(kFunctionTestTab);
    EXPECT_EQ(before, LiveGdiObjects()) << "the About page left drawing objects behind";
}

TEST_F(ShownSheet, UnloadedModuleLeavesNoWindowClassBehind) {
    Open();
    HMODULE unloaded = panel_.module();
    ASSERT_EQ(S_OK, panel_.Close());
    ASSERT_EQ(nullptr, GetModuleHandleA(PADSCOPE_MODULE_NAME)) << "the module is still loaded";
    for (const char* name : {"LampControl", "AxesControl", "PovControl", "RumbleControl"}) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        EXPECT_FALSE(GetClassInfoExA(unloaded, name, &windowClass))
            << name << " still names a procedure of the unloaded module";
    }

    // Loaded again, the module's indicators are its own again.
    Open();
    ExpectControls(panel_.currentPage(), {{1000, L"LampControl", L"1"}});
}

}  // namespace
}  // namespace windows_test

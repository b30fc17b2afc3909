#include <windows.h>

#include "simwin/control_windows.h"
#include "test_dialog_resources.h"
#include "ui_fixture.h"

namespace {

class Dialogs : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        simwin::RegisterModuleResources(kModule, &test_resources::kResources);
    }
};

std::vector<LoggedMessage> g_dialog_messages;
INT_PTR g_notify_answer = 0;

INT_PTR CALLBACK RecordingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    g_dialog_messages.push_back({dialog, message, wParam, lParam});
    switch (message) {
        case WM_INITDIALOG:
            return FALSE;  // the page keeps the focus where it is
        case WM_NOTIFY:
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, g_notify_answer);
            return TRUE;
        default:
            return FALSE;
    }
}

TEST_F(Dialogs, TemplateControlsAreFoundByIdWithTheirTextsStylesAndPlaces) {
    HWND parent = CreateTopLevel();
    HWND dialog = CreateDialogParamA(kModule, MAKEINTRESOURCEA(test_resources::kPageDialog), parent,
                                     RecordingDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(simwin::ClassNameOf(dialog), "#32770");
    EXPECT_EQ(GetParent(dialog), parent);
    char text[64];
    GetWindowTextA(dialog, text, sizeof(text));
    EXPECT_STREQ(text, "Function Test");
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 380);   // 253 * 6 / 4, rounded
    EXPECT_EQ(client.bottom, 369);  // 227 * 13 / 8, rounded

    struct Case {
        int id;
        const char* className;
        const char* text;
        DWORD style;
        RECT pixels;  // in the dialog's client area
    };
    const Case cases[] = {
        {1000, "LoggingWindow", "1", 0x50010000, {44, 189, 67, 212}},
        {1058, "BUTTON", "Connected State", 0x50000007, {15, 289, 362, 341}},
        {1024, "STATIC", "", 0x50020000, {68, 314, 346, 327}},
        {1037, "STATIC", "", 0x40000003, {27, 307, 57, 340}},
        {1027, "msctls_trackbar32", "", 0x50010000 | TBS_NOTICKS, {120, 33, 300, 56}},
        {1043, "BUTTON", "Left force", 0x50010000, {69, 73, 137, 97}},
    };
    for (const Case& c : cases) {
        HWND item = GetDlgItem(dialog, c.id);
        ASSERT_NE(item, nullptr) << c.id;
        EXPECT_EQ(GetDlgCtrlID(item), c.id);
        EXPECT_EQ(simwin::ClassNameOf(item), c.className) << c.id;
        GetWindowTextA(item, text, sizeof(text));
        EXPECT_STREQ(text, c.text) << c.id;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(item, GWL_STYLE)), c.style) << c.id;
        RECT placed;
        GetWindowRect(item, &placed);
        EXPECT_TRUE(EqualRect(&placed, &c.pixels))
            << c.id << ": " << placed.left << "," << placed.top << "," << placed.right << ","
            << placed.bottom;
    }
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 1037))) << "the warning icon starts hidden";
    HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, 1037, STM_GETICON, 0, 0));
    simwin::IconInfo info;
    ASSERT_TRUE(simwin::DescribeIcon(icon, &info));
    EXPECT_EQ(info.module, kModule);
    EXPECT_EQ(info.id, test_resources::kWarningIcon);
    EXPECT_EQ(icon, LoadIconA(kModule, MAKEINTRESOURCEA(test_resources::kWarningIcon)));
    EXPECT_EQ(GetDlgItem(dialog, 4242), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));
}

TEST_F(Dialogs, DialogProcedureSeesInitDialogParameterAndAnswersThroughMsgResult) {
    g_dialog_messages.clear();
    int sheet = 0;
    HWND dialog = CreateDialogParamA(kModule, "#107", CreateTopLevel(), RecordingDialogProc,
                                     reinterpret_cast<LPARAM>(&sheet));
    ASSERT_NE(dialog, nullptr);
    ASSERT_FALSE(g_dialog_messages.empty());
    EXPECT_EQ(g_dialog_messages[0].message, static_cast<UINT>(WM_INITDIALOG))
        << "the first message the dialog procedure sees";
    EXPECT_EQ(g_dialog_messages[0].lParam, reinterpret_cast<LPARAM>(&sheet));
    EXPECT_EQ(g_dialog_messages[0].wParam, reinterpret_cast<WPARAM>(GetDlgItem(dialog, 1000)))
        << "the first tab stop";
    EXPECT_EQ(simwin::DialogInitResult(dialog), FALSE);

    NMHDR header = {dialog, 0, static_cast<UINT>(-201)};
    g_notify_answer = TRUE;
    EXPECT_EQ(SendMessageA(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), TRUE);
    g_notify_answer = 0;
    EXPECT_EQ(SendMessageA(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 0);
    // FALSE falls back to default processing: the text messages still work.
    EXPECT_TRUE(SetWindowTextA(dialog, "Renamed"));
    EXPECT_EQ(GetWindowTextLengthA(dialog), 7);

    g_dialog_messages.clear();
    DestroyWindow(dialog);
    ASSERT_FALSE(g_dialog_messages.empty());
    EXPECT_EQ(g_dialog_messages[0].message, static_cast<UINT>(WM_DESTROY));
}

TEST_F(Dialogs, MissingTemplatesAndControlsFailTheDialog) {
    HWND parent =
        CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr, kModule, nullptr);
    EXPECT_EQ(CreateDialogParamA(kModule, MAKEINTRESOURCEA(999), parent, RecordingDialogProc, 0),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(CreateDialogParamA(reinterpret_cast<HINSTANCE>(0x777000), MAKEINTRESOURCEA(107),
                                 parent, RecordingDialogProc, 0),
              nullptr);

    // Without the custom class registered, the dialog cannot be built.
    ASSERT_TRUE(UnregisterClassA("LoggingWindow", kModule));
    const size_t windowsBefore = simwin::AllWindows().size();
    EXPECT_EQ(CreateDialogParamA(kModule, MAKEINTRESOURCEA(107), parent, RecordingDialogProc, 0),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(simwin::AllWindows().size(), windowsBefore) << "nothing left behind";

    simwin::FailCall("CreateDialogParamA");
    EXPECT_EQ(CreateDialogParamA(kModule, MAKEINTRESOURCEA(108), parent, RecordingDialogProc, 0),
              nullptr);
}

TEST_F(Dialogs, LoadedModulesBringTheirResourcesAndTakeThemAway) {
    HMODULE module = LoadLibraryA(SIMWIN_TEST_MODULE);
    ASSERT_NE(module, nullptr);
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(9));
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(10)), nullptr);
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(7), nullptr, RecordingDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    char text[16];
    GetDlgItemTextA(dialog, 100, text, sizeof(text));
    EXPECT_STREQ(text, "loaded");
    DestroyWindow(dialog);
    simwin::Reset();  // a loaded module keeps its resources across Reset
    EXPECT_NE(LoadIconA(module, MAKEINTRESOURCEA(9)), nullptr);
    ASSERT_TRUE(FreeLibrary(module));
    EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(9)), nullptr);

    EXPECT_NE(LoadIconA(nullptr, IDI_WINLOGO), nullptr);
    EXPECT_NE(LoadIconA(nullptr, IDI_WARNING), LoadIconA(nullptr, IDI_WINLOGO));
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(5)), nullptr);
}

}  // namespace

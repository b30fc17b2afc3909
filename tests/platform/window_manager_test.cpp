#include <windows.h>

#include "simwin/control_windows.h"
#include "ui_fixture.h"

namespace {

using WindowManager = UiTest;

LRESULT CALLBACK RefusingCreateProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageLog().push_back({window, message, wParam, lParam});
    if (message == WM_CREATE) {
        return -1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

CREATESTRUCTA g_created;
LRESULT CALLBACK CapturingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        g_created = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
    }
    return LoggingWindowProc(window, message, wParam, lParam);
}

TEST_F(WindowManager, ClassNamesAreRegisteredOnceWhateverTheirCase) {
    WNDCLASSA attributes = {};
    attributes.style = CS_HREDRAW | CS_VREDRAW;
    attributes.lpfnWndProc = LoggingWindowProc;
    attributes.hInstance = kModule;
    attributes.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    attributes.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    attributes.lpszClassName = "LampControl";
    const ATOM atom = RegisterClassA(&attributes);
    EXPECT_NE(atom, 0);

    attributes.lpszClassName = "LAMPCONTROL";
    SetLastError(0);
    EXPECT_EQ(RegisterClassA(&attributes), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    attributes.lpszClassName = "static";  // the standard classes are taken too
    EXPECT_EQ(RegisterClassA(&attributes), 0);

    WNDCLASSA found = {};
    ASSERT_TRUE(GetClassInfoA(kModule, "lampcontrol", &found));
    EXPECT_EQ(found.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(found.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_NE(found.hCursor, nullptr);
    HWND byAtom =
        CreateWindowA(MAKEINTATOM(atom), "", 0, 0, 0, 10, 10, nullptr, nullptr, kModule, nullptr);
    ASSERT_NE(byAtom, nullptr);
    EXPECT_EQ(simwin::ClassNameOf(byAtom), "LampControl");  // keeps the first spelling

    EXPECT_FALSE(UnregisterClassA("LampControl", kModule));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    DestroyWindow(byAtom);
    EXPECT_TRUE(UnregisterClassA("LampControl", kModule));
    attributes.lpszClassName = "LampControl";
    EXPECT_NE(RegisterClassA(&attributes), 0) << "free again once unregistered";

    simwin::Reset();  // classes go with the machine
    EXPECT_FALSE(GetClassInfoA(kModule, "LampControl", &found));
    EXPECT_EQ(CreateWindowA("LampControl", "", 0, 0, 0, 1, 1, nullptr, nullptr, kModule, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(WindowManager, CreationSendsNcCreateThenCreateWithTheCreateStruct) {
    WNDCLASSA capturing = {};
    capturing.lpfnWndProc = CapturingProc;
    capturing.lpszClassName = "Capturing";
    ASSERT_NE(RegisterClassA(&capturing), 0);
    int parameter = 42;
    HWND top = CreateWindowExA(WS_EX_CONTROLPARENT, "Capturing", "Caption",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 300, 200, nullptr, nullptr,
                               kModule, &parameter);
    ASSERT_NE(top, nullptr);
    ASSERT_GE(MessageLog().size(), 2u);
    EXPECT_EQ(MessageLog()[0].message, static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(MessageLog()[1].message, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(MessageLog()[0].lParam, MessageLog()[1].lParam) << "the same record for both";
    EXPECT_EQ(g_created.lpCreateParams, &parameter);
    EXPECT_EQ(g_created.hInstance, kModule);
    EXPECT_EQ(g_created.x, 10);
    EXPECT_EQ(g_created.y, 20);
    EXPECT_EQ(g_created.cx, 300);
    EXPECT_EQ(g_created.cy, 200);
    EXPECT_EQ(static_cast<DWORD>(g_created.style),
              static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    EXPECT_EQ(g_created.dwExStyle, static_cast<DWORD>(WS_EX_CONTROLPARENT));
    EXPECT_STREQ(g_created.lpszClass, "Capturing");
    char text[16];
    EXPECT_EQ(GetWindowTextA(top, text, sizeof(text)), 7);
    EXPECT_STREQ(text, "Caption");
    EXPECT_TRUE(IsWindowVisible(top));
    RECT client;
    ASSERT_TRUE(GetClientRect(top, &client));
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);

    HWND child = CreateChild(top, 1001);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), top);
    EXPECT_EQ(GetDlgCtrlID(child), 1001);
    EXPECT_EQ(GetDlgItem(top, 1001), child);
    EXPECT_EQ(GetParent(top), nullptr);

    WNDCLASSA refusing = {};
    refusing.lpfnWndProc = RefusingCreateProc;
    refusing.lpszClassName = "Refusing";
    ASSERT_NE(RegisterClassA(&refusing), 0);
    MessageLog().clear();
    EXPECT_EQ(CreateWindowA("Refusing", "", WS_CHILD, 0, 0, 5, 5, top, nullptr, kModule, nullptr),
              nullptr);
    std::vector<UINT> order;
    for (const auto& entry : MessageLog()) {
        order.push_back(entry.message);
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(simwin::AllWindows(), (std::vector<HWND>{top, child}));

    EXPECT_EQ(CreateChild(nullptr, 1), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD));
}

TEST_F(WindowManager, DestructionReachesParentsFirstThenFreesChildrenFirst) {
    HWND top = CreateTopLevel();
    HWND page = CreateChild(top, 1);
    HWND control = CreateChild(page, 2);
    HWND sibling = CreateChild(top, 3);
    SetTimer(control, 7, 10, nullptr);
    MessageLog().clear();

    ASSERT_TRUE(DestroyWindow(top));
    const std::vector<std::pair<HWND, UINT>> expected = {
        {top, WM_DESTROY},       {page, WM_DESTROY},      {control, WM_DESTROY},
        {sibling, WM_DESTROY},   {control, WM_NCDESTROY}, {page, WM_NCDESTROY},
        {sibling, WM_NCDESTROY}, {top, WM_NCDESTROY},
    };
    EXPECT_EQ(Logged({WM_DESTROY, WM_NCDESTROY}), expected);
    for (HWND gone : {top, page, control, sibling}) {
        EXPECT_FALSE(IsWindow(gone));
    }
    EXPECT_TRUE(simwin::WindowTimers().empty());
    EXPECT_FALSE(DestroyWindow(top));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SendMessageA(top, WM_USER, 0, 0), 0);
    HWND newer = CreateTopLevel();
    EXPECT_NE(newer, top) << "handles are never reused";
}

TEST_F(WindowManager, UserDataRoundTripsAtBothWidths) {
    HWND window = CreateTopLevel();
    // The 32-bit slot as the indicator controls use it: packed positions.
    EXPECT_EQ(SetWindowLongA(window, GWL_USERDATA, static_cast<LONG>(0x80008000u)), 0);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_USERDATA)), 0x80008000u);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), static_cast<LONG_PTR>(INT32_C(-2147450880)))
        << "a 32-bit store is sign-extended";

    const LONG_PTR wide =
        static_cast<LONG_PTR>(sizeof(LONG_PTR) == 8 ? 0x123456789ABCDEF0 : 0x12345678);
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, wide),
              static_cast<LONG_PTR>(INT32_C(-2147450880)));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), wide);
    EXPECT_EQ(GetWindowLongA(window, GWL_USERDATA), static_cast<LONG>(wide));

    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE, static_cast<LONG>(WS_VISIBLE));
    SetWindowLongA(window, GWL_STYLE, WS_OVERLAPPEDWINDOW);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(LoggingWindowProc));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_HINSTANCE), reinterpret_cast<LONG_PTR>(kModule));

    SetLastError(0);
    EXPECT_EQ(GetWindowLongA(window, 0), 0);  // no extra bytes
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(GetWindowLongA(reinterpret_cast<HWND>(0x4), GWL_USERDATA), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowManager, TextVisibilityAndEnablingFollowTheirMessages) {
    HWND top = CreateTopLevel(WS_OVERLAPPEDWINDOW);
    HWND child = CreateChild(top, 5);
    EXPECT_FALSE(IsWindowVisible(child)) << "a visible child of a hidden parent is not shown";
    EXPECT_FALSE(ShowWindow(top, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_TRUE(ShowWindow(child, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(child));

    MessageLog().clear();
    EXPECT_TRUE(SetDlgItemTextA(top, 5, "Your game controller is connected correctly."));
    char text[8];
    EXPECT_EQ(GetDlgItemTextA(top, 5, text, sizeof(text)), 7u);  // cut to the buffer
    EXPECT_STREQ(text, "Your ga");
    EXPECT_EQ(GetWindowTextLengthA(child), 44);
    EXPECT_EQ(Logged({WM_SETTEXT}).size(), 1u);
    EXPECT_FALSE(SetDlgItemTextA(top, 6, "x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));

    EXPECT_FALSE(EnableWindow(child, FALSE));  // was enabled
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_TRUE(EnableWindow(child, TRUE));  // was disabled
    EXPECT_EQ(Logged({WM_ENABLE}).size(), 2u);
}

}  // namespace

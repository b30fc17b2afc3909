#include <windows.h>

#include <commctrl.h>

#include "simwin/control_drawing.h"
#include "simwin/control_windows.h"
#include "ui_fixture.h"

namespace {

using StandardControls = UiTest;

HWND CreateControl(HWND parent, const char* className, DWORD style, int id) {
    return CreateWindowA(className, "Stop", WS_CHILD | WS_VISIBLE | style, 0, 0, 120, 20, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

TEST_F(StandardControls, ClickedButtonsTellTheirParent) {
    HWND page = CreateTopLevel();
    HWND stop = CreateControl(page, "BUTTON", BS_PUSHBUTTON, 1042);
    HWND group = CreateControl(page, "BUTTON", BS_GROUPBOX, 1058);
    MessageLog().clear();

    EXPECT_TRUE(simwin::ClickButton(stop));
    ASSERT_EQ(Logged({WM_COMMAND}).size(), 1u);
    const LoggedMessage& command = MessageLog().back();
    EXPECT_EQ(command.window, page);
    EXPECT_EQ(LOWORD(command.wParam), 1042);
    EXPECT_EQ(HIWORD(command.wParam), BN_CLICKED);
    EXPECT_EQ(command.lParam, reinterpret_cast<LPARAM>(stop));

    EXPECT_TRUE(simwin::ClickButton(group));  // clickable, but a group box says nothing
    EnableWindow(stop, FALSE);
    EXPECT_FALSE(simwin::ClickButton(stop));
    EnableWindow(stop, TRUE);
    ShowWindow(stop, SW_HIDE);
    EXPECT_FALSE(simwin::ClickButton(stop));
    EXPECT_FALSE(simwin::ClickButton(page)) << "not a button";
    EXPECT_EQ(Logged({WM_COMMAND}).size(), 1u);
}

TEST_F(StandardControls, TrackbarKeepsItsRangeAndTellsTheParentOfUserMoves) {
    InitCommonControls();
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_BAR_CLASSES};
    EXPECT_TRUE(InitCommonControlsEx(&classes));
    HWND page = CreateTopLevel();
    HWND slider = CreateControl(page, TRACKBAR_CLASSA, TBS_NOTICKS, 1027);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPAGESIZE, 0, 0), 20);

    simwin::ClearInvalidAreas();
    SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELONG(0, 1200));
    EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), 1200);
    EXPECT_FALSE(simwin::InvalidAreas(slider).empty()) << "redraw requested";
    MessageLog().clear();
    struct Case {
        LPARAM set;
        LRESULT read;
    };
    for (const Case& c : {Case{1000, 1000}, Case{1500, 1200}, Case{-3, 0}}) {
        SendMessageA(slider, TBM_SETPOS, TRUE, c.set);
        EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), c.read) << c.set;
    }
    EXPECT_TRUE(Logged({WM_HSCROLL}).empty()) << "TBM_SETPOS notifies nobody";
    SendMessageA(slider, TBM_SETRANGEMIN, FALSE, 10);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 10) << "pulled into the new range";
    SendMessageA(slider, TBM_SETRANGEMIN, FALSE, 0);
    EXPECT_EQ(SendMessageA(slider, TBM_SETPAGESIZE, 0, 100), 240);
    SendMessageA(slider, TBM_SETTICFREQ, 100, 0);

    EXPECT_TRUE(simwin::DragTrackbarThumb(slider, 599));
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 599);
    std::vector<std::pair<WORD, WORD>> codes;
    for (const auto& entry : MessageLog()) {
        if (entry.message == WM_HSCROLL) {
            EXPECT_EQ(entry.window, page);
            EXPECT_EQ(entry.lParam, reinterpret_cast<LPARAM>(slider));
            codes.emplace_back(LOWORD(entry.wParam), HIWORD(entry.wParam));
        }
    }
    EXPECT_EQ(codes, (std::vector<std::pair<WORD, WORD>>{
                         {TB_THUMBTRACK, 599}, {TB_THUMBPOSITION, 599}, {TB_ENDTRACK, 0}}));

    MessageLog().clear();
    EXPECT_TRUE(simwin::ScrollTrackbar(slider, TB_PAGEDOWN));
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 699);
    EXPECT_TRUE(simwin::ScrollTrackbar(slider, TB_BOTTOM));
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 1200);
    EXPECT_EQ(Logged({WM_HSCROLL}).size(), 4u);
    EXPECT_TRUE(simwin::DragTrackbarThumb(slider, 5000));
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 1200);
    EnableWindow(slider, FALSE);
    EXPECT_FALSE(simwin::DragTrackbarThumb(slider, 0));
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 1200);
}

TEST_F(StandardControls, StaticTextRepaintsWithItsNewText) {
    HWND page = CreateTopLevel();
    HWND status = CreateControl(page, "STATIC", SS_CENTER | SS_NOPREFIX, 1024);
    simwin::PaintNow();
    SetWindowTextA(status, "Your game controller is not connected correctly!");
    EXPECT_EQ(simwin::PaintNow(), 1u);
    simwin::PaintRecord paint;
    ASSERT_TRUE(simwin::LastPaint(status, &paint));
    ASSERT_EQ(paint.primitives.size(), 1u);
    EXPECT_EQ(paint.primitives[0].kind, simwin::PrimitiveKind::DrawText);
    EXPECT_EQ(paint.primitives[0].text, "Your game controller is not connected correctly!");
    EXPECT_EQ(paint.primitives[0].format,
              static_cast<UINT>(DT_CENTER | DT_WORDBREAK | DT_NOPREFIX));
}

}  // namespace

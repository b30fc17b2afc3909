#include <windows.h>

#include "simwin/control_drawing.h"
#include "simwin/control_windows.h"
#include "ui_fixture.h"

namespace {

using WindowPainting = UiTest;

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

TEST_F(WindowPainting, InvalidationsAreRecordedAsGiven) {
    HWND top = CreateTopLevel(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80);
    HWND control = CreateChild(top, 1, WS_CHILD | WS_VISIBLE, 60, 40);
    // A window that appears needs painting whole, with erasing.
    auto created = simwin::InvalidAreas(control);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_TRUE(SameRect(created[0].rect, {0, 0, 60, 40}));
    EXPECT_TRUE(created[0].erase);
    simwin::ClearInvalidAreas();

    const RECT box = {-3, 5, 20, 50};  // beyond the client area: kept as given
    EXPECT_TRUE(InvalidateRect(control, &box, TRUE));
    EXPECT_TRUE(RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE));
    const RECT empty = {5, 5, 5, 9};
    EXPECT_TRUE(InvalidateRect(control, &empty, FALSE));
    const auto areas = simwin::InvalidAreas(control);
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_TRUE(SameRect(areas[0].rect, box));
    EXPECT_TRUE(areas[0].erase);
    EXPECT_EQ(areas[0].flags, static_cast<UINT>(RDW_INVALIDATE | RDW_ERASE));
    EXPECT_TRUE(SameRect(areas[1].rect, {0, 0, 60, 40}));
    EXPECT_FALSE(areas[1].erase);
    EXPECT_EQ(areas[1].flags, static_cast<UINT>(RDW_INVALIDATE));

    // Validating cuts the validated part out of every record.
    simwin::ClearInvalidAreas(control);
    const RECT whole = {0, 0, 60, 40};
    InvalidateRect(control, &whole, FALSE);
    const RECT middle = {10, 10, 50, 30};
    ValidateRect(control, &middle);
    RECT bounds;
    EXPECT_TRUE(GetUpdateRect(control, &bounds, FALSE));
    EXPECT_TRUE(SameRect(bounds, whole));
    int area = 0;
    for (const auto& piece : simwin::InvalidAreas(control)) {
        area += (piece.rect.right - piece.rect.left) * (piece.rect.bottom - piece.rect.top);
    }
    EXPECT_EQ(area, 60 * 40 - 40 * 20);
    ValidateRect(control, nullptr);
    EXPECT_FALSE(GetUpdateRect(control, &bounds, FALSE));
    EXPECT_FALSE(InvalidateRect(reinterpret_cast<HWND>(0x4), nullptr, TRUE));
}

TEST_F(WindowPainting, PaintNowPaintsShownWindowsParentsFirst) {
    HWND top = CreateTopLevel(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80);
    HWND shown = CreateChild(top, 1);
    HWND hiddenPage = CreateChild(top, 2, WS_CHILD);
    HWND onHiddenPage = CreateChild(hiddenPage, 3);
    MessageLog().clear();

    EXPECT_EQ(simwin::PaintNow(), 2u);
    EXPECT_EQ(Logged({WM_PAINT}),
              (std::vector<std::pair<HWND, UINT>>{{top, WM_PAINT}, {shown, WM_PAINT}}));
    EXPECT_TRUE(simwin::InvalidAreas(shown).empty()) << "the default paint validates";
    EXPECT_FALSE(simwin::InvalidAreas(onHiddenPage).empty()) << "hidden windows wait";
    EXPECT_EQ(simwin::PaintNow(), 0u);

    ShowWindow(hiddenPage, SW_SHOW);
    MessageLog().clear();
    EXPECT_EQ(simwin::PaintNow(), 2u);
    EXPECT_EQ(Logged({WM_PAINT}), (std::vector<std::pair<HWND, UINT>>{{hiddenPage, WM_PAINT},
                                                                      {onHiddenPage, WM_PAINT}}));

    // UpdateWindow paints at once, and only a window that needs it.
    MessageLog().clear();
    UpdateWindow(shown);
    EXPECT_TRUE(Logged({WM_PAINT}).empty());
    RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(Logged({WM_PAINT}).size(), 1u);
}

LRESULT CALLBACK EraseAndPaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        // Invalidated while painting: kept for the next paint.
        RECT again = {1, 1, 2, 2};
        InvalidateRect(window, &again, FALSE);
        MoveToEx(dc, paint.rcPaint.left, paint.rcPaint.top, nullptr);
        LineTo(dc, paint.rcPaint.right, paint.rcPaint.bottom);
        SetWindowLongPtrA(window, GWLP_USERDATA, paint.fErase);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(WindowPainting, BeginPaintAnswersTheInvalidBoxAndErasesWithTheClassBrush) {
    WNDCLASSA attributes = {};
    attributes.lpfnWndProc = EraseAndPaintProc;
    attributes.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    attributes.lpszClassName = "Painted";
    ASSERT_NE(RegisterClassA(&attributes), 0);
    HWND window = CreateWindowA("Painted", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 40, nullptr,
                                nullptr, kModule, nullptr);
    simwin::ClearInvalidAreas();
    const RECT a = {5, 6, 10, 12};
    const RECT b = {30, 2, 70, 8};  // reaches past the right edge: clipped
    InvalidateRect(window, &a, FALSE);
    InvalidateRect(window, &b, TRUE);
    ASSERT_EQ(simwin::PaintNow(), 1u);

    simwin::PaintRecord paint;
    ASSERT_TRUE(simwin::LastPaint(window, &paint));
    EXPECT_TRUE(SameRect(paint.paintRect, {5, 2, 50, 12}));
    EXPECT_TRUE(paint.erased);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), FALSE) << "the class brush erased it";
    ASSERT_EQ(paint.background.size(), 1u);
    EXPECT_EQ(paint.background[0].kind, simwin::PrimitiveKind::FillRect);
    EXPECT_EQ(paint.background[0].brush.color, GetSysColor(COLOR_BTNFACE));
    ASSERT_EQ(paint.primitives.size(), 1u);
    EXPECT_EQ(paint.primitives[0].kind, simwin::PrimitiveKind::Line);
    EXPECT_EQ(simwin::InvalidAreas(window).size(), 1u);
    EXPECT_EQ(simwin::PaintCount(window), 1u);
    EXPECT_EQ(simwin::LiveDeviceContexts(), 0u);
}

}  // namespace

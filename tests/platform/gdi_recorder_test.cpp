#include <windows.h>

#include "simwin/control_drawing.h"
#include "ui_fixture.h"

namespace {

using GdiRecorder = UiTest;
using simwin::PrimitiveKind;

TEST_F(GdiRecorder, RecordsEachPrimitiveWithTheStateItWasDrawnWith) {
    HDC dc = simwin::CreateRecordingDC();
    const size_t before = simwin::LiveGdiObjects();
    HPEN grey = CreatePen(PS_SOLID, 1, RGB(161, 157, 157));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    EXPECT_EQ(simwin::LiveGdiObjects(), before + 2);

    HGDIOBJ firstPen = SelectObject(dc, grey);
    EXPECT_EQ(firstPen, GetStockObject(BLACK_PEN)) << "a context starts with the black pen";
    MoveToEx(dc, 0, 39, nullptr);
    LineTo(dc, 0, 0);
    LineTo(dc, 49, 0);
    const RECT field = {2, 2, 48, 38};
    FillRect(dc, &field, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ firstBrush = SelectObject(dc, red);
    EXPECT_EQ(firstBrush, GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_PEN)), grey);
    Ellipse(dc, 20, 15, 31, 26);
    EXPECT_EQ(SetTextColor(dc, RGB(202, 202, 202)), RGB(0, 0, 0));
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    RECT band = {0, 12, 50, 28};
    EXPECT_EQ(DrawTextA(dc, "12", -1, &band, DT_CENTER), 13);
    Arc(dc, 0, 0, 50, 40, 15, 32, 40, 12);
    const POINT arrow[] = {{25, 5}, {30, 10}, {20, 10}};
    Polygon(dc, arrow, 3);

    const auto drawn = simwin::RecordedPrimitives(dc);
    ASSERT_EQ(drawn.size(), 7u);
    struct Expected {
        PrimitiveKind kind;
        COLORREF pen;
        COLORREF brush;
    };
    const Expected expected[] = {
        {PrimitiveKind::Line, RGB(161, 157, 157), RGB(255, 255, 255)},
        {PrimitiveKind::Line, RGB(161, 157, 157), RGB(255, 255, 255)},
        {PrimitiveKind::FillRect, RGB(161, 157, 157), RGB(255, 255, 255)},
        {PrimitiveKind::Ellipse, RGB(255, 255, 255), RGB(255, 0, 0)},
        {PrimitiveKind::DrawText, RGB(255, 255, 255), RGB(255, 0, 0)},
        {PrimitiveKind::Arc, RGB(255, 255, 255), RGB(255, 0, 0)},
        {PrimitiveKind::Polygon, RGB(255, 255, 255), RGB(255, 0, 0)},
    };
    for (size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i].kind, expected[i].kind) << i;
        EXPECT_EQ(drawn[i].pen.color, expected[i].pen) << i;
        EXPECT_EQ(drawn[i].brush.color, expected[i].brush) << i;
    }
    EXPECT_EQ(drawn[0].from.y, 39);
    EXPECT_EQ(drawn[1].from.x, 0);  // continues from the previous end
    EXPECT_EQ(drawn[1].to.x, 49);
    EXPECT_EQ(drawn[0].pen.width, 1);
    EXPECT_EQ(drawn[0].pen.style, PS_SOLID);
    EXPECT_EQ(drawn[3].rect.right, 31);
    EXPECT_EQ(drawn[4].text, "12");
    EXPECT_EQ(drawn[4].format, static_cast<UINT>(DT_CENTER));
    EXPECT_EQ(drawn[4].textColor, RGB(202, 202, 202));
    EXPECT_EQ(drawn[4].backgroundMode, TRANSPARENT);
    EXPECT_EQ(drawn[4].font, GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(drawn[3].textColor, RGB(0, 0, 0)) << "state is taken when each call is made";
    EXPECT_EQ(drawn[5].arcStart.x, 15);
    EXPECT_EQ(drawn[5].arcEnd.y, 12);
    EXPECT_EQ(drawn[6].points.size(), 3u);
    EXPECT_EQ(drawn[6].points[1].x, 30);

    // A selected object cannot be deleted; once deselected it can.
    EXPECT_FALSE(DeleteObject(red));
    EXPECT_EQ(SelectObject(dc, firstBrush), red);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_TRUE(DeleteObject(grey));
    EXPECT_FALSE(DeleteObject(grey)) << "deleted handles stay invalid";
    EXPECT_EQ(simwin::LiveGdiObjects(), before);
    simwin::DeleteRecordingDC(dc);
    EXPECT_EQ(simwin::LiveDeviceContexts(), 0u);
}

TEST_F(GdiRecorder, StockObjectsAreSharedNeverCountedNeverDeleted) {
    const size_t before = simwin::LiveGdiObjects();
    const int stock[] = {WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH,  WHITE_PEN,
                         BLACK_PEN,   NULL_PEN,    SYSTEM_FONT, DEFAULT_GUI_FONT};
    for (int index : stock) {
        HGDIOBJ object = GetStockObject(index);
        ASSERT_NE(object, nullptr) << index;
        EXPECT_EQ(GetStockObject(index), object) << index;
        EXPECT_TRUE(DeleteObject(object)) << index;
        EXPECT_EQ(GetStockObject(index), object) << index;
    }
    EXPECT_EQ(GetStockObject(9), nullptr);
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
    EXPECT_EQ(simwin::LiveGdiObjects(), before);
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_PEN)), static_cast<DWORD>(OBJ_PEN));

    // A paint that forgets to delete shows in the count; Reset clears it.
    CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    EXPECT_EQ(simwin::LiveGdiObjects(), before + 1);
    simwin::FailCall("CreateSolidBrush");
    EXPECT_EQ(CreateSolidBrush(RGB(1, 2, 3)), nullptr);
    simwin::Reset();
    EXPECT_EQ(simwin::LiveGdiObjects(), 0u);
}

TEST_F(GdiRecorder, PolygonRegionBoxExcludesRightAndBottom) {
    struct Case {
        const char* what;
        std::vector<POINT> points;
        int complexity;
        RECT box;
    };
    const Case cases[] = {
        {"rectangle", {{2, 3}, {12, 3}, {12, 9}, {2, 9}}, SIMPLEREGION, {2, 3, 12, 9}},
        {"closed arrow",
         {{50, 4}, {56, 10}, {53, 10}, {53, 20}, {47, 20}, {47, 10}, {44, 10}, {50, 4}},
         COMPLEXREGION,
         {44, 4, 56, 20}},
        {"negative coordinates", {{-5, -5}, {5, 0}, {0, 5}}, COMPLEXREGION, {-5, -5, 5, 5}},
        {"a line has no area", {{0, 0}, {5, 5}, {10, 10}}, NULLREGION, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        HRGN region =
            CreatePolygonRgn(c.points.data(), static_cast<int>(c.points.size()), ALTERNATE);
        ASSERT_NE(region, nullptr) << c.what;
        RECT box;
        EXPECT_EQ(GetRgnBox(region, &box), c.complexity) << c.what;
        EXPECT_TRUE(EqualRect(&box, &c.box)) << c.what << ": " << box.left << "," << box.top << ","
                                             << box.right << "," << box.bottom;
        EXPECT_TRUE(DeleteObject(region)) << c.what;
    }
    RECT box;
    const POINT one[] = {{1, 1}};
    EXPECT_EQ(CreatePolygonRgn(one, 0, ALTERNATE), nullptr);
    EXPECT_EQ(CreatePolygonRgn(one, 1, 7), nullptr);
    EXPECT_EQ(GetRgnBox(static_cast<HRGN>(GetStockObject(WHITE_PEN)), &box), ERROR);

    RECT grown = {44, 4, 56, 20};
    InflateRect(&grown, 3, 3);
    const RECT expected = {41, 1, 59, 23};
    EXPECT_TRUE(EqualRect(&grown, &expected));
    OffsetRect(&grown, -41, -1);
    EXPECT_EQ(grown.left, 0);
    EXPECT_EQ(grown.bottom, 22);
}

}  // namespace

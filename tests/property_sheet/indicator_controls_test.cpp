// The indicator controls as the pages use them: the value each stores, what
// each paint draws for a size and a value, and the areas a hat change
// invalidates.
#include <gtest/gtest.h>

#include <string>

#include "indicator_fixture.h"
#include "property_sheet/controls/axes_control.h"
#include "property_sheet/controls/lamp_control.h"
#include "property_sheet/controls/pov_control.h"

namespace {

using simwin::Primitive;
using simwin::PrimitiveKind;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(100, 100, 100);

struct Line {
    POINT from, to;
    COLORREF color;
    bool operator==(const Line& o) const {
        return from.x == o.from.x && from.y == o.from.y && to.x == o.to.x && to.y == o.to.y &&
               color == o.color;
    }
};
std::ostream& operator<<(std::ostream& os, const Line& l) {
    return os << "(" << l.from.x << "," << l.from.y << ")-(" << l.to.x << "," << l.to.y << ") #"
              << std::hex << l.color << std::dec;
}

std::vector<Line> LinesOf(const std::vector<Primitive>& drawn) {
    std::vector<Line> lines;
    for (const Primitive& p : drawn) {
        if (p.kind == PrimitiveKind::Line) {
            EXPECT_EQ(1, p.pen.width);
            EXPECT_EQ(PS_SOLID, p.pen.style);
            lines.push_back({p.from, p.to, p.pen.color});
        }
    }
    return lines;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The sunken box both the axes and the rumble indicator draw first.
std::vector<Line> SunkenBoxLines(int w, int h) {
    const COLORREF shadow = RGB(161, 157, 157), light = RGB(241, 239, 226);
    return {{{0, h - 1}, {0, 0}, shadow},         {{0, 0}, {w - 1, 0}, shadow},
            {{w - 1, 0}, {w - 1, h - 1}, kWhite}, {{w - 1, h - 1}, {0, h - 1}, kWhite},
            {{1, h - 2}, {1, 1}, kBlack},         {{1, 1}, {w - 2, 1}, kBlack},
            {{w - 2, 1}, {w - 2, h - 2}, light},  {{w - 2, h - 2}, {1, h - 2}, light}};
}

using IndicatorControls = IndicatorTest;

TEST_F(IndicatorControls, AxesCrosshairStaysInsideTheBox) {
    struct Case {
        const char* what;
        int w, h;
        bool set;
        LONG x, y;
        Line horizontal, vertical;
    } cases[] = {
        {"new control: centre",
         100,
         60,
         false,
         0,
         0,
         {{45, 30}, {56, 30}, kBlack},
         {{50, 25}, {50, 36}, kBlack}},
        {"(0, 0): centre (3, 3), bar 3..8",
         100,
         60,
         true,
         0,
         0,
         {{3, 3}, {9, 3}, kBlack},
         {{3, 3}, {3, 9}, kBlack}},
        {"(65535, 65535): centre (W-4, H-4), bar W-9..W-5",
         100,
         60,
         true,
         65535,
         65535,
         {{91, 56}, {96, 56}, kBlack},
         {{96, 51}, {96, 56}, kBlack}},
        {"odd size, quarter way",
         81,
         41,
         true,
         16384,
         49152,
         {{15, 30}, {26, 30}, kBlack},
         {{20, 25}, {20, 36}, kBlack}},
    };
    int id = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND control = MakeControl("AxesControl", id, c.w, c.h);
        if (c.set) {
            SetAxesPosition(parent_, id, c.x, c.y);
        }
        ++id;
        const std::vector<Primitive> drawn = Paint(control);
        std::vector<Line> expected = SunkenBoxLines(c.w, c.h);
        expected.push_back(c.horizontal);
        expected.push_back(c.vertical);
        EXPECT_EQ(expected, LinesOf(drawn));
        const RECT field = {2, 2, c.w - 2, c.h - 2};
        ASSERT_EQ(11u, drawn.size());
        EXPECT_EQ(PrimitiveKind::FillRect, drawn[8].kind) << "the field, before the crosshair";
        EXPECT_TRUE(SameRect(field, drawn[8].rect));
        EXPECT_EQ(kWhite, drawn[8].brush.color);
    }
}

TEST_F(IndicatorControls, SettersStoreTheValueAndInvalidateWithoutErasing) {
    HWND axes = MakeControl("AxesControl", 1, 50, 50);
    EXPECT_EQ(static_cast<LONG_PTR>(0x80008000u), GetWindowLongPtrA(axes, GWLP_USERDATA));
    simwin::ClearInvalidAreas();
    SetAxesPosition(parent_, 1, -10000, 65535);
    EXPECT_EQ(static_cast<LONG_PTR>(0xD8F0FFFFu), GetWindowLongPtrA(axes, GWLP_USERDATA))
        << "each half cut to 16 bits";
    auto areas = simwin::InvalidAreas(axes);
    ASSERT_EQ(1u, areas.size());
    EXPECT_EQ(static_cast<UINT>(RDW_INVALIDATE), areas[0].flags);
    EXPECT_FALSE(areas[0].erase);

    HWND lamp = MakeControl("LampControl", 2, 20, 20, "7");
    EXPECT_EQ(0, GetWindowLongPtrA(lamp, GWLP_USERDATA)) << "a new lamp is black";
    simwin::ClearInvalidAreas();
    SetLampColor(parent_, 2, RGB(150, 0, 0));
    EXPECT_EQ(static_cast<LONG_PTR>(RGB(150, 0, 0)), GetWindowLongPtrA(lamp, GWLP_USERDATA));
    EXPECT_EQ(1u, simwin::InvalidAreas(lamp).size());

    // An id the dialog does not have changes nothing.
    SetAxesPosition(parent_, 99, 1, 1);
    SetLampColor(parent_, 99, 1);
    SetPovDirection(parent_, 99, 0, 100, 100);
    EXPECT_EQ(0u, simwin::LiveGdiObjects());
}

TEST_F(IndicatorControls, LampIsAFilledCircleWithItsNumberAndAHighlight) {
    HWND lamp = MakeControl("LampControl", 3, 24, 20, "12");
    for (COLORREF color : {kBlack, RGB(255, 0, 0)}) {
        SCOPED_TRACE(color);
        SetLampColor(parent_, 3, color);
        const std::vector<Primitive> drawn = Paint(lamp);
        ASSERT_EQ(3u, drawn.size());
        EXPECT_EQ(PrimitiveKind::Ellipse, drawn[0].kind);
        EXPECT_TRUE(SameRect(RECT{0, 0, 24, 20}, drawn[0].rect));
        EXPECT_EQ(color, drawn[0].brush.color);
        EXPECT_EQ(kBlack, drawn[0].pen.color) << "the device context's own pen";

        EXPECT_EQ(PrimitiveKind::DrawText, drawn[1].kind);
        EXPECT_EQ("12", drawn[1].text);
        EXPECT_TRUE(SameRect(RECT{0, 2, 24, 18}, drawn[1].rect));
        EXPECT_EQ(static_cast<UINT>(DT_CENTER), drawn[1].format);
        EXPECT_EQ(RGB(202, 202, 202), drawn[1].textColor);
        EXPECT_EQ(TRANSPARENT, drawn[1].backgroundMode);

        EXPECT_EQ(PrimitiveKind::Arc, drawn[2].kind);
        EXPECT_EQ(kWhite, drawn[2].pen.color);
        EXPECT_EQ(7, drawn[2].arcStart.x);   // trunc(24 * 0.3)
        EXPECT_EQ(16, drawn[2].arcStart.y);  // trunc(20 * 0.8)
        EXPECT_EQ(19, drawn[2].arcEnd.x);
        EXPECT_EQ(6, drawn[2].arcEnd.y);
    }
}

// A 61 × 61 hat indicator: the ring is (10, 10, 50, 50), centre (30, 30),
// radius 20.
TEST_F(IndicatorControls, HatArrowPointsWhereTheHatPoints) {
    struct Case {
        const char* what;
        DWORD direction;
        std::vector<POINT> arrow;  // empty: centred, no arrow
    } cases[] = {
        {"up", 0, {{30, 4}, {36, 10}, {33, 10}, {33, 20}, {27, 20}, {27, 10}, {24, 10}}},
        {"up-right", 4500, {{48, 10}, {48, 19}, {46, 17}, {39, 24}, {34, 19}, {41, 12}, {39, 10}}},
        {"right", 9000, {{56, 30}, {50, 36}, {50, 33}, {40, 33}, {40, 27}, {50, 27}, {50, 24}}},
        {"down", 18000, {{30, 56}, {24, 50}, {27, 50}, {27, 40}, {33, 40}, {33, 50}, {36, 50}}},
        {"left", 27000, {{4, 30}, {9, 24}, {10, 27}, {20, 27}, {20, 33}, {10, 33}, {10, 36}}},
        {"centred", 0xFFFF, {}},
    };
    HWND hat = MakeControl("PovControl", 4, 61, 61);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetPovDirection(parent_, 4, c.direction, 100, 100);
        const std::vector<Primitive> drawn = Paint(hat);
        ASSERT_EQ(c.arrow.empty() ? 2u : 3u, drawn.size());
        EXPECT_EQ(PrimitiveKind::Ellipse, drawn[0].kind) << "the ring";
        EXPECT_TRUE(SameRect(RECT{10, 10, 50, 50}, drawn[0].rect));
        EXPECT_EQ(kGrey, drawn[0].pen.color);
        EXPECT_EQ(kWhite, drawn[0].brush.color);
        EXPECT_EQ(PrimitiveKind::Ellipse, drawn[1].kind) << "the centre dot";
        EXPECT_TRUE(SameRect(RECT{25, 25, 36, 36}, drawn[1].rect));
        EXPECT_EQ(kGrey, drawn[1].brush.color);
        if (!c.arrow.empty()) {
            EXPECT_EQ(PrimitiveKind::Polygon, drawn[2].kind);
            ASSERT_EQ(c.arrow.size(), drawn[2].points.size());
            for (size_t i = 0; i < c.arrow.size(); ++i) {
                EXPECT_EQ(c.arrow[i].x, drawn[2].points[i].x) << i;
                EXPECT_EQ(c.arrow[i].y, drawn[2].points[i].y) << i;
            }
            EXPECT_EQ(kGrey, drawn[2].pen.color);
            EXPECT_EQ(kGrey, drawn[2].brush.color);
        }
    }
    DestroyWindow(hat);
}

TEST_F(IndicatorControls, HatValueTakesItsSizeFromTheOctant) {
    struct Case {
        DWORD direction;
        LONG h, w;
        DWORD stored;
    } cases[] = {
        {9000, 100, 100, 0x00642328},         // right: the horizontal magnitude
        {4500, 40, 100, (70u << 16) | 4500},  // diagonal: the mean
        {0, 40, -90, (90u << 16) | 0},        // up: the vertical one, by its size
        {27000, -60, 10, (60u << 16) | 27000},
        {0x0001FFFF, 100, 100, (60u << 16) | 0xFFFF},  // centred: the size stays
    };
    HWND hat = MakeControl("PovControl", 5, 61, 61);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.direction);
        SetPovDirection(parent_, 5, c.direction, c.h, c.w);
        EXPECT_EQ(static_cast<LONG_PTR>(c.stored), GetWindowLongPtrA(hat, GWLP_USERDATA));
    }
    DestroyWindow(hat);
}

// SetPovDirection invalidates the box of the old arrow and of the new one
// (each grown by 3); the arrow geometry uses the client area less 12.
TEST_F(IndicatorControls, HatChangesInvalidateOnlyTheOldAndNewArrow) {
    HWND hat = MakeControl("PovControl", 6, 61, 61);
    HWND other = MakeControl("PovControl", 7, 61, 61);
    const RECT right = {35, 21, 57, 39}, up = {21, 3, 39, 25};
    auto invalidated = [&](HWND window) {
        std::vector<RECT> boxes;
        for (const simwin::InvalidArea& a : simwin::InvalidAreas(window)) {
            EXPECT_TRUE(a.erase);
            boxes.push_back(a.rect);
        }
        simwin::ClearInvalidAreas();
        return boxes;
    };
    auto expectBoxes = [](const std::vector<RECT>& got, std::vector<RECT> expected) {
        ASSERT_EQ(expected.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_TRUE(SameRect(expected[i], got[i])) << i;
        }
    };
    simwin::ClearInvalidAreas();

    SetPovDirection(parent_, 6, 9000, 100, 100);
    expectBoxes(invalidated(hat), {right});
    SetPovDirection(parent_, 6, 0, 100, 100);
    expectBoxes(invalidated(hat), {right, up});
    SetPovDirection(parent_, 6, 0xFFFF, 100, 100);
    // Centred: the last arrow's area is repainted without it.
    expectBoxes(invalidated(hat), {up});
    EXPECT_EQ(1u, simwin::LiveGdiObjects()) << "one arrow region is kept";

    // Destroying another hat indicator empties the shared regions.
    DestroyWindow(other);
    EXPECT_EQ(0u, simwin::LiveGdiObjects());
    SetPovDirection(parent_, 6, 9000, 100, 100);
    expectBoxes(invalidated(hat), {right});
    DestroyWindow(hat);
}

// A pen or brush that a paint cannot make costs that part of the drawing,
// never a drawing object: one of ours left selected in the context could not
// be deleted, and every later paint would lose another. (The fixture's Paint
// checks that the paint gave back what it made.)
TEST_F(IndicatorControls, APenOrBrushThatCannotBeMadeLosesNoDrawingObject) {
    int id = 100;
    for (const char* className : {"AxesControl", "RumbleControl", "PovControl", "LampControl"}) {
        for (const char* function : {"CreatePen", "CreateSolidBrush"}) {
            for (unsigned nth = 1; nth <= 6; ++nth) {
                SCOPED_TRACE(std::string(className) + ", " + function + " #" + std::to_string(nth) +
                             " fails");
                HWND control = MakeControl(className, id++, 60, 60, "1");
                simwin::FailCall(function, nth);
                Paint(control);
                simwin::ClearFaults();
                DestroyWindow(control);
            }
        }
    }
}

}  // namespace

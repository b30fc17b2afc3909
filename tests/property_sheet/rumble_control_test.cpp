// The rumble indicator: where its dot stands for a stick position, on top of
// the sunken box and the crosshair.
#include "property_sheet/controls/rumble_control.h"

#include <gtest/gtest.h>

#include "indicator_fixture.h"
#include "property_sheet/controls/axes_control.h"

namespace {

using simwin::Primitive;
using simwin::PrimitiveKind;

using RumbleIndicator = IndicatorTest;

TEST_F(RumbleIndicator, TheDotFollowsTheStickWithoutClamping) {
    struct Case {
        const char* what;
        int w, h;
        LONG x, y;
        POINT dot;
    } cases[] = {
        {"centre", 100, 60, 0, 0, {50, 30}},
        {"right edge of the dot area", 100, 60, 10000, 0, {93, 30}},
        {"left edge", 100, 60, -10000, 0, {7, 30}},
        {"bottom edge", 100, 60, 0, 10000, {50, 53}},
        {"top edge", 100, 60, 0, -10000, {50, 7}},
        {"odd width: truncated half extent", 101, 61, 10000, 10000, {93, 53}},
        {"-1 moves one pixel left", 16, 16, -1, -1, {7, 7}},
        {"+1 stays on the centre", 16, 16, 1, 1, {8, 8}},
        {"-1 at width 15 has no pixel to move", 15, 15, -1, -1, {7, 7}},
        {"beyond the range: past the box", 100, 60, 20000, 0, {136, 30}},
    };
    int id = 300;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND control = MakeControl("RumbleControl", id, c.w, c.h);
        SetAxesPosition(parent_, id++, c.x, c.y);
        const std::vector<Primitive> drawn = Paint(control);
        ASSERT_EQ(12u, drawn.size());
        const int cx = c.w / 2, cy = c.h / 2;
        const Primitive& horizontal = drawn[9];
        const Primitive& vertical = drawn[10];
        EXPECT_EQ(cx - 9, horizontal.from.x);
        EXPECT_EQ(cx + 10, horizontal.to.x);
        EXPECT_EQ(cy, horizontal.from.y);
        EXPECT_EQ(cy - 9, vertical.from.y);
        EXPECT_EQ(cy + 10, vertical.to.y);
        const Primitive& dot = drawn[11];
        EXPECT_EQ(PrimitiveKind::Ellipse, dot.kind) << "drawn last";
        EXPECT_EQ(c.dot.x - 5, dot.rect.left);
        EXPECT_EQ(c.dot.y - 5, dot.rect.top);
        EXPECT_EQ(c.dot.x + 6, dot.rect.right);
        EXPECT_EQ(c.dot.y + 6, dot.rect.bottom);
        EXPECT_EQ(RGB(255, 0, 0), dot.brush.color);
        EXPECT_EQ(RGB(0, 0, 0), dot.pen.color) << "outlined by the crosshair's pen";
    }
}

TEST_F(RumbleIndicator, ANewControlShowsTheDotAtTheCentre) {
    HWND control = MakeControl("RumbleControl", 1, 80, 50);
    EXPECT_EQ(0, GetWindowLongPtrA(control, GWLP_USERDATA));
    const std::vector<Primitive> drawn = Paint(control);
    ASSERT_EQ(12u, drawn.size());
    EXPECT_EQ(35, drawn[11].rect.left);
    EXPECT_EQ(20, drawn[11].rect.top);
    EXPECT_EQ(PrimitiveKind::FillRect, drawn[8].kind);
    EXPECT_EQ(RGB(255, 255, 255), drawn[8].brush.color);
}

}  // namespace

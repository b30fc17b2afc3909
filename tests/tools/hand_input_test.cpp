// How the controller window turns pad points and held arrows into readings.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tools/sheet_viewer/controller_reading.h"
#include "tools/sheet_viewer/hand_input.h"

namespace {

using sheet_viewer::AxisAt;
using sheet_viewer::HatFromArrows;
using sheet_viewer::HatFromCell;
using sheet_viewer::PointOfAxis;

constexpr uint32_t kCentred = sheet_viewer::ControllerReading::kHatCentred;

TEST(HandInput, PadPointsSpanTheWholeAxisWithTheCentreInTheMiddle) {
    // A 120-point pad starting at 12, as the controller window lays it out.
    EXPECT_EQ(0, AxisAt(12, 12, 120));
    EXPECT_EQ(255, AxisAt(131, 12, 120));
    EXPECT_EQ(128, AxisAt(12 + 60, 12, 120));
    // Dragged beyond the pad, the stick stays at its end.
    EXPECT_EQ(0, AxisAt(-500, 12, 120));
    EXPECT_EQ(255, AxisAt(4000, 12, 120));
    // A pad without room to move leaves the stick centred.
    EXPECT_EQ(128, AxisAt(5, 5, 1));
    EXPECT_EQ(128, AxisAt(5, 5, 0));
    // Never backwards along the pad.
    for (int point = 12; point < 131; ++point) {
        EXPECT_LE(AxisAt(point, 12, 120), AxisAt(point + 1, 12, 120)) << point;
    }
}

TEST(HandInput, EveryValueIsShownWhereThePadReadsItBack) {
    for (const int length : {120, 121, 7}) {
        EXPECT_EQ(12 + length / 2, PointOfAxis(128, 12, length)) << length;
        EXPECT_EQ(12, PointOfAxis(0, 12, length)) << length;
        EXPECT_EQ(12 + length - 1, PointOfAxis(255, 12, length)) << length;
        // A pad shorter than 256 points cannot show every value apart, but a
        // value shown is read back as the nearest value that pad can give.
        for (int value = 0; value <= 255; ++value) {
            const int point = PointOfAxis(static_cast<uint8_t>(value), 12, length);
            const int readBack = AxisAt(point, 12, length);
            const int stepAround = 256 / (length - 1) + 1;
            EXPECT_LE(std::abs(readBack - value), stepAround) << length << ": " << value;
        }
    }
}

TEST(HandInput, ArrowsMakeEightDirectionsAndCancelOut) {
    const struct {
        bool up, right, down, left;
        uint32_t hat;
    } kCases[] = {
        {false, false, false, false, kCentred},
        {true, false, false, false, 0},
        {true, true, false, false, 4500},
        {false, true, false, false, 9000},
        {false, true, true, false, 13500},
        {false, false, true, false, 18000},
        {false, false, true, true, 22500},
        {false, false, false, true, 27000},
        {true, false, false, true, 31500},
        {true, false, true, false, kCentred},
        {false, true, false, true, kCentred},
        {true, true, true, true, kCentred},
        // Up and down cancel; the right arrow still counts.
        {true, true, true, false, 9000},
    };
    for (const auto& held : kCases) {
        EXPECT_EQ(held.hat, HatFromArrows(held.up, held.right, held.down, held.left))
            << held.up << held.right << held.down << held.left;
    }
}

TEST(HandInput, HatPadCellsPointAwayFromTheMiddle) {
    const uint32_t kCells[3][3] = {
        {31500, 0, 4500},
        {27000, kCentred, 9000},
        {22500, 18000, 13500},
    };
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(kCells[row][column], HatFromCell(column, row)) << column << "," << row;
        }
    }
    EXPECT_EQ(kCentred, HatFromCell(3, 0));
    EXPECT_EQ(kCentred, HatFromCell(0, -1));
}

}  // namespace

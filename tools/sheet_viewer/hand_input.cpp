#include "tools/sheet_viewer/hand_input.h"

#include "tools/sheet_viewer/controller_reading.h"

namespace sheet_viewer {

namespace {

constexpr long kLargestAxis = 255;
constexpr long kAxisCentre = 128;
// A first, a middle and a last point.
constexpr int kSmallestPad = 3;
// Hundredths of a degree between neighbouring directions.
constexpr uint32_t kEighthTurn = 4500;

}  // namespace

uint8_t AxisAt(int position, int start, int length) {
    if (length < kSmallestPad) {
        return kAxisCentre;
    }
    const long offset = static_cast<long>(position) - start;
    const long middle = length / 2;
    const long last = length - 1;
    if (offset <= 0) {
        return 0;
    }
    if (offset >= last) {
        return kLargestAxis;
    }
    // Each half of the pad spans its half of the axis, so that the middle
    // point reads the centre exactly (an even pad has no middle pixel).
    if (offset <= middle) {
        return static_cast<uint8_t>((offset * kAxisCentre + middle / 2) / middle);
    }
    const long above = kLargestAxis - kAxisCentre;
    return static_cast<uint8_t>(kAxisCentre + ((offset - middle) * above + (last - middle) / 2) /
                                                  (last - middle));
}

int PointOfAxis(uint8_t value, int start, int length) {
    if (length < kSmallestPad) {
        return start + length / 2;
    }
    const long middle = length / 2;
    const long last = length - 1;
    if (value <= kAxisCentre) {
        return start + static_cast<int>((value * middle + kAxisCentre / 2) / kAxisCentre);
    }
    const long above = kLargestAxis - kAxisCentre;
    return start +
           static_cast<int>(middle + ((value - kAxisCentre) * (last - middle) + above / 2) / above);
}

uint32_t HatFromArrows(bool up, bool right, bool down, bool left) {
    const int vertical = (down ? 1 : 0) - (up ? 1 : 0);
    const int horizontal = (right ? 1 : 0) - (left ? 1 : 0);
    // Clockwise from up, by the direction each arrow pair points.
    static const int kSteps[3][3] = {
        // horizontal -1, 0, +1
        {7, 0, 1},   // vertical -1 (up)
        {6, -1, 2},  // vertical 0
        {5, 4, 3},   // vertical +1 (down)
    };
    const int step = kSteps[vertical + 1][horizontal + 1];
    return step < 0 ? ControllerReading::kHatCentred : static_cast<uint32_t>(step) * kEighthTurn;
}

uint32_t HatFromCell(int column, int row) {
    if (column < 0 || column > 2 || row < 0 || row > 2) {
        return ControllerReading::kHatCentred;
    }
    return HatFromArrows(row == 0, column == 2, row == 2, column == 0);
}

}  // namespace sheet_viewer

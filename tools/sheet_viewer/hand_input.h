// How a person's hands on the controller window become readings: a point in
// a stick's pad becomes an axis value, held arrows (or a cell of the hat pad)
// become a hat direction. Free of the runtime's headers so that it is
// checked on any machine.
#pragma once

#include <cstdint>

namespace sheet_viewer {

// The axis value of `position` on a pad that starts at `start` and is
// `length` points long: 0 at its first point, the centre 128 at its middle
// point (start + length / 2), 255 at its last, clamped outside; 128 for a
// pad too small to move in.
uint8_t AxisAt(int position, int start, int length);

// Where the pad shows an axis value: the point whose value is nearest to it.
int PointOfAxis(uint8_t value, int start, int length);

// The hat in hundredths of a degree clockwise from up: one of the eight
// directions the held arrows make, or centred (0xFFFFFFFF) when none is held
// or opposite arrows cancel each other out completely.
uint32_t HatFromArrows(bool up, bool right, bool down, bool left);

// The hat of a cell in a 3 by 3 pad, column and row 0..2 from the top left;
// the middle cell (and anything outside) is centred.
uint32_t HatFromCell(int column, int row);

}  // namespace sheet_viewer

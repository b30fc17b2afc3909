// The warning sign the sheet shows beside "Your game controller is not
// connected correctly!": an amber triangle with a dark rim and a black
// exclamation mark, drawn for one square size.
#pragma once

#include <cstdint>
#include <vector>

namespace warning_icon {

struct Pixel {
    uint8_t red, green, blue, alpha;  // straight (not premultiplied) alpha
};

// size x size pixels, top row first. The exclamation mark is placed on
// whole pixels for 16 and 32 so it stays sharp at the sizes the icon ships.
std::vector<Pixel> DrawWarningSign(int size);

}  // namespace warning_icon

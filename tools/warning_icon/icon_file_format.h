// Icon images as the bytes of an .ico file: 32-bit images with alpha and,
// for systems that ignore alpha, an AND mask that hides every fully
// transparent pixel.
#pragma once

#include <vector>

#include "warning_sign.h"

namespace warning_icon {

struct SquareImage {
    int size;
    std::vector<Pixel> pixels;  // size x size, top row first
};

std::vector<unsigned char> IcoFileBytes(const std::vector<SquareImage>& images);

}  // namespace warning_icon

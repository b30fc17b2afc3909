// The image sizes stored in an .ico file, read from its directory.
#pragma once

#include <string>

namespace rc_tables {

struct IconSize {
    int width = 0;
    int height = 0;
};

// The size of the image the platform hands out for a standard icon (32 x
// 32): the image whose width is nearest 32, the larger one on a tie.
// Throws std::runtime_error when the file cannot be read or is no icon.
IconSize StandardIconSize(const std::string& path);

}  // namespace rc_tables

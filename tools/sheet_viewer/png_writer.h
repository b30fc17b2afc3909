// A picture written as a PNG file without an image library: 8-bit RGBA,
// no filtering, the image data in stored (uncompressed) deflate blocks.
// The files are larger than a compressing encoder's, but every viewer reads
// them and the encoder stays small enough to check by eye.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sheet_viewer {

// Rows top to bottom, four bytes per pixel: red, green, blue, alpha.
struct RgbaPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;
};

// The whole file's bytes; empty when the picture's size and its pixel count
// disagree or the picture is empty.
std::vector<uint8_t> EncodePng(const RgbaPicture& picture);

// Writes EncodePng's bytes to `path`; false when there is nothing to write or
// the file cannot be written completely.
bool WritePng(const std::string& path, const RgbaPicture& picture);

// The checksums of the format, exposed for their tests.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler = 1);

}  // namespace sheet_viewer

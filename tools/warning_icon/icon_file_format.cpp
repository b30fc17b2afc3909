// Layout: ICONDIR (6 bytes), one 16-byte ICONDIRENTRY per image, then each
// image as a BITMAPINFOHEADER (height doubled for the mask), its BGRA rows
// bottom-up and its 1-bit mask rows bottom-up, each padded to 4 bytes.
#include "icon_file_format.h"

#include <cstddef>
#include <cstdint>

namespace warning_icon {
namespace {

constexpr uint32_t kDirectoryBytes = 6;
constexpr uint32_t kEntryBytes = 16;
constexpr uint32_t kInfoHeaderBytes = 40;

void Put16(std::vector<unsigned char>* out, uint32_t value) {
    out->push_back(static_cast<unsigned char>(value));
    out->push_back(static_cast<unsigned char>(value >> 8));
}

void Put32(std::vector<unsigned char>* out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

uint32_t MaskRowBytes(int size) {
    return ((static_cast<uint32_t>(size) + 31) / 32) * 4;
}

uint32_t ImageBytes(int size) {
    const uint32_t n = static_cast<uint32_t>(size);
    return kInfoHeaderBytes + n * n * 4 + MaskRowBytes(size) * n;
}

}  // namespace

std::vector<unsigned char> IcoFileBytes(const std::vector<SquareImage>& images) {
    std::vector<unsigned char> out;
    Put16(&out, 0);  // reserved
    Put16(&out, 1);  // icon
    Put16(&out, static_cast<uint32_t>(images.size()));
    uint32_t offset = kDirectoryBytes + kEntryBytes * static_cast<uint32_t>(images.size());
    for (const SquareImage& image : images) {
        out.push_back(static_cast<unsigned char>(image.size));  // width (256 would be 0)
        out.push_back(static_cast<unsigned char>(image.size));  // height
        out.push_back(0);                                       // no palette
        out.push_back(0);                                       // reserved
        Put16(&out, 1);                                         // planes
        Put16(&out, 32);                                        // bits per pixel
        Put32(&out, ImageBytes(image.size));
        Put32(&out, offset);
        offset += ImageBytes(image.size);
    }
    for (const SquareImage& image : images) {
        const int n = image.size;
        Put32(&out, kInfoHeaderBytes);
        Put32(&out, static_cast<uint32_t>(n));
        Put32(&out, static_cast<uint32_t>(2 * n));  // colour rows and mask rows
        Put16(&out, 1);
        Put16(&out, 32);
        Put32(&out, 0);  // BI_RGB
        Put32(&out, ImageBytes(n) - kInfoHeaderBytes);
        for (int i = 0; i < 4; ++i) {
            Put32(&out, 0);  // resolution and palette counts
        }
        for (int row = n - 1; row >= 0; --row) {
            for (int column = 0; column < n; ++column) {
                const Pixel& p = image.pixels[static_cast<size_t>(row) * n + column];
                out.insert(out.end(), {p.blue, p.green, p.red, p.alpha});
            }
        }
        for (int row = n - 1; row >= 0; --row) {
            std::vector<unsigned char> mask(MaskRowBytes(n), 0);
            for (int column = 0; column < n; ++column) {
                if (image.pixels[static_cast<size_t>(row) * n + column].alpha == 0) {
                    mask[column / 8] |= static_cast<unsigned char>(0x80 >> (column % 8));
                }
            }
            out.insert(out.end(), mask.begin(), mask.end());
        }
    }
    return out;
}

}  // namespace warning_icon

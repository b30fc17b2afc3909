// .ico directory: a 6-byte header (reserved 0, type 1, image count), then 16
// bytes per image starting with its width and height in bytes (0 means 256).
#include "icon_file.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace rc_tables {
namespace {

constexpr int kStandardIconWidth = 32;
constexpr size_t kHeaderBytes = 6;
constexpr size_t kEntryBytes = 16;

unsigned Word(const std::vector<unsigned char>& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8);
}

int Dimension(unsigned char stored) {
    return stored == 0 ? 256 : stored;
}

}  // namespace

IconSize StandardIconSize(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read icon file " + path);
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file),
                                           std::istreambuf_iterator<char>()};
    if (bytes.size() < kHeaderBytes || Word(bytes, 0) != 0 || Word(bytes, 2) != 1 ||
        Word(bytes, 4) == 0 || bytes.size() < kHeaderBytes + Word(bytes, 4) * kEntryBytes) {
        throw std::runtime_error(path + " is not an icon file");
    }
    IconSize best;
    for (size_t i = 0; i < Word(bytes, 4); ++i) {
        const size_t entry = kHeaderBytes + i * kEntryBytes;
        const IconSize size{Dimension(bytes[entry]), Dimension(bytes[entry + 1])};
        const int distance = std::abs(size.width - kStandardIconWidth);
        const int bestDistance = std::abs(best.width - kStandardIconWidth);
        if (best.width == 0 || distance < bestDistance ||
            (distance == bestDistance && size.width > best.width)) {
            best = size;
        }
    }
    return best;
}

}  // namespace rc_tables

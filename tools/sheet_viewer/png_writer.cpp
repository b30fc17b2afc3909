#include "tools/sheet_viewer/png_writer.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>

namespace sheet_viewer {

namespace {

constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// A stored deflate block holds at most 65535 bytes.
constexpr size_t kStoredBlockLimit = 0xFFFF;

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table = {};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

void AppendBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

// Length, type, data, and the CRC over type and data.
void AppendChunk(std::vector<uint8_t>& out, const char (&type)[5],
                 const std::vector<uint8_t>& data) {
    AppendBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    AppendBigEndian(out, Crc32(out.data() + typeStart, out.size() - typeStart));
}

// The zlib stream of `raw`: header, stored blocks, Adler-32 of `raw`.
std::vector<uint8_t> StoredZlibStream(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out;
    out.reserve(raw.size() + raw.size() / kStoredBlockLimit * 5 + 16);
    // Deflate with a 32 KiB window, no dictionary; 0x7801 is a multiple of 31.
    out.push_back(0x78);
    out.push_back(0x01);
    size_t offset = 0;
    do {
        const size_t length = std::min(kStoredBlockLimit, raw.size() - offset);
        const bool last = offset + length == raw.size();
        out.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
        out.push_back(static_cast<uint8_t>(length));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(~length));
        out.push_back(static_cast<uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + offset, raw.begin() + offset + length);
        offset += length;
    } while (offset < raw.size());
    AppendBigEndian(out, Adler32(raw.data(), raw.size()));
    return out;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
    static const std::array<uint32_t, 256> kTable = MakeCrcTable();
    crc ^= 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc = kTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler) {
    constexpr uint32_t kModulus = 65521;
    uint32_t a = adler & 0xFFFF;
    uint32_t b = adler >> 16;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % kModulus;
        b = (b + a) % kModulus;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> EncodePng(const RgbaPicture& picture) {
    const uint64_t rowBytes = uint64_t{picture.width} * 4;
    if (picture.width == 0 || picture.height == 0 ||
        picture.pixels.size() != rowBytes * picture.height) {
        return {};
    }

    std::vector<uint8_t> header;
    AppendBigEndian(header, picture.width);
    AppendBigEndian(header, picture.height);
    // 8 bits per sample, colour type 6 (RGBA), deflate, adaptive filtering,
    // no interlace.
    header.insert(header.end(), {8, 6, 0, 0, 0});

    // Each row starts with its filter type: 0, none.
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * picture.height);
    for (uint32_t row = 0; row < picture.height; ++row) {
        raw.push_back(0);
        const auto begin = picture.pixels.begin() + static_cast<std::ptrdiff_t>(rowBytes * row);
        raw.insert(raw.end(), begin, begin + static_cast<std::ptrdiff_t>(rowBytes));
    }

    std::vector<uint8_t> file(std::begin(kSignature), std::end(kSignature));
    AppendChunk(file, "IHDR", header);
    AppendChunk(file, "IDAT", StoredZlibStream(raw));
    AppendChunk(file, "IEND", {});
    return file;
}

bool WritePng(const std::string& path, const RgbaPicture& picture) {
    const std::vector<uint8_t> bytes = EncodePng(picture);
    if (bytes.empty()) {
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

}  // namespace sheet_viewer

// The viewer's PNG encoder: its checksums against the published check values,
// and whole files read back by an independent decoder (cairo's), including
// pictures whose data spans several stored blocks.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/sheet_viewer/png_writer.h"

namespace {

using sheet_viewer::RgbaPicture;

TEST(PngWriter, ChecksumsMatchTheirCheckValues) {
    const auto* digits = reinterpret_cast<const uint8_t*>("123456789");
    EXPECT_EQ(0xCBF43926u, sheet_viewer::Crc32(digits, 9));
    EXPECT_EQ(0x091E01DEu, sheet_viewer::Adler32(digits, 9));
    // Both continue over split input as over the whole.
    EXPECT_EQ(0xCBF43926u, sheet_viewer::Crc32(digits + 4, 5, sheet_viewer::Crc32(digits, 4)));
    EXPECT_EQ(0x091E01DEu, sheet_viewer::Adler32(digits + 4, 5, sheet_viewer::Adler32(digits, 4)));
    EXPECT_EQ(0u, sheet_viewer::Crc32(digits, 0));
    EXPECT_EQ(1u, sheet_viewer::Adler32(digits, 0));
}

// A picture whose every pixel differs from its neighbours.
RgbaPicture Pattern(uint32_t width, uint32_t height) {
    RgbaPicture picture;
    picture.width = width;
    picture.height = height;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            picture.pixels.push_back(static_cast<uint8_t>(x * 7 + y));
            picture.pixels.push_back(static_cast<uint8_t>(y * 13 + x));
            picture.pixels.push_back(static_cast<uint8_t>(x ^ y));
            picture.pixels.push_back(0xFF);
        }
    }
    return picture;
}

TEST(PngWriter, FilesReadBackPixelForPixel) {
    // 1x1; one row of 300 pixels; 200x100, whose 80100 data bytes need two
    // stored blocks; 128x128 with exactly one block boundary inside a row.
    const struct {
        uint32_t width;
        uint32_t height;
    } kSizes[] = {{1, 1}, {300, 1}, {200, 100}, {128, 128}};
    for (const auto& size : kSizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        const RgbaPicture picture = Pattern(size.width, size.height);
        const std::string path = ::testing::TempDir() + "png_writer_test.png";
        ASSERT_TRUE(sheet_viewer::WritePng(path, picture));

        cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
        ASSERT_EQ(CAIRO_STATUS_SUCCESS, cairo_surface_status(surface));
        ASSERT_EQ(static_cast<int>(size.width), cairo_image_surface_get_width(surface));
        ASSERT_EQ(static_cast<int>(size.height), cairo_image_surface_get_height(surface));
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        int mismatches = 0;
        for (uint32_t y = 0; y < size.height; ++y) {
            for (uint32_t x = 0; x < size.width; ++x) {
                // Opaque ARGB32 in native byte order: 0xAARRGGBB.
                uint32_t argb;
                std::memcpy(&argb, data + y * stride + x * 4, 4);
                const uint8_t* rgba = &picture.pixels[(size_t{y} * size.width + x) * 4];
                const uint32_t expected =
                    0xFF000000u | uint32_t{rgba[0]} << 16 | uint32_t{rgba[1]} << 8 | rgba[2];
                mismatches += argb != expected;
            }
        }
        EXPECT_EQ(0, mismatches);
        cairo_surface_destroy(surface);
        std::remove(path.c_str());
    }
}

TEST(PngWriter, RefusesPicturesThatDisagreeWithTheirSize) {
    RgbaPicture empty;
    EXPECT_TRUE(sheet_viewer::EncodePng(empty).empty());

    RgbaPicture shortOfPixels = Pattern(4, 4);
    shortOfPixels.pixels.pop_back();
    EXPECT_TRUE(sheet_viewer::EncodePng(shortOfPixels).empty());

    RgbaPicture noRows = Pattern(4, 4);
    noRows.height = 0;
    EXPECT_TRUE(sheet_viewer::EncodePng(noRows).empty());
    EXPECT_FALSE(sheet_viewer::WritePng(::testing::TempDir() + "png_writer_never.png", noRows));

    EXPECT_FALSE(sheet_viewer::WritePng("/nonexistent-directory/picture.png", Pattern(2, 2)));
}

}  // namespace

#include "platform/graphics/png_file.h"

#include "tests/platform/graphics/png_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

std::uint32_t crc32_of(const char* bytes, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint8_t>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put_big_endian(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

// Rewrites the size in the IHDR chunk (which follows the 8-byte signature) with a valid CRC.
void claim_size(std::string& bytes, std::uint32_t width, std::uint32_t height) {
    put_big_endian(bytes, 16, width);
    put_big_endian(bytes, 20, height);
    put_big_endian(bytes, 29, crc32_of(bytes.data() + 12, 17));
}

} // namespace

TEST(PngFile, ReadsStraightAlphaAndOpaquePixelsExactly) {
    TemporaryFolder folder;
    std::vector<std::uint8_t> pixels{255, 0, 0, 255, 0, 255, 0, 128, 0, 0,  255, 0,
                                     1,   2, 3, 4,   5, 6,   7, 8,   9, 10, 11,  12};
    ASSERT_TRUE(png_test::write_png(folder.file("a.png"), 3, 2, true, pixels));
    std::optional<PngPicture> picture = read_png_file(folder.file("a.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(
        std::tuple(picture->width, picture->height, picture->has_alpha, picture->samples_per_pixel),
        std::tuple(3u, 2u, true, 4u));
    EXPECT_EQ(picture->pixels, pixels);
    const std::vector<std::uint8_t> opaque{10, 20, 30, 40, 50, 60};
    ASSERT_TRUE(png_test::write_png(folder.file("rgb.png"), 1, 2, false, opaque));
    picture = read_png_file(folder.file("rgb.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(std::tuple(picture->has_alpha, picture->bytes_per_row(), picture->pixels),
              std::tuple(false, 3u, opaque));
}

TEST(PngFile, RefusesMissingTruncatedCorruptForeignAndAbsurdlyLargeFiles) {
    TemporaryFolder folder;
    ASSERT_TRUE(png_test::write_png(folder.file("good.png"), 16, 16, true,
                                    std::vector<std::uint8_t>(16 * 16 * 4, 7)));
    const std::string good = file_bytes(folder.file("good.png"));
    std::string corrupt = good;
    for (std::size_t i = 45; i < 55; ++i)
        corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5A);
    const std::pair<const char*, std::string> files[] = {
        {"truncated.png", good.substr(0, good.size() / 2)},
        {"corrupt.png", corrupt},
        {"text.png", "hello"},
        {"empty.png", ""}};
    for (const auto& [name, bytes] : files)
        put_file(folder.file(name), bytes);
    for (const char* name :
         {"missing.png", "truncated.png", "corrupt.png", "text.png", "empty.png", ""})
        EXPECT_FALSE(read_png_file(folder.file(name))) << name;

    // A header claiming an absurd size is refused before any pixel is read; its true size reads.
    ASSERT_TRUE(png_test::write_png(folder.file("small.png"), 1, 1, true, {1, 2, 3, 4}));
    std::string bytes = file_bytes(folder.file("small.png"));
    const std::uint32_t sizes[][3] = {{PngMaxExtent + 1, 1, 0},
                                      {1, PngMaxExtent + 1, 0},
                                      {PngMaxExtent, PngMaxExtent, 0},
                                      {1, 1, 1}};
    for (auto [width, height, reads] : sizes) {
        claim_size(bytes, width, height);
        put_file(folder.file("big.png"), bytes);
        EXPECT_EQ(read_png_file(folder.file("big.png")).has_value(), reads != 0)
            << width << " x " << height;
    }
}

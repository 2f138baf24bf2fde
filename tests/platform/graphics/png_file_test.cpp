#include "platform/graphics/png_file.h"

#include "tests/platform/graphics/png_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <tuple>

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

TEST(PngFile, RefusesMissingTruncatedAndCorruptFiles) {
    TemporaryFolder folder;
    ASSERT_TRUE(png_test::write_png(folder.file("good.png"), 16, 16, true,
                                    std::vector<std::uint8_t>(16 * 16 * 4, 7)));
    const std::string good = file_bytes(folder.file("good.png"));
    std::string corrupt = good;
    for (std::size_t i = 45; i < 55; ++i)
        corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5A);
    for (const std::string& bytes : {good.substr(0, good.size() / 2), corrupt, std::string()}) {
        put_file(folder.file("bad.png"), bytes);
        EXPECT_FALSE(read_png_file(folder.file("bad.png"))) << bytes.size() << " bytes";
    }
    EXPECT_FALSE(read_png_file(folder.file("missing.png")));
}

#include "battery/icon_image.h"

#include "platform/appkit/ns_bitmap_image_rep.h"
#include "platform/appkit/ns_image.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/core/images.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class IconImage : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(rt::InitImages(), 1);
        ASSERT_EQ(rt::InitDrawing(), 1);
    }
    void TearDown() override { rt::EndImages(); }

    // Writes a picture with libpng's own writer, RGBA or RGB as `alpha` says, and loads it.
    int64_t load(int64_t number, uint32_t width, uint32_t height, bool alpha,
                 const std::vector<uint8_t>& pixels) const {
        png_image picture{};
        picture.version = PNG_IMAGE_VERSION;
        picture.width = width;
        picture.height = height;
        picture.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
        const std::string path = m_folder.file("icon.png");
        EXPECT_NE(png_image_write_to_file(&picture, path.c_str(), 0, pixels.data(), 0, nullptr), 0);
        return battery::LoadIconImage(number, std::u16string(path.begin(), path.end()).c_str());
    }

    AutoreleasePoolScope m_pool;
    TemporaryFolder m_folder;
};

const unsigned char* pixels_of(int64_t number) {
    auto* image = reinterpret_cast<NSImage*>(rt::ImageHandle(number));
    auto* bitmap = static_cast<NSBitmapImageRep*>(image->representations()->objectAtIndex(0));
    return bitmap->bitmapData();
}

} // namespace

// A 44 × 24 picture whose pixels vary in colour and in alpha from half to full, with a fully
// transparent first column.
TEST_F(IconImage, DrawsThePictureAtItsPixelSizeWithStraightAlphaWithinOneStep) {
    std::vector<uint8_t> file;
    for (uint32_t y = 0; y < 24; ++y) {
        for (uint32_t x = 0; x < 44; ++x) {
            uint8_t alpha = x == 0 ? 0 : static_cast<uint8_t>(128 + (x * 3 + y * 5) % 128);
            file.insert(file.end(), {static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 10),
                                     static_cast<uint8_t>(255 - x), alpha});
        }
    }
    const int64_t image = load(21, 44, 24, true, file);
    ASSERT_NE(image, 0);
    EXPECT_EQ(std::tuple(rt::ImageHandle(21), rt::ImagePixelWidth(21), rt::ImagePixelHeight(21)),
              std::tuple(image, 44, 24));
    const unsigned char* pixels = pixels_of(21);
    for (std::size_t i = 0; i < file.size(); ++i) {
        const uint8_t alpha = file[i | 3];
        const int expected = i % 4 == 3   ? alpha
                             : alpha == 0 ? 0
                                          : file[i]; // no colour without alpha
        ASSERT_LE(std::abs(pixels[i] - expected), i % 4 == 3 ? 0 : 1)
            << "pixel " << i / 4 << " sample " << i % 4 << ": " << int(pixels[i]) << " for "
            << expected;
    }
}

// An opaque picture comes back exactly; a picture made with an automatic number gives that number.
TEST_F(IconImage, AnOpaquePictureComesBackExactlyAndOpaque) {
    ASSERT_NE(load(22, 2, 1, false, {10, 20, 30, 200, 100, 0}), 0);
    const unsigned char* pixels = pixels_of(22);
    EXPECT_EQ(std::vector<unsigned char>(pixels, pixels + 8),
              (std::vector<unsigned char>{10, 20, 30, 255, 200, 100, 0, 255}));
    const int64_t number = load(rt::AutoNumber, 3, 3, true, std::vector<uint8_t>(36, 1));
    ASSERT_NE(number, 0);
    EXPECT_EQ(rt::ImagePixelWidth(number), 3);
}

TEST_F(IconImage, AMissingOrDamagedFileGivesZeroAndNoImage) {
    ASSERT_NE(load(23, 4, 4, true, std::vector<uint8_t>(64, 200)), 0);
    rt::FreeImageObject(23);
    const std::string bytes = file_bytes(m_folder.file("icon.png"));
    put_file(m_folder.file("10_battery_icon.png"), bytes.substr(0, bytes.size() - 20));
    put_file(m_folder.file("notes.png"), "notes");
    for (const char* name : {"missing.png", "10_battery_icon.png", "notes.png"}) {
        const std::string path = m_folder.file(name);
        EXPECT_EQ(battery::LoadIconImage(23, std::u16string(path.begin(), path.end()).c_str()), 0)
            << name;
        EXPECT_EQ(rt::ImageHandle(23), 0) << name;
    }
    EXPECT_EQ(battery::LoadIconImage(23, nullptr), 0);
}

#pragma once
// Writing PNG files for tests with libpng.

#include <png.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace png_test {

// Rows of width × 4 (alpha) or width × 3 bytes, first row at the top, straight alpha.
inline bool write_png(const std::string& path, std::uint32_t width, std::uint32_t height,
                      bool alpha, const std::vector<std::uint8_t>& pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

} // namespace png_test

#pragma once
// Writing PNG files for tests with libpng.

#include "tests/support/temporary_folder.h"

#include <png.h>

#include <cstdint>
#include <cstring>
#include <fstream>
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

// Every pixel the same: r, g, b (and a).
inline std::vector<std::uint8_t> solid(std::uint32_t width, std::uint32_t height,
                                       std::vector<std::uint8_t> pixel) {
    std::vector<std::uint8_t> pixels;
    for (std::uint32_t i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), pixel.begin(), pixel.end());
    return pixels;
}

inline void write_bytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

using TempFolder = TemporaryFolder;

} // namespace png_test

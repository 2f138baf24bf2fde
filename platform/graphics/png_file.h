#pragma once
// Reading PNG files into 8-bit pixels: RGBA with straight alpha when the file has transparency
// (an alpha channel or a transparent colour), RGB otherwise; rows of width × samples bytes, first
// row at the top. Grey files come out as RGB(A); 16-bit samples are reduced to 8 bits.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct PngPicture {
    std::size_t width = 0;
    std::size_t height = 0;
    bool has_alpha = false;
    std::size_t samples_per_pixel = 3; // 4 with alpha
    std::vector<std::uint8_t> pixels;

    std::size_t bytes_per_row() const { return width * samples_per_pixel; }
};

// Pictures beyond these sizes are refused before any pixel memory is taken: a status picture is
// tiny, and a header claiming more is damaged or hostile.
inline constexpr std::size_t PngMaxExtent = 16384;
inline constexpr std::size_t PngMaxPixelBytes = std::size_t{256} << 20;

// Empty when the file cannot be opened, is no PNG, is truncated or damaged anywhere, or exceeds
// the limits above.
std::optional<PngPicture> read_png_file(const std::string& path);

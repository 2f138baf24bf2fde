#pragma once
// Reducing a picture's colours to a palette of at most 2, 16 or 256 entries. A picture with no
// more colours than fit keeps them exactly, in the order they first occur. Otherwise each pixel
// takes the nearest colour (by squared distance in red, green and blue) of a fixed palette:
// black and white for 2 entries, the sixteen colours of the classic text-mode palette for 16,
// and 8 × 8 × 4 levels of red, green and blue for 256. Alpha is ignored.

#include <array>
#include <cstdint>
#include <vector>

namespace rt {

struct PaletteColour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;

    bool operator==(const PaletteColour&) const = default;
};

struct ReducedPicture {
    std::vector<PaletteColour> palette;
    std::vector<uint8_t> indexes; // one per pixel, in the pixels' order
};

// `pixels` holds `count` RGBA pixels; `capacity` is 2, 16 or 256.
ReducedPicture reduce_colours(const uint8_t* pixels, std::size_t count, std::size_t capacity);

} // namespace rt

#include "runtime/core/colour_palette.h"

#include <algorithm>
#include <unordered_map>

namespace rt {
namespace {

constexpr std::array<PaletteColour, 16> k_text_mode_colours = {{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

PaletteColour colour_at(const uint8_t* pixels, std::size_t index) {
    const uint8_t* pixel = pixels + index * 4;
    return {pixel[0], pixel[1], pixel[2]};
}

uint32_t key_of(PaletteColour colour) {
    return static_cast<uint32_t>(colour.red << 16 | colour.green << 8 | colour.blue);
}

uint8_t level(int step, int steps) {
    return static_cast<uint8_t>(step * 255 / (steps - 1));
}

std::vector<PaletteColour> fixed_palette(std::size_t capacity) {
    if (capacity == 2) return {{0, 0, 0}, {255, 255, 255}};
    if (capacity == 16) return {k_text_mode_colours.begin(), k_text_mode_colours.end()};
    std::vector<PaletteColour> palette;
    for (int red = 0; red < 8; ++red)
        for (int green = 0; green < 8; ++green)
            for (int blue = 0; blue < 4; ++blue)
                palette.push_back({level(red, 8), level(green, 8), level(blue, 4)});
    return palette;
}

int distance(PaletteColour a, PaletteColour b) {
    int red = a.red - b.red;
    int green = a.green - b.green;
    int blue = a.blue - b.blue;
    return red * red + green * green + blue * blue;
}

uint8_t nearest(const std::vector<PaletteColour>& palette, PaletteColour colour) {
    auto closer = [colour](PaletteColour a, PaletteColour b) {
        return distance(a, colour) < distance(b, colour);
    };
    return static_cast<uint8_t>(std::min_element(palette.begin(), palette.end(), closer) -
                                palette.begin());
}

// The picture's own colours when they fit; an empty palette when they do not.
ReducedPicture exact_palette(const uint8_t* pixels, std::size_t count, std::size_t capacity) {
    ReducedPicture picture;
    std::unordered_map<uint32_t, uint8_t> index_of;
    picture.indexes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        PaletteColour colour = colour_at(pixels, i);
        auto [found, added] =
            index_of.try_emplace(key_of(colour), static_cast<uint8_t>(picture.palette.size()));
        if (added) {
            if (picture.palette.size() == capacity) return {};
            picture.palette.push_back(colour);
        }
        picture.indexes.push_back(found->second);
    }
    return picture;
}

} // namespace

ReducedPicture reduce_colours(const uint8_t* pixels, std::size_t count, std::size_t capacity) {
    ReducedPicture picture = exact_palette(pixels, count, capacity);
    if (!picture.palette.empty() || count == 0) return picture;
    picture.palette = fixed_palette(capacity);
    picture.indexes.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        picture.indexes.push_back(nearest(picture.palette, colour_at(pixels, i)));
    return picture;
}

} // namespace rt

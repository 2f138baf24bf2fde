#include "runtime/core/colour_palette.h"

#include <gtest/gtest.h>

namespace {

using rt::PaletteColour;

// A picture of `distinct` colours, one pixel each, all but the last grey and the last `probe`.
std::vector<uint8_t> picture_ending_in(std::size_t distinct, PaletteColour probe) {
    std::vector<uint8_t> pixels;
    for (std::size_t i = 0; i + 1 < distinct; ++i) {
        const auto grey = static_cast<uint8_t>(i);
        pixels.insert(pixels.end(), {grey, grey, grey, 255});
    }
    pixels.insert(pixels.end(), {probe.red, probe.green, probe.blue, 0});
    return pixels;
}

TEST(ColourPalette, MoreColoursThanFitTakeTheNearestOfTheFixedPalette) {
    const std::vector<PaletteColour> text_mode = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    struct Row {
        std::size_t capacity;
        PaletteColour probe, nearest;
    };
    const Row rows[] = {
        {2, {100, 100, 100}, {0, 0, 0}},
        {2, {200, 90, 200}, {255, 255, 255}},
        {16, {120, 10, 130}, {128, 0, 128}},
        {16, {200, 200, 190}, {192, 192, 192}},
        // Green 200 lies halfway between the levels 182 and 218: the first one wins.
        {256, {40, 200, 90}, {36, 182, 85}},
        {256, {255, 0, 250}, {255, 0, 255}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.capacity);
        const std::vector<uint8_t> pixels = picture_ending_in(row.capacity + 1, row.probe);
        const rt::ReducedPicture reduced =
            rt::reduce_colours(pixels.data(), row.capacity + 1, row.capacity);
        ASSERT_EQ(std::pair(reduced.palette.size(), reduced.indexes.size()),
                  std::pair(row.capacity, row.capacity + 1));
        EXPECT_EQ(reduced.palette[reduced.indexes.back()], row.nearest);
        EXPECT_EQ(reduced.palette.front(), (PaletteColour{0, 0, 0}));
        EXPECT_EQ(reduced.palette.back(), (PaletteColour{255, 255, 255}));
        EXPECT_TRUE(row.capacity != 16 || reduced.palette == text_mode);
    }
    // Colours that fit keep their order of first appearance; no pixels give an empty picture.
    const std::vector<uint8_t> two = {9, 9, 9, 255, 1, 2, 3, 255, 9, 9, 9, 0};
    const rt::ReducedPicture kept = rt::reduce_colours(two.data(), 3, 2);
    EXPECT_EQ(kept.palette, (std::vector<PaletteColour>{{9, 9, 9}, {1, 2, 3}}));
    EXPECT_EQ(kept.indexes, (std::vector<uint8_t>{0, 1, 0}));
    EXPECT_TRUE(rt::reduce_colours(nullptr, 0, 16).palette.empty());
}

} // namespace

#include "platform/display/desktop/status_pixmap.h"

#include <gtest/gtest.h>

namespace {

// Two pixels side by side: opaque red, then half-transparent blue.
ImagePixels two_pixels(double width, double height) {
    return ImagePixels{width, height, 2, 1, {0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x80}};
}

TEST(StatusPixmap, WritesAlphaFirstInNetworkOrderAtEachScale) {
    struct Row {
        double width;
        double height;
        int scale;
        std::optional<PanelTint> tint;
        StatusPixmap expected;
    };
    const Row rows[] = {
        {2, 1, 1, std::nullopt, {2, 1, {0xFF, 0xFF, 0, 0, 0x80, 0, 0, 0xFF}}},
        {2, 1, 2, std::nullopt, {4, 2, {0xFF, 0xFF, 0,    0, 0xFF, 0xFF, 0,    0, 0x80, 0,    0,
                                        0xFF, 0x80, 0,    0, 0xFF, 0xFF, 0xFF, 0, 0,    0xFF, 0xFF,
                                        0,    0,    0x80, 0, 0,    0xFF, 0x80, 0, 0,    0xFF}}},
        // A template keeps its alpha and takes the panel's colour.
        {2, 1, 1, PanelTint::light, {2, 1, {0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0xFF, 0xFF, 0xFF}}},
        {2, 1, 1, PanelTint::dark, {2, 1, {0xFF, 0, 0, 0, 0x80, 0, 0, 0}}},
        // Two pixels for one point: 1× is their mean (colour weighted by alpha), 2× gives back
        // both.
        {1, 0.5, 1, std::nullopt, {1, 1, {0xC0, 0xAA, 0, 0x55}}},
        {1, 0.5, 2, std::nullopt, {2, 1, {0xFF, 0xFF, 0, 0, 0x80, 0, 0, 0xFF}}},
        // No size in points: the pixels' own.
        {0, 0, 1, std::nullopt, {2, 1, {0xFF, 0xFF, 0, 0, 0x80, 0, 0, 0xFF}}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        EXPECT_EQ(make_status_pixmap(two_pixels(row.width, row.height), row.scale, row.tint),
                  row.expected)
            << "row " << i;
    }
}

TEST(StatusPixmap, IsEmptyForPixelsThatDoNotMatchTheirSize) {
    ImagePixels short_of_samples = two_pixels(2, 1);
    short_of_samples.rgba.pop_back();
    EXPECT_TRUE(make_status_pixmap(short_of_samples, 1, std::nullopt).argb.empty());
    EXPECT_TRUE(make_status_pixmap(ImagePixels{}, 1, std::nullopt).argb.empty());
    EXPECT_TRUE(make_status_pixmap(two_pixels(2, 1), 0, std::nullopt).argb.empty());
}

} // namespace

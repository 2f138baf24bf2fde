#include "platform/display/desktop/titled_icon.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A battery 40 × 20 pixels with `margin` clear pixels round it: a two-pixel outline, a one-pixel
// gap, the fill over the left half, and the terminal on the right; `rgb` is every painted pixel's
// colour.
ImagePixels battery(std::array<uint8_t, 3> rgb = {0, 0, 0}, int margin = 2) {
    const int width = 40 + 2 * margin, height = 20 + 2 * margin;
    ImagePixels picture{width / 2.0, height / 2.0, width, height,
                        std::vector<uint8_t>(static_cast<size_t>(width * height) * 4, 0)};
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool outline = x < 2 || x >= 34 || y < 2 || y >= 18;
            const bool fill = x >= 3 && x < 18 && y >= 3 && y < 17;
            const bool terminal = y >= 7 && y < 13;
            if (x < 36 ? !(outline || fill) : !terminal) continue;
            uint8_t* pixel =
                &picture.rgba[static_cast<size_t>((y + margin) * width + x + margin) * 4];
            std::copy(rgb.begin(), rgb.end(), pixel);
            pixel[3] = 0xFF;
        }
    }
    return picture;
}

uint8_t alpha(const StatusPixmap& pixmap, int x, int y) {
    return pixmap.argb[(static_cast<size_t>(y) * pixmap.width + x) * 4];
}

std::array<uint8_t, 3> colour(const StatusPixmap& pixmap, int x, int y) {
    const uint8_t* pixel = &pixmap.argb[(static_cast<size_t>(y) * pixmap.width + x) * 4];
    return {pixel[1], pixel[2], pixel[3]};
}

struct Extent {
    int left = 1 << 20;
    int top = 1 << 20;
    int right = -1;
    int bottom = -1;
};

Extent painted(const StatusPixmap& pixmap, int first_column = 0) {
    Extent extent;
    for (int y = 0; y < pixmap.height; ++y) {
        for (int x = first_column; x < pixmap.width; ++x) {
            if (alpha(pixmap, x, y) < 0x80) continue;
            extent = {std::min(extent.left, x), std::min(extent.top, y), std::max(extent.right, x),
                      std::max(extent.bottom, y)};
        }
    }
    return extent;
}

TitledIconRequest square(int height, std::string title = "") {
    return {.height = height,
            .shape = IconShape::square,
            .title = std::move(title),
            .tint = PanelTint::dark};
}

TEST(TitledIcon, SquareIconsSpanTheBatteryAcrossTheSquareCentredDownIt) {
    for (int height : {16, 22, 32, 44}) {
        const StatusPixmap icon = draw_titled_icon(battery(), square(height));
        ASSERT_EQ(icon.width, height);
        ASSERT_EQ(icon.height, height);
        EXPECT_EQ(draw_titled_icon(battery({0, 0, 0}, 0), square(height)), icon) << "no margins";
        const Extent extent = painted(icon);
        EXPECT_EQ(extent.left, 0) << height;
        EXPECT_EQ(extent.right, height - 1) << height;
        // The painted battery is 40 × 20: half as high as wide.
        EXPECT_NEAR(extent.bottom - extent.top + 1, height / 2, 1) << height;
        EXPECT_NEAR(extent.top, height - 1 - extent.bottom, 1) << height;
    }
}

TEST(TitledIcon, WideIconsAreAsTallAsThePanelsIconsWithTheTitleBeside) {
    for (int height : {16, 24, 32}) {
        TitledIconRequest request{.height = height, .tint = PanelTint::dark};
        const StatusPixmap alone = draw_titled_icon(battery(), request);
        EXPECT_EQ(alone.height, height);
        EXPECT_EQ(alone.width, 2 * height);
        const Extent battery_extent = painted(alone);
        EXPECT_EQ(battery_extent.top, 0);
        EXPECT_EQ(battery_extent.bottom, height - 1);

        request.title = "78% • 03:27 left";
        const StatusPixmap titled = draw_titled_icon(battery(), request);
        EXPECT_EQ(titled.height, height);
        EXPECT_GT(titled.width, alone.width + 4 * height) << "sixteen characters of text";
        // The text stands right of the battery, apart from it, and within the height.
        const Extent text = painted(titled, alone.width);
        EXPECT_GT(text.left, alone.width);
        EXPECT_GT(text.top, 0);
        EXPECT_LT(text.bottom, height - 1);
        EXPECT_EQ(draw_titled_icon(battery({0, 0, 0}, 0), request), titled) << "margins are cut";
        request.title = "78%";
        EXPECT_LT(draw_titled_icon(battery(), request).width, titled.width);
    }
}

// The charge is written inside the battery, which is emptied up to its outline and the gap
// within it; at 40 pixels the battery is drawn pixel for pixel, at 32 scaled.
TEST(TitledIcon, TheChargeIsWrittenInsideAnEmptiedBatteryOnASquareIcon) {
    for (int height : {32, 40}) {
        const StatusPixmap plain = draw_titled_icon(battery(), square(height));
        const StatusPixmap charged = draw_titled_icon(battery(), square(height, "78% • 3:27"));
        ASSERT_EQ(charged.width, plain.width);
        EXPECT_EQ(draw_titled_icon(battery({0, 0, 0}, 0), square(height, "78% • 3:27")), charged)
            << "margins are cut";
        const Extent outline = painted(plain);
        // At 32 the inner edge of the outline blends with the inside.
        const int edge = height == 40 ? 2 : 1;
        int changed_outside = 0, fill_left = 0, text_right = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < height; ++x) {
                const bool inside = x >= outline.left + edge && x <= outline.right - 2 - 2 * edge &&
                                    y >= outline.top + edge && y <= outline.bottom - edge;
                if (!inside && alpha(plain, x, y) != alpha(charged, x, y)) ++changed_outside;
                if (inside && x < height * 7 / 16 && alpha(charged, x, y) > 0x80) ++fill_left;
                if (inside && x >= height / 2 && alpha(charged, x, y) > 0x80) ++text_right;
            }
        }
        EXPECT_EQ(changed_outside, 0) << height << ": the outline and terminal stay as they are";
        EXPECT_GT(fill_left, 0) << height << ": the first digit";
        EXPECT_GT(text_right, 0) << height << ": the second, over what the fill never reached";
        // A title that shows no charge leaves the picture as it is.
        EXPECT_EQ(draw_titled_icon(battery(), square(height, "Good • 512 cycles")), plain);
    }
    const StatusPixmap charged = draw_titled_icon(battery(), square(40, "78%"));
    EXPECT_EQ(alpha(charged, 3, 20), 0) << "the fill's first column is emptied";
}

TEST(TitledIcon, TemplatesTakeTheTintAndOtherPicturesKeepTheirColours) {
    for (PanelTint tint : {PanelTint::light, PanelTint::dark}) {
        TitledIconRequest request = square(22, "78%");
        request.tint = tint;
        const StatusPixmap icon = draw_titled_icon(battery({0x20, 0x80, 0x40}), request);
        const TintColour expected = tint_colour(tint);
        std::set<std::array<uint8_t, 3>> colours;
        for (int y = 0; y < icon.height; ++y) {
            for (int x = 0; x < icon.width; ++x) {
                if (alpha(icon, x, y)) colours.insert(colour(icon, x, y));
            }
        }
        EXPECT_EQ(colours, (std::set<std::array<uint8_t, 3>>{
                               {expected.red, expected.green, expected.blue}}));
    }
    TitledIconRequest request = square(44);
    request.tint.reset();
    const StatusPixmap icon = draw_titled_icon(battery({0x20, 0x80, 0x40}), request);
    const Extent extent = painted(icon);
    const std::array<uint8_t, 3> shown =
        colour(icon, extent.left + 1, (extent.top + extent.bottom) / 2);
    const std::array<uint8_t, 3> expected{0x20, 0x80, 0x40};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(shown[i], expected[i], 2) << "channel " << i;
}

TEST(TitledIcon, AnOutlineOfTheOppositeShadeRunsOutsideButNotIntoTheBatterysGap) {
    TitledIconRequest request{.height = 24, .tint = PanelTint::light, .outlined = true};
    const StatusPixmap icon = draw_titled_icon(battery(), request);
    EXPECT_EQ(icon.height, 24);
    const Extent extent = painted(icon);
    const int middle = (extent.top + extent.bottom) / 2;
    // Left to right along the middle: dark edge, light outline, the clear gap, the light fill.
    EXPECT_LT(colour(icon, extent.left, middle)[0], 0x20);
    EXPECT_GT(alpha(icon, extent.left, middle), 0xE0);
    EXPECT_EQ(colour(icon, extent.left + 1, middle), (std::array<uint8_t, 3>{0xFF, 0xFF, 0xFF}));
    int x = extent.left + 1;
    while (alpha(icon, x, middle) > 0x80 && colour(icon, x, middle)[0] == 0xFF)
        ++x;
    EXPECT_LT(alpha(icon, x, middle), 0x80) << "the gap inside the outline stays clear, at " << x;
    // Nothing is cut: the outline has a pixel of room on every side.
    EXPECT_EQ(extent.left, 0);
    EXPECT_EQ(extent.top, 0);
    EXPECT_EQ(extent.bottom, 23);
    for (int y = 0; y < icon.height; ++y)
        EXPECT_NE(colour(icon, icon.width - 1, y)[0], 0xFF) << "row " << y;
}

TEST(TitledIcon, DrawsNothingForPicturesItCannotRead) {
    ImagePixels short_of_samples = battery();
    short_of_samples.rgba.pop_back();
    ImagePixels clear = battery();
    std::fill(clear.rgba.begin(), clear.rgba.end(), 0);
    const ImagePixels pictures[] = {ImagePixels{}, short_of_samples, clear};
    for (const ImagePixels& picture : pictures)
        EXPECT_TRUE(draw_titled_icon(picture, square(22, "78%")).argb.empty());
    EXPECT_TRUE(draw_titled_icon(battery(), square(7)).argb.empty());
    EXPECT_FALSE(draw_titled_icon(battery(), square(8)).argb.empty());
}

TEST(TitledIcon, FindsTheChargeAmongTheTitlesPieces) {
    struct Row {
        const char* title;
        const char* charge;
    };
    const Row rows[] = {
        {"78%", "78"},
        {"100% • 03:27 left", "100"},
        {"512 cycles • 5%", "5"},
        {"Good • 93.4% health", ""},
        {"Good • 7% • 93.4% health", "7"},
        {"93.4% health • 03:27 left", ""},
        {"", ""},
        {"%", ""},
        {"1000%", ""},
        {"78 %", ""},
        {"x78%", ""},
        {"03:27 left", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(charge_in_title(row.title), row.charge) << row.title;
}

} // namespace

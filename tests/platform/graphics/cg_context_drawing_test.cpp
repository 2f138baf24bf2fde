#include "platform/graphics/cg_context_drawing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Pixel = std::vector<int>;

// A premultiplied RGBA context over a buffer of its own; at() counts rows from the buffer's top.
struct TestContext {
    TestContext(std::size_t width, std::size_t height) : width(width) {
        CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
        context = CGBitmapContextCreate(nullptr, width, height, 8, 0, space,
                                        kCGImageAlphaPremultipliedLast);
        CGColorSpaceRelease(space);
    }
    ~TestContext() { CGContextRelease(context); }
    CGContextRef get() const { return context; }
    Pixel at(std::size_t column, std::size_t row) const {
        auto* p = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context)) +
                  (row * width + column) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    std::size_t width;
    CGContextRef context = nullptr;
};

const Pixel k_clear{0, 0, 0, 0}, k_green{0, 255, 0, 255};

} // namespace

TEST(CGContextDrawing, FillsFromTheBottomLeftBlendsClipsAndIgnoresEmptyRectangles) {
    TestContext context(4, 2);
    CGContextSetRGBFillColor(context.get(), 1, 0, 0, 1);
    CGContextFillRect(context.get(), CGRectMake(1, 0, 2, 1));
    for (std::size_t column = 0; column < 4; ++column) {
        const Pixel expected = column == 1 || column == 2 ? Pixel{255, 0, 0, 255} : k_clear;
        EXPECT_EQ(context.at(column, 1), expected) << column;
        EXPECT_EQ(context.at(column, 0), k_clear) << column;
    }
    CGContextSetRGBFillColor(context.get(), 0, 0, 1, 0.5);
    CGContextFillRect(context.get(), CGRectMake(1, 0, 1, 1));
    EXPECT_EQ(context.at(1, 1), (Pixel{127, 0, 128, 255}));

    TestContext clip(2, 2);
    CGContextSetRGBFillColor(clip.get(), 0, 1, 0, 1);
    CGContextFillRect(clip.get(), CGRectMake(5, 5, 3, 3));
    CGContextFillRect(clip.get(), CGRectMake(0, 0, -2, 2));
    CGContextFillRect(clip.get(), CGRectMake(0, 0, 1e300, 1e300 * 1e300));
    EXPECT_EQ(clip.at(0, 0), k_clear);
    CGContextFillRect(clip.get(), CGRectMake(-100, -100, 1000, 1000));
    EXPECT_EQ(clip.at(0, 0), k_green);
    EXPECT_EQ(clip.at(1, 1), k_green);
    CGContextClearRect(clip.get(), CGRectMake(0, 1, 1, 1));
    EXPECT_EQ(clip.at(0, 0), k_clear);
    EXPECT_EQ(clip.at(1, 0), k_green);
}

TEST(CGContextDrawing, DrawsStraightOpaqueAndPremultipliedSourcesAndRefusesNoPixels) {
    TestContext context(3, 3);
    // 2 × 1 straight alpha: opaque red, then half-transparent white.
    const std::uint8_t pixels[] = {255, 0, 0, 255, 255, 255, 255, 128};
    ASSERT_TRUE(cg_context_draw_pixels(context.get(), CGRectMake(1, 2, 2, 1),
                                       CGPixelSource{pixels, 2, 1, 8, 4, false}));
    EXPECT_EQ(context.at(0, 0), k_clear);
    EXPECT_EQ(context.at(1, 0), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(context.at(2, 0), (Pixel{128, 128, 128, 128}));
    EXPECT_EQ(context.at(1, 1), k_clear);

    TestContext scaled(2, 2);
    const std::uint8_t rgb[] = {10, 20, 30};
    ASSERT_TRUE(cg_context_draw_pixels(scaled.get(), CGRectMake(0, 0, 2, 2),
                                       CGPixelSource{rgb, 1, 1, 3, 3, false}));
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(scaled.at(i % 2, i / 2), (Pixel{10, 20, 30, 255}));
    // A damaged premultiplied sample above its alpha is held to the alpha.
    const std::uint8_t premultiplied[] = {0, 0, 0, 0, 200, 50, 50, 100};
    ASSERT_TRUE(cg_context_draw_pixels(scaled.get(), CGRectMake(0, 0, 2, 1),
                                       CGPixelSource{premultiplied, 2, 1, 8, 4, true}));
    EXPECT_EQ(scaled.at(0, 1), (Pixel{10, 20, 30, 255}));
    EXPECT_EQ(scaled.at(1, 1), (Pixel{100 + 6, 50 + 12, 50 + 18, 255}));

    const std::uint8_t zeros[16] = {};
    const CGPixelSource refused[] = {{nullptr, 1, 1, 4, 4, false},
                                     {zeros, 1, 1, 4, 2, false},
                                     {zeros, 2, 1, 7, 4, false},
                                     {zeros, SIZE_MAX / 2, 1, SIZE_MAX, 4, false}};
    for (const CGPixelSource& source : refused)
        EXPECT_FALSE(cg_context_draw_pixels(context.get(), CGRectMake(0, 0, 1, 1), source))
            << source.width << "x" << source.bytes_per_row << " " << source.samples_per_pixel;
    EXPECT_FALSE(cg_context_draw_pixels(nullptr, CGRectMake(0, 0, 1, 1),
                                        CGPixelSource{zeros, 1, 1, 4, 4, false}));
    EXPECT_EQ(context.at(0, 2), k_clear);
}

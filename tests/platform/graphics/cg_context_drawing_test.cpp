#include "platform/graphics/cg_context_drawing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Pixel = std::vector<int>;

// A premultiplied RGBA context over a buffer of its own, `width` × `height` pixels.
struct TestContext {
    TestContext(std::size_t width, std::size_t height) : width(width) {
        CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
        context = CGBitmapContextCreate(nullptr, width, height, 8, 0, space,
                                        kCGImageAlphaPremultipliedLast);
        CGColorSpaceRelease(space);
    }
    ~TestContext() { CGContextRelease(context); }
    CGContextRef get() const { return context; }
    // The pixel at buffer row `row` (0 at the top) and column `column`.
    Pixel at(std::size_t column, std::size_t row) const {
        auto* p = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context)) +
                  (row * width + column) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    std::size_t width;
    CGContextRef context = nullptr;
};

const Pixel k_clear{0, 0, 0, 0};

} // namespace

TEST(CGContextDrawing, FillsTheRectangleCountedFromTheBottomLeftCorner) {
    TestContext context(4, 2);
    CGContextSetRGBFillColor(context.get(), 1, 0, 0, 1);
    CGContextFillRect(context.get(), CGRectMake(1, 0, 2, 1));
    // The bottom row of the picture is the buffer's last row.
    for (std::size_t column = 0; column < 4; ++column) {
        Pixel expected = column == 1 || column == 2 ? Pixel{255, 0, 0, 255} : k_clear;
        EXPECT_EQ(context.at(column, 1), expected) << "column " << column;
        EXPECT_EQ(context.at(column, 0), k_clear) << "column " << column;
    }
}

TEST(CGContextDrawing, BlendsATranslucentFillOverWhatIsThere) {
    TestContext context(1, 1);
    CGContextSetRGBFillColor(context.get(), 0, 0, 1, 1);
    CGContextFillRect(context.get(), CGRectMake(0, 0, 1, 1));
    CGContextSetRGBFillColor(context.get(), 1, 0, 0, 0.5);
    CGContextFillRect(context.get(), CGRectMake(0, 0, 1, 1));
    EXPECT_EQ(context.at(0, 0), (Pixel{128, 0, 127, 255}));
}

TEST(CGContextDrawing, ClipsRectanglesToTheBufferAndIgnoresEmptyOnes) {
    TestContext context(2, 2);
    CGContextSetRGBFillColor(context.get(), 0, 1, 0, 1);
    CGContextFillRect(context.get(), CGRectMake(5, 5, 3, 3));
    CGContextFillRect(context.get(), CGRectMake(0, 0, -2, 2));
    CGContextFillRect(context.get(), CGRectMake(0, 0, 1e300, 1e300 * 1e300));
    EXPECT_EQ(context.at(0, 0), k_clear);
    CGContextFillRect(context.get(), CGRectMake(-100, -100, 1000, 1000));
    EXPECT_EQ(context.at(0, 0), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(context.at(1, 1), (Pixel{0, 255, 0, 255}));
    CGContextClearRect(context.get(), CGRectMake(0, 1, 1, 1));
    EXPECT_EQ(context.at(0, 0), k_clear);
    EXPECT_EQ(context.at(1, 0), (Pixel{0, 255, 0, 255}));
}

TEST(CGContextDrawing, DrawsStraightAlphaPixelsPremultipliedAtTheirPlace) {
    TestContext context(3, 3);
    // 2 × 1 source: opaque red, then half-transparent white.
    const std::uint8_t pixels[] = {255, 0, 0, 255, 255, 255, 255, 128};
    CGPixelSource source{pixels, 2, 1, 8, 4, false};
    ASSERT_TRUE(cg_context_draw_pixels(context.get(), CGRectMake(1, 2, 2, 1), source));
    EXPECT_EQ(context.at(0, 0), k_clear);
    EXPECT_EQ(context.at(1, 0), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(context.at(2, 0), (Pixel{128, 128, 128, 128}));
    EXPECT_EQ(context.at(1, 1), k_clear);
}

TEST(CGContextDrawing, DrawsOpaqueAndPremultipliedSourcesAndScalesThem) {
    TestContext context(2, 2);
    const std::uint8_t rgb[] = {10, 20, 30};
    ASSERT_TRUE(cg_context_draw_pixels(context.get(), CGRectMake(0, 0, 2, 2),
                                       CGPixelSource{rgb, 1, 1, 3, 3, false}));
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(context.at(i % 2, i / 2), (Pixel{10, 20, 30, 255}));
    // A damaged premultiplied sample above its alpha is held to the alpha.
    const std::uint8_t premultiplied[] = {0, 0, 0, 0, 200, 50, 50, 100};
    ASSERT_TRUE(cg_context_draw_pixels(context.get(), CGRectMake(0, 0, 2, 1),
                                       CGPixelSource{premultiplied, 2, 1, 8, 4, true}));
    EXPECT_EQ(context.at(0, 1), (Pixel{10, 20, 30, 255}));
    EXPECT_EQ(context.at(1, 1), (Pixel{100 + 6, 50 + 12, 50 + 18, 255}));
}

TEST(CGContextDrawing, RefusesSourcesThatDescribeNoPixels) {
    TestContext context(2, 2);
    const std::uint8_t pixels[16] = {};
    struct Row {
        std::string name;
        CGPixelSource source;
    };
    const Row rows[] = {
        {"no data", {nullptr, 1, 1, 4, 4, false}},
        {"zero width", {pixels, 0, 1, 4, 4, false}},
        {"two samples", {pixels, 1, 1, 4, 2, false}},
        {"rows too short", {pixels, 2, 1, 7, 4, false}},
        {"overflowing rows", {pixels, SIZE_MAX / 2, 1, SIZE_MAX, 4, false}},
    };
    for (const Row& row : rows) {
        EXPECT_FALSE(cg_context_draw_pixels(context.get(), CGRectMake(0, 0, 1, 1), row.source))
            << row.name;
    }
    EXPECT_FALSE(cg_context_draw_pixels(nullptr, CGRectMake(0, 0, 1, 1),
                                        CGPixelSource{pixels, 1, 1, 4, 4, false}));
    EXPECT_EQ(context.at(0, 0), k_clear);
}

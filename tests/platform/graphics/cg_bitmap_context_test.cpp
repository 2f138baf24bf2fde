#include "platform/graphics/cg_bitmap_context.h"

#include "platform/graphics/cg_color_space.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// A device RGB space for the life of a test.
struct SpaceScope {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    ~SpaceScope() { CGColorSpaceRelease(space); }
};

struct ContextArguments {
    std::string name;
    bool caller_buffer;
    std::size_t width, height, bits_per_component, bytes_per_row;
    CGBitmapInfo bitmap_info;
};

constexpr std::size_t k_negative_one = static_cast<std::size_t>(-1);
constexpr std::size_t k_negative_five = static_cast<std::size_t>(std::int64_t{-5});

} // namespace

TEST(CGBitmapContext, RefusesArgumentsThatDescribeNoDrawableBuffer) {
    SpaceScope scope;
    std::vector<unsigned char> buffer(64);
    const ContextArguments rows[] = {
        {"zero width", true, 0, 4, 8, 16, kCGImageAlphaPremultipliedLast},
        {"zero height", true, 4, 0, 8, 16, kCGImageAlphaPremultipliedLast},
        {"negative width", true, k_negative_five, 4, 8, 16, kCGImageAlphaPremultipliedLast},
        {"negative height", false, 4, k_negative_five, 8, 16, kCGImageAlphaPremultipliedLast},
        {"rows shorter than width x 4", true, 4, 4, 8, 15, kCGImageAlphaPremultipliedLast},
        {"zero row bytes over a caller buffer", true, 4, 4, 8, 0, kCGImageAlphaPremultipliedLast},
        {"negative row bytes", true, 4, 4, 8, k_negative_one, kCGImageAlphaPremultipliedLast},
        {"width beyond 32 bits", true, std::size_t{INT32_MAX} + 1, 1, 8, SIZE_MAX,
         kCGImageAlphaPremultipliedLast},
        {"width x 4 overflows", true, SIZE_MAX / 2, 1, 8, SIZE_MAX, kCGImageAlphaPremultipliedLast},
        {"row bytes beyond 32 bits", true, 4, 4, 8, std::size_t{INT32_MAX} + 1,
         kCGImageAlphaPremultipliedLast},
        {"own buffer over the limit", false, 1 << 15, 1 << 15, 8, 1 << 17,
         kCGImageAlphaPremultipliedLast},
        {"16 bits per component", true, 4, 4, 16, 32, kCGImageAlphaPremultipliedLast},
        {"0 bits per component", true, 4, 4, 0, 16, kCGImageAlphaPremultipliedLast},
        {"straight alpha", true, 4, 4, 8, 16, kCGImageAlphaLast},
        {"alpha first", true, 4, 4, 8, 16, kCGImageAlphaPremultipliedFirst},
        {"no alpha byte", true, 4, 4, 8, 16, kCGImageAlphaNone},
        {"alpha only", true, 4, 4, 8, 16, kCGImageAlphaOnly},
        {"unknown alpha value", true, 4, 4, 8, 16, 9},
        {"little-endian words", true, 4, 4, 8, 16,
         kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little},
        {"float components", true, 4, 4, 8, 16,
         kCGImageAlphaPremultipliedLast | kCGBitmapFloatComponents},
    };
    for (const ContextArguments& row : rows) {
        void* data = row.caller_buffer ? buffer.data() : nullptr;
        CGContextRef context =
            CGBitmapContextCreate(data, row.width, row.height, row.bits_per_component,
                                  row.bytes_per_row, scope.space, row.bitmap_info);
        EXPECT_EQ(context, nullptr) << row.name;
        CGContextRelease(context);
    }
    EXPECT_EQ(
        CGBitmapContextCreate(buffer.data(), 4, 4, 8, 16, nullptr, kCGImageAlphaPremultipliedLast),
        nullptr)
        << "no colour space";
}

TEST(CGBitmapContext, AcceptsTheRGBALayouts) {
    SpaceScope scope;
    std::vector<unsigned char> buffer(4096);
    const ContextArguments rows[] = {
        {"premultiplied last", true, 4, 4, 8, 16, kCGImageAlphaPremultipliedLast},
        {"padded rows", true, 3, 5, 8, 64, kCGImageAlphaPremultipliedLast},
        {"skipped alpha byte", true, 4, 4, 8, 16, kCGImageAlphaNoneSkipLast},
        {"big-endian words", true, 4, 4, 8, 16,
         kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big},
        {"one pixel", true, 1, 1, 8, 4, kCGImageAlphaPremultipliedLast},
    };
    for (const ContextArguments& row : rows) {
        CGContextRef context =
            CGBitmapContextCreate(buffer.data(), row.width, row.height, row.bits_per_component,
                                  row.bytes_per_row, scope.space, row.bitmap_info);
        ASSERT_NE(context, nullptr) << row.name;
        EXPECT_EQ(CGBitmapContextGetData(context), buffer.data()) << row.name;
        EXPECT_EQ(CGBitmapContextGetWidth(context), row.width) << row.name;
        EXPECT_EQ(CGBitmapContextGetHeight(context), row.height) << row.name;
        EXPECT_EQ(CGBitmapContextGetBytesPerRow(context), row.bytes_per_row) << row.name;
        EXPECT_EQ(CGBitmapContextGetBitmapInfo(context), row.bitmap_info) << row.name;
        EXPECT_EQ(CGBitmapContextGetAlphaInfo(context), row.bitmap_info & kCGBitmapAlphaInfoMask)
            << row.name;
        CGContextRelease(context);
    }
}

TEST(CGBitmapContext, AllocatesAZeroedBufferOfTightRowsWhenGivenNone) {
    SpaceScope scope;
    CGContextRef context =
        CGBitmapContextCreate(nullptr, 5, 3, 8, 0, scope.space, kCGImageAlphaPremultipliedLast);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(CGBitmapContextGetBytesPerRow(context), 20u);
    EXPECT_EQ(CGBitmapContextGetBitsPerPixel(context), 32u);
    EXPECT_EQ(CGBitmapContextGetBitsPerComponent(context), 8u);
    auto* bytes = static_cast<unsigned char*>(CGBitmapContextGetData(context));
    ASSERT_NE(bytes, nullptr);
    std::vector<unsigned char> pixels(bytes, bytes + 20 * 3);
    EXPECT_EQ(pixels, std::vector<unsigned char>(60, 0));
    CGContextRelease(context);
}

// Each retain needs its own release; the sanitizer build reports an object freed too early.
TEST(CGBitmapContext, ContextAndColorSpaceLiveUntilTheirLastReferenceAndNullIsAccepted) {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    ASSERT_EQ(CGColorSpaceRetain(space), space);
    CGColorSpaceRelease(space);
    EXPECT_EQ(CGColorSpaceGetModel(space), kCGColorSpaceModelRGB);
    CGContextRef context =
        CGBitmapContextCreate(nullptr, 2, 2, 8, 8, space, kCGImageAlphaPremultipliedLast);
    CGColorSpaceRelease(space);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(CGColorSpaceGetNumberOfComponents(CGBitmapContextGetColorSpace(context)), 3u);
    ASSERT_EQ(CGContextRetain(context), context);
    CGContextRelease(context);
    EXPECT_EQ(CGBitmapContextGetWidth(context), 2u);
    CGContextRelease(context);

    EXPECT_EQ(CGColorSpaceRetain(nullptr), nullptr);
    CGColorSpaceRelease(nullptr);
    EXPECT_EQ(CGColorSpaceGetNumberOfComponents(nullptr), 0u);
    EXPECT_EQ(CGColorSpaceGetModel(nullptr), kCGColorSpaceModelUnknown);
    EXPECT_EQ(CGContextRetain(nullptr), nullptr);
    CGContextRelease(nullptr);
    EXPECT_EQ(CGBitmapContextGetData(nullptr), nullptr);
    EXPECT_EQ(CGBitmapContextGetWidth(nullptr), 0u);
    EXPECT_EQ(CGBitmapContextGetHeight(nullptr), 0u);
    EXPECT_EQ(CGBitmapContextGetBytesPerRow(nullptr), 0u);
    EXPECT_EQ(CGBitmapContextGetColorSpace(nullptr), nullptr);
}

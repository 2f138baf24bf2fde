#include "platform/graphics/cg_bitmap_context.h"

#include "platform/graphics/cg_color_space.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(CGBitmapContext, MakesContextsOnlyForDrawableRGBABuffers) {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    std::vector<unsigned char> buffer(4096);
    constexpr CGBitmapInfo k_last = kCGImageAlphaPremultipliedLast;
    const struct {
        const char* name;
        bool caller_buffer;
        std::size_t width, height, bits_per_component, bytes_per_row;
        CGBitmapInfo bitmap_info;
        bool made;
    } rows[] = {
        {"premultiplied last", true, 4, 4, 8, 16, k_last, true},
        {"skip last, 32-bit big-endian, own rows", false, 4, 4, 8, 0,
         kCGImageAlphaNoneSkipLast | kCGBitmapByteOrder32Big, true},
        {"rows a byte too short", true, 4, 4, 8, 15, k_last, false},
        {"own rows of a caller's buffer", true, 4, 4, 8, 0, k_last, false},
        {"an own buffer beyond a gigabyte", false, 16385, 16384, 8, 0, k_last, false},
        {"width beyond 32 bits", true, std::size_t{INT32_MAX} + 1, 1, 8, SIZE_MAX, k_last, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::fill(buffer.begin(), buffer.end(), 0xAA);
        void* data = row.caller_buffer ? buffer.data() : nullptr;
        CGContextRef context =
            CGBitmapContextCreate(data, row.width, row.height, row.bits_per_component,
                                  row.bytes_per_row, space, row.bitmap_info);
        ASSERT_EQ(context != nullptr, row.made);
        if (!context) continue;
        std::size_t row_bytes = row.bytes_per_row ? row.bytes_per_row : row.width * 4;
        EXPECT_EQ(CGBitmapContextGetWidth(context), row.width);
        EXPECT_EQ(CGBitmapContextGetHeight(context), row.height);
        EXPECT_EQ(CGBitmapContextGetBytesPerRow(context), row_bytes);
        EXPECT_EQ(CGBitmapContextGetAlphaInfo(context), row.bitmap_info & kCGBitmapAlphaInfoMask);
        auto* bytes = static_cast<unsigned char*>(CGBitmapContextGetData(context));
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(bytes == buffer.data(), row.caller_buffer) << "the caller's buffer";
        const std::size_t size = row_bytes * row.height;
        EXPECT_EQ(std::count(bytes, bytes + size, row.caller_buffer ? 0xAA : 0),
                  std::ptrdiff_t(size))
            << "a caller's buffer untouched, an own one zeroed";
        CGContextRelease(context);
    }
    CGColorSpaceRelease(space);
}

#include "platform/graphics/cg_bitmap_context.h"

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>

namespace {

constexpr std::size_t k_bytes_per_pixel = 4;
constexpr std::size_t k_bits_per_component = 8;
constexpr std::size_t k_max_extent = std::numeric_limits<std::int32_t>::max();
// A buffer the context allocates itself; a larger request is a caller's mistake, not a picture.
constexpr std::size_t k_max_owned_bytes = std::size_t{1} << 30;

struct AlphaLayout {
    CGImageAlphaInfo info;
    bool drawable;
};

constexpr AlphaLayout k_alpha_layouts[] = {
    {kCGImageAlphaNone, false},
    {kCGImageAlphaPremultipliedLast, true},
    {kCGImageAlphaPremultipliedFirst, false},
    {kCGImageAlphaLast, false},
    {kCGImageAlphaFirst, false},
    {kCGImageAlphaNoneSkipLast, true},
    {kCGImageAlphaNoneSkipFirst, false},
    {kCGImageAlphaOnly, false},
};

bool alpha_is_drawable(CGImageAlphaInfo info) {
    for (const AlphaLayout& layout : k_alpha_layouts) {
        if (layout.info == info) return layout.drawable;
    }
    return false;
}

bool byte_order_is_rgba(CGBitmapInfo order) {
    return order == kCGBitmapByteOrderDefault || order == kCGBitmapByteOrder32Big;
}

struct BufferShape {
    std::size_t bytes_per_row = 0;
    std::size_t byte_count = 0;
};

// The row length and total size the arguments describe; false when they describe none.
bool buffer_shape_of(bool caller_buffer, std::size_t width, std::size_t height,
                     std::size_t bytes_per_row, BufferShape& shape) {
    if (width == 0 || height == 0 || width > k_max_extent || height > k_max_extent) return false;
    std::size_t least_row = width * k_bytes_per_pixel;
    if (bytes_per_row == 0 && !caller_buffer) bytes_per_row = least_row;
    if (bytes_per_row < least_row || bytes_per_row > k_max_extent) return false;
    std::size_t byte_count = 0;
    if (__builtin_mul_overflow(bytes_per_row, height, &byte_count)) return false;
    if (!caller_buffer && byte_count > k_max_owned_bytes) return false;
    shape = {bytes_per_row, byte_count};
    return true;
}

bool space_is_rgb(CGColorSpaceRef space) {
    return CGColorSpaceGetModel(space) == kCGColorSpaceModelRGB &&
           CGColorSpaceGetNumberOfComponents(space) == 3;
}

} // namespace

struct CGContext {
    std::atomic<std::int32_t> retain_count{1};
    unsigned char* data = nullptr;
    bool owns_data = false;
    std::size_t width = 0;
    std::size_t height = 0;
    std::size_t bytes_per_row = 0;
    CGBitmapInfo bitmap_info = 0;
    CGColorSpaceRef space = nullptr;
    CGContextFillColor fill_color;

    ~CGContext() {
        if (owns_data) std::free(data);
        CGColorSpaceRelease(space);
    }
};

bool cg_bitmap_info_is_drawable(CGBitmapInfo bitmap_info) {
    CGBitmapInfo known = kCGBitmapAlphaInfoMask | kCGBitmapByteOrderMask;
    if (bitmap_info & ~known) return false;
    return alpha_is_drawable(bitmap_info & kCGBitmapAlphaInfoMask) &&
           byte_order_is_rgba(bitmap_info & kCGBitmapByteOrderMask);
}

CGContextRef CGBitmapContextCreate(void* data, std::size_t width, std::size_t height,
                                   std::size_t bits_per_component, std::size_t bytes_per_row,
                                   CGColorSpaceRef space, CGBitmapInfo bitmap_info) {
    BufferShape shape;
    if (bits_per_component != k_bits_per_component) return nullptr;
    if (!space_is_rgb(space) || !cg_bitmap_info_is_drawable(bitmap_info)) return nullptr;
    if (!buffer_shape_of(data != nullptr, width, height, bytes_per_row, shape)) return nullptr;
    auto* context = new (std::nothrow) CGContext();
    if (!context) return nullptr;
    context->owns_data = !data;
    context->data = data ? static_cast<unsigned char*>(data)
                         : static_cast<unsigned char*>(std::calloc(shape.byte_count, 1));
    if (!context->data) {
        delete context;
        return nullptr;
    }
    context->width = width;
    context->height = height;
    context->bytes_per_row = shape.bytes_per_row;
    context->bitmap_info = bitmap_info;
    context->space = CGColorSpaceRetain(space);
    return context;
}

CGContextRef CGContextRetain(CGContextRef context) {
    if (context) context->retain_count.fetch_add(1, std::memory_order_relaxed);
    return context;
}

void CGContextRelease(CGContextRef context) {
    if (!context) return;
    if (context->retain_count.fetch_sub(1, std::memory_order_acq_rel) == 1) delete context;
}

void* CGBitmapContextGetData(CGContextRef context) {
    return context ? context->data : nullptr;
}

std::size_t CGBitmapContextGetWidth(CGContextRef context) {
    return context ? context->width : 0;
}

std::size_t CGBitmapContextGetHeight(CGContextRef context) {
    return context ? context->height : 0;
}

std::size_t CGBitmapContextGetBytesPerRow(CGContextRef context) {
    return context ? context->bytes_per_row : 0;
}

CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef context) {
    return context ? context->bitmap_info & kCGBitmapAlphaInfoMask : kCGImageAlphaNone;
}

CGContextFillColor cg_context_fill_color(CGContextRef context) {
    return context ? context->fill_color : CGContextFillColor{};
}

void cg_context_set_fill_color(CGContextRef context, CGContextFillColor color) {
    if (context) context->fill_color = color;
}

#include "platform/appkit/ns_bitmap_image_rep.h"

#include "platform/appkit/ns_graphics_context.h"
#include "platform/graphics/cg_context_drawing.h"
#include "platform/graphics/png_file.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr NSInteger k_max_extent = std::numeric_limits<std::int32_t>::max();
// A buffer the representation allocates itself; a larger request is a caller's mistake.
constexpr std::size_t k_max_owned_bytes = std::size_t{1} << 30;
constexpr NSBitmapFormat k_known_formats =
    NSBitmapFormatAlphaFirst | NSBitmapFormatAlphaNonpremultiplied |
    NSBitmapFormatSixteenBitLittleEndian | NSBitmapFormatThirtyTwoBitLittleEndian |
    NSBitmapFormatSixteenBitBigEndian | NSBitmapFormatThirtyTwoBitBigEndian;

struct ColorSpaceRow {
    NSString* const* name;
    NSInteger colors;
};

const ColorSpaceRow k_color_spaces[] = {
    {&NSDeviceRGBColorSpace, 3},
    {&NSCalibratedRGBColorSpace, 3},
    {&NSDeviceWhiteColorSpace, 1},
    {&NSCalibratedWhiteColorSpace, 1},
};

// The number of colour samples of the named space; 0 for an unknown name.
NSInteger colors_of(NSString* name) {
    for (const ColorSpaceRow& row : k_color_spaces) {
        if (same_color_space_name(name, *row.name)) return row.colors;
    }
    return 0;
}

struct BitmapRequest {
    NSInteger width, height, bits_per_sample, samples_per_pixel;
    bool has_alpha, is_planar;
    NSString* color_space_name;
    NSBitmapFormat format;
    NSInteger bytes_per_row, bits_per_pixel;
};

struct BitmapLayout {
    NSInteger bytes_per_row;
    NSInteger bits_per_pixel;
    std::size_t byte_count;
};

bool samples_are_supported(const BitmapRequest& request) {
    if (request.is_planar) return false;
    if (request.bits_per_sample != 8 && request.bits_per_sample != 16) return false;
    if (request.format & ~k_known_formats) return false;
    NSInteger colors = colors_of(request.color_space_name);
    return colors > 0 && request.samples_per_pixel == colors + (request.has_alpha ? 1 : 0);
}

std::optional<BitmapLayout> layout_of(const BitmapRequest& request, bool own_buffer) {
    if (request.width < 1 || request.height < 1) return std::nullopt;
    if (request.width > k_max_extent || request.height > k_max_extent) return std::nullopt;
    if (!samples_are_supported(request)) return std::nullopt;
    NSInteger least_pixel = request.bits_per_sample * request.samples_per_pixel;
    NSInteger pixel = request.bits_per_pixel == 0 ? least_pixel : request.bits_per_pixel;
    if (pixel < least_pixel || pixel % 8 != 0 || pixel > 256) return std::nullopt;
    NSInteger least_row = request.width * (pixel / 8);
    NSInteger row = request.bytes_per_row == 0 ? least_row : request.bytes_per_row;
    if (row < least_row || row > k_max_extent) return std::nullopt;
    std::size_t byte_count = 0;
    if (__builtin_mul_overflow(static_cast<std::size_t>(row),
                               static_cast<std::size_t>(request.height), &byte_count)) {
        return std::nullopt;
    }
    if (own_buffer && byte_count > k_max_owned_bytes) return std::nullopt;
    return BitmapLayout{row, pixel, byte_count};
}

} // namespace

id NSBitmapImageRep::initWithBitmapDataPlanes(unsigned char** planes, NSInteger pixels_wide,
                                              NSInteger pixels_high, NSInteger bits_per_sample,
                                              NSInteger samples_per_pixel, BOOL has_alpha,
                                              BOOL is_planar, NSString* color_space_name,
                                              NSBitmapFormat bitmap_format, NSInteger bytes_per_row,
                                              NSInteger bits_per_pixel) {
    unsigned char* caller_data = planes ? planes[0] : nullptr;
    BitmapRequest request{pixels_wide,     pixels_high,     bits_per_sample,  samples_per_pixel,
                          has_alpha != NO, is_planar != NO, color_space_name, bitmap_format,
                          bytes_per_row,   bits_per_pixel};
    std::optional<BitmapLayout> layout = layout_of(request, caller_data == nullptr);
    if (layout && !caller_data) {
        m_owned_data.reset(static_cast<unsigned char*>(std::calloc(layout->byte_count, 1)));
    }
    if (!layout || (!caller_data && !m_owned_data)) {
        release();
        return nil;
    }
    m_data = caller_data ? caller_data : m_owned_data.get();
    m_bytes_per_row = layout->bytes_per_row;
    m_bits_per_pixel = layout->bits_per_pixel;
    m_samples_per_pixel = samples_per_pixel;
    m_bitmap_format = bitmap_format;
    setPixelsWide(pixels_wide);
    setPixelsHigh(pixels_high);
    setBitsPerSample(bits_per_sample);
    setAlpha(has_alpha);
    setColorSpaceName(color_space_name);
    setSize(NSMakeSize(static_cast<CGFloat>(pixels_wide), static_cast<CGFloat>(pixels_high)));
    return this;
}

NSBitmapImageRep* NSBitmapImageRep::imageRepWithContentsOfFile(Class, NSString* path) {
    if (!path) return nil;
    std::string file_path = path->utf8();
    std::optional<PngPicture> picture = read_png_file(file_path);
    if (!picture) return nil;
    auto* rep = static_cast<NSBitmapImageRep*>(make_native<NSBitmapImageRep>().take());
    if (!rep) return nil;
    auto samples = static_cast<NSInteger>(picture->samples_per_pixel);
    rep = static_cast<NSBitmapImageRep*>(rep->initWithBitmapDataPlanes(
        nullptr, static_cast<NSInteger>(picture->width), static_cast<NSInteger>(picture->height), 8,
        samples, picture->has_alpha ? YES : NO, NO, NSDeviceRGBColorSpace,
        NSBitmapFormatAlphaNonpremultiplied, 0, 0));
    if (!rep) return nil;
    for (std::size_t row = 0; row < picture->height; ++row) {
        std::memcpy(rep->m_data + row * static_cast<std::size_t>(rep->m_bytes_per_row),
                    picture->pixels.data() + row * picture->bytes_per_row(),
                    picture->bytes_per_row());
    }
    rep->set_file_path(std::move(file_path));
    return static_cast<NSBitmapImageRep*>(rep->autorelease());
}

BOOL NSBitmapImageRep::draw() {
    return drawAtPoint(NSMakePoint(0, 0));
}

BOOL NSBitmapImageRep::drawAtPoint(NSPoint point) {
    NSSize points = size();
    return drawInRect(NSMakeRect(point.x, point.y, points.width, points.height));
}

BOOL NSBitmapImageRep::drawInRect(NSRect rect) {
    NSGraphicsContext* context = NSGraphicsContext::current();
    if (!context || !m_data || bitsPerSample() != 8) return NO;
    if (colors_of(colorSpaceName()) != 3 || (m_bitmap_format & NSBitmapFormatAlphaFirst)) return NO;
    CGPixelSource source{m_data,
                         static_cast<std::size_t>(pixelsWide()),
                         static_cast<std::size_t>(pixelsHigh()),
                         static_cast<std::size_t>(m_bytes_per_row),
                         static_cast<std::size_t>(m_samples_per_pixel),
                         (m_bitmap_format & NSBitmapFormatAlphaNonpremultiplied) == 0};
    if (m_bits_per_pixel != m_samples_per_pixel * 8) return NO;
    if (!cg_context_draw_pixels(context->CGContext(), rect, source)) return NO;
    if (!file_path().empty()) context->note_drawn_file(file_name());
    return YES;
}

void register_ns_bitmap_image_rep_class() {
    register_native_class<NSBitmapImageRep>(
        "NSBitmapImageRep", "NSImageRep",
        {
            instance_method<&NSBitmapImageRep::initWithBitmapDataPlanes>(
                "initWithBitmapDataPlanes:pixelsWide:pixelsHigh:bitsPerSample:samplesPerPixel:"
                "hasAlpha:isPlanar:colorSpaceName:bitmapFormat:bytesPerRow:bitsPerPixel:"),
            instance_method<&NSBitmapImageRep::bitmapData>("bitmapData"),
            instance_method<&NSBitmapImageRep::bytesPerRow>("bytesPerRow"),
            instance_method<&NSBitmapImageRep::bitsPerPixel>("bitsPerPixel"),
            instance_method<&NSBitmapImageRep::samplesPerPixel>("samplesPerPixel"),
            instance_method<&NSBitmapImageRep::bitmapFormat>("bitmapFormat"),
            instance_method<&NSBitmapImageRep::isPlanar>("isPlanar"),
            instance_method<&NSBitmapImageRep::draw>("draw"),
            instance_method<&NSBitmapImageRep::drawAtPoint>("drawAtPoint:"),
            instance_method<&NSBitmapImageRep::drawInRect>("drawInRect:"),
        });
    add_native_methods(native_class<NSImageRep>(),
                       {
                           class_method<&NSBitmapImageRep::imageRepWithContentsOfFile>(
                               "imageRepWithContentsOfFile:"),
                       });
}

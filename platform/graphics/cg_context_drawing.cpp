#include "platform/graphics/cg_context_drawing.h"

#include <algorithm>
#include <cmath>

namespace {

struct Pixel {
    std::uint8_t red, green, blue, alpha;
};

// A run of whole pixels, in buffer indexes: columns left to right, rows top to bottom.
struct PixelSpan {
    std::size_t first_column = 0, end_column = 0;
    std::size_t first_row = 0, end_row = 0;
    bool empty() const { return first_column >= end_column || first_row >= end_row; }
};

std::uint8_t scale_sample(unsigned sample, unsigned alpha) {
    return static_cast<std::uint8_t>((sample * alpha + 127) / 255);
}

std::uint8_t unit_to_sample(CGFloat value) {
    if (!(value > 0)) return 0; // NaN as well
    if (value >= 1) return 255;
    return static_cast<std::uint8_t>(std::lround(value * 255));
}

// The first pixel index whose centre lies at or after `edge`, limited to 0...limit.
std::size_t first_index_from(CGFloat edge, std::size_t limit) {
    CGFloat index = std::ceil(edge - 0.5);
    if (!(index > 0)) return 0;
    if (index >= static_cast<CGFloat>(limit)) return limit;
    return static_cast<std::size_t>(index);
}

bool rect_is_usable(CGRect rect) {
    return std::isfinite(rect.origin.x) && std::isfinite(rect.origin.y) &&
           std::isfinite(rect.size.width) && std::isfinite(rect.size.height) &&
           rect.size.width > 0 && rect.size.height > 0;
}

PixelSpan span_of(CGContextRef context, CGRect rect) {
    if (!context || !rect_is_usable(rect)) return {};
    std::size_t width = CGBitmapContextGetWidth(context);
    std::size_t height = CGBitmapContextGetHeight(context);
    PixelSpan span;
    span.first_column = first_index_from(rect.origin.x, width);
    span.end_column = first_index_from(rect.origin.x + rect.size.width, width);
    // Rows counted upwards from the bottom, then turned into buffer rows from the top.
    std::size_t low = first_index_from(rect.origin.y, height);
    std::size_t high = first_index_from(rect.origin.y + rect.size.height, height);
    span.first_row = height - high;
    span.end_row = height - low;
    return span;
}

std::uint8_t* pixel_at(CGContextRef context, std::size_t column, std::size_t row) {
    auto* data = static_cast<std::uint8_t*>(CGBitmapContextGetData(context));
    return data + row * CGBitmapContextGetBytesPerRow(context) + column * 4;
}

// Source over destination, both premultiplied.
void blend_over(std::uint8_t* destination, Pixel source) {
    unsigned keep = 255u - source.alpha;
    destination[0] = static_cast<std::uint8_t>(source.red + scale_sample(destination[0], keep));
    destination[1] = static_cast<std::uint8_t>(source.green + scale_sample(destination[1], keep));
    destination[2] = static_cast<std::uint8_t>(source.blue + scale_sample(destination[2], keep));
    destination[3] = static_cast<std::uint8_t>(source.alpha + scale_sample(destination[3], keep));
}

Pixel premultiplied_pixel(const CGPixelSource& source, std::size_t column, std::size_t row) {
    const std::uint8_t* sample =
        source.data + row * source.bytes_per_row + column * source.samples_per_pixel;
    if (source.samples_per_pixel == 3) return {sample[0], sample[1], sample[2], 255};
    std::uint8_t alpha = sample[3];
    if (source.premultiplied) {
        // A premultiplied sample above its alpha is damaged data; keep the sum within a byte.
        return {std::min(sample[0], alpha), std::min(sample[1], alpha), std::min(sample[2], alpha),
                alpha};
    }
    return {scale_sample(sample[0], alpha), scale_sample(sample[1], alpha),
            scale_sample(sample[2], alpha), alpha};
}

// The source index that the destination pixel `index` samples, its centre mapped into the source.
std::size_t source_index(std::size_t index, CGFloat start, CGFloat length, std::size_t count) {
    CGFloat position = (static_cast<CGFloat>(index) + 0.5 - start) / length;
    auto scaled = static_cast<CGFloat>(count) * position;
    if (!(scaled > 0)) return 0;
    return std::min(static_cast<std::size_t>(scaled), count - 1);
}

} // namespace

void CGContextSetRGBFillColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue,
                              CGFloat alpha) {
    std::uint8_t a = unit_to_sample(alpha);
    cg_context_set_fill_color(context, {scale_sample(unit_to_sample(red), a),
                                        scale_sample(unit_to_sample(green), a),
                                        scale_sample(unit_to_sample(blue), a), a});
}

void CGContextFillRect(CGContextRef context, CGRect rect) {
    PixelSpan span = span_of(context, rect);
    if (span.empty()) return;
    CGContextFillColor fill = cg_context_fill_color(context);
    Pixel colour{fill.red, fill.green, fill.blue, fill.alpha};
    for (std::size_t row = span.first_row; row < span.end_row; ++row) {
        for (std::size_t column = span.first_column; column < span.end_column; ++column)
            blend_over(pixel_at(context, column, row), colour);
    }
}

void CGContextClearRect(CGContextRef context, CGRect rect) {
    PixelSpan span = span_of(context, rect);
    if (span.empty()) return;
    for (std::size_t row = span.first_row; row < span.end_row; ++row) {
        std::fill_n(pixel_at(context, span.first_column, row),
                    (span.end_column - span.first_column) * 4, std::uint8_t{0});
    }
}

bool cg_pixel_source_is_valid(const CGPixelSource& source) {
    if (!source.data || source.width == 0 || source.height == 0) return false;
    if (source.samples_per_pixel != 3 && source.samples_per_pixel != 4) return false;
    std::size_t least_row = 0;
    if (__builtin_mul_overflow(source.width, source.samples_per_pixel, &least_row)) return false;
    return source.bytes_per_row >= least_row;
}

bool cg_context_draw_pixels(CGContextRef context, CGRect rect, const CGPixelSource& source) {
    if (!context || !cg_pixel_source_is_valid(source)) return false;
    PixelSpan span = span_of(context, rect);
    CGFloat top = static_cast<CGFloat>(CGBitmapContextGetHeight(context)) -
                  (rect.origin.y + rect.size.height);
    for (std::size_t row = span.first_row; row < span.end_row; ++row) {
        std::size_t from_row = source_index(row, top, rect.size.height, source.height);
        std::uint8_t* to = pixel_at(context, span.first_column, row);
        for (std::size_t column = span.first_column; column < span.end_column; ++column, to += 4) {
            std::size_t from_column =
                source_index(column, rect.origin.x, rect.size.width, source.width);
            const Pixel pixel = premultiplied_pixel(source, from_column, from_row);
            // Over a clear pixel nothing changes, and an opaque one hides what was there: an
            // icon is mostly both.
            if (pixel.alpha == 0) continue;
            if (pixel.alpha == 255) {
                to[0] = pixel.red, to[1] = pixel.green, to[2] = pixel.blue, to[3] = 255;
                continue;
            }
            blend_over(to, pixel);
        }
    }
    return true;
}

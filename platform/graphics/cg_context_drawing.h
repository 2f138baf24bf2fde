#pragma once
// Drawing into a bitmap context: filling rectangles with a colour and compositing pixels of 8-bit
// RGB or RGBA pictures, source over destination, into the context's premultiplied buffer.
//
// Coordinates are the context's: one unit is one pixel, the origin is the bottom-left corner of
// the buffer and y grows upwards, so the buffer's first row is the top of the picture. A pixel
// belongs to a rectangle when its centre lies inside it; whatever falls outside the buffer is
// left out.

#include "platform/graphics/cg_bitmap_context.h"
#include "platform/graphics/cg_geometry.h"

#include <cstddef>
#include <cstdint>

// Components outside 0...1 are taken as the nearest bound. Nothing happens for a null context.
void CGContextSetRGBFillColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue,
                              CGFloat alpha);
// Blends the fill colour over the pixels of `rect`.
void CGContextFillRect(CGContextRef context, CGRect rect);
// Makes the pixels of `rect` transparent black.
void CGContextClearRect(CGContextRef context, CGRect rect);

// A picture to draw: rows of 8-bit samples, first row at the top, red first, with alpha last when
// there are 4 samples. `premultiplied` tells whether the colour samples already carry the alpha.
// The memory is borrowed for the length of the call.
struct CGPixelSource {
    const std::uint8_t* data = nullptr;
    std::size_t width = 0;
    std::size_t height = 0;
    std::size_t bytes_per_row = 0;
    std::size_t samples_per_pixel = 4; // 3 (opaque) or 4
    bool premultiplied = false;
};

// Whether the source describes pixels that can be drawn: data present, a size of at least one
// pixel, 3 or 4 samples and rows long enough to hold them.
bool cg_pixel_source_is_valid(const CGPixelSource& source);

// Composites `source` over the context, scaled (nearest pixel) to fill `rect`. False, with
// nothing drawn, for a null context or an invalid source; true otherwise, even when the rectangle
// misses the buffer.
bool cg_context_draw_pixels(CGContextRef context, CGRect rect, const CGPixelSource& source);

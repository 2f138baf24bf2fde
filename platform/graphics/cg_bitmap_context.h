#pragma once
// Bitmap drawing contexts: a pixel buffer of 8-bit RGBA samples (red first, alpha or an unused
// byte last) in the device RGB colour space, which later drawing operations draw into.
//
// Ownership follows the platform's rule: CGBitmapContextCreate returns a reference the caller
// gives back with CGContextRelease. The context keeps a reference to its colour space. A buffer
// passed in stays the caller's and must outlive the context; with a null buffer the context
// allocates a zeroed one of its own, freed with the context. Get functions return borrowed values.

#include "platform/graphics/cg_color_space.h"

#include <cstddef>
#include <cstdint>

struct CGContext;
using CGContextRef = CGContext*;

using CGBitmapInfo = std::uint32_t;
using CGImageAlphaInfo = std::uint32_t;

inline constexpr CGImageAlphaInfo kCGImageAlphaNone = 0;
inline constexpr CGImageAlphaInfo kCGImageAlphaPremultipliedLast = 1;
inline constexpr CGImageAlphaInfo kCGImageAlphaPremultipliedFirst = 2;
inline constexpr CGImageAlphaInfo kCGImageAlphaLast = 3;
inline constexpr CGImageAlphaInfo kCGImageAlphaFirst = 4;
inline constexpr CGImageAlphaInfo kCGImageAlphaNoneSkipLast = 5;
inline constexpr CGImageAlphaInfo kCGImageAlphaNoneSkipFirst = 6;
inline constexpr CGImageAlphaInfo kCGImageAlphaOnly = 7;

inline constexpr CGBitmapInfo kCGBitmapAlphaInfoMask = 0x1F;
inline constexpr CGBitmapInfo kCGBitmapFloatComponents = 1u << 8;
inline constexpr CGBitmapInfo kCGBitmapByteOrderMask = 0x7000;
inline constexpr CGBitmapInfo kCGBitmapByteOrderDefault = 0;
inline constexpr CGBitmapInfo kCGBitmapByteOrder16Little = 1u << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder32Little = 2u << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder16Big = 3u << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder32Big = 4u << 12;

// The alpha layouts a context can draw into: kCGImageAlphaPremultipliedLast and
// kCGImageAlphaNoneSkipLast, in the default or 32-bit big-endian byte order (both put red in the
// first byte). Straight alpha (kCGImageAlphaLast) is refused, as drawing blends premultiplied.
bool cg_bitmap_info_is_drawable(CGBitmapInfo bitmap_info);

// Null when an argument cannot describe such a buffer: width or height 0 or above INT32_MAX (a
// negative size converted to size_t lands there), bits per component other than 8, bytes per row
// below width × 4 or above INT32_MAX, a byte count that overflows, a colour space that is not
// RGB, or a bitmap layout that is not drawable. bytes_per_row 0 with a null buffer picks
// width × 4; an allocated buffer is limited to 1 GiB. Null also when memory runs out.
CGContextRef CGBitmapContextCreate(void* data, std::size_t width, std::size_t height,
                                   std::size_t bits_per_component, std::size_t bytes_per_row,
                                   CGColorSpaceRef space, CGBitmapInfo bitmap_info);
// Both accept null; CGContextRetain returns its argument.
CGContextRef CGContextRetain(CGContextRef context);
void CGContextRelease(CGContextRef context);

// Each gives 0 (null) for a null context.
void* CGBitmapContextGetData(CGContextRef context);
std::size_t CGBitmapContextGetWidth(CGContextRef context);
std::size_t CGBitmapContextGetHeight(CGContextRef context);
std::size_t CGBitmapContextGetBytesPerRow(CGContextRef context);
CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef context);

// The colour that fill operations use, as premultiplied 8-bit samples in the buffer's order
// (red, green, blue, alpha); opaque black in a new context. Drawing operations keep it here.
struct CGContextFillColor {
    std::uint8_t red = 0, green = 0, blue = 0, alpha = 255;
};
CGContextFillColor cg_context_fill_color(CGContextRef context);
void cg_context_set_fill_color(CGContextRef context, CGContextFillColor color);

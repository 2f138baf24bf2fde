#pragma once
// NSBitmapImageRep: an image representation over a pixel buffer of interleaved samples, either
// the caller's (which must outlive the representation) or its own zeroed one. The model keeps
// samples of 8 or 16 bits, meshed (not planar), in RGB or white colour spaces.

#include "platform/appkit/ns_image_rep.h"

#include <cstdlib>
#include <memory>

// Bitmap format flags (bitmapFormat:).
using NSBitmapFormat = NSUInteger;
inline constexpr NSBitmapFormat NSBitmapFormatAlphaFirst = 1 << 0;
inline constexpr NSBitmapFormat NSBitmapFormatAlphaNonpremultiplied = 1 << 1;
inline constexpr NSBitmapFormat NSBitmapFormatFloatingPointSamples = 1 << 2;
inline constexpr NSBitmapFormat NSBitmapFormatSixteenBitLittleEndian = 1 << 8;
inline constexpr NSBitmapFormat NSBitmapFormatThirtyTwoBitLittleEndian = 1 << 9;
inline constexpr NSBitmapFormat NSBitmapFormatSixteenBitBigEndian = 1 << 10;
inline constexpr NSBitmapFormat NSBitmapFormatThirtyTwoBitBigEndian = 1 << 11;

class NSBitmapImageRep : public NSImageRep {
  public:
    NSBitmapImageRep() = default;

    // -initWithBitmapDataPlanes:pixelsWide:pixelsHigh:bitsPerSample:samplesPerPixel:hasAlpha:
    // isPlanar:colorSpaceName:bitmapFormat:bytesPerRow:bitsPerPixel:. A null `planes`, or a null
    // first plane, makes the representation allocate a zeroed buffer. bytes_per_row 0 means
    // tightly packed rows, bits_per_pixel 0 means bits per sample × samples per pixel. Releases
    // itself and returns nil for a layout it cannot hold: sizes below 1 or above INT32_MAX, bits
    // per sample other than 8 or 16, floating-point samples, planar data, samples that do not
    // match the colour space (3 colours for RGB, 1 for white, plus alpha), rows or pixels shorter
    // than their samples, overflowing byte counts, or an own buffer over 1 GiB.
    id initWithBitmapDataPlanes(unsigned char** planes, NSInteger pixels_wide,
                                NSInteger pixels_high, NSInteger bits_per_sample,
                                NSInteger samples_per_pixel, BOOL has_alpha, BOOL is_planar,
                                NSString* color_space_name, NSBitmapFormat bitmap_format,
                                NSInteger bytes_per_row, NSInteger bits_per_pixel);

    // Null before a successful init.
    unsigned char* bitmapData() const { return m_data; }
    NSInteger bytesPerRow() const { return m_bytes_per_row; }
    NSInteger bitsPerPixel() const { return m_bits_per_pixel; }
    NSInteger samplesPerPixel() const { return m_samples_per_pixel; }
    NSBitmapFormat bitmapFormat() const { return m_bitmap_format; }
    BOOL isPlanar() const { return NO; }

    // +imageRepWithContentsOfFile:, also answered by NSImageRep: an autoreleased representation
    // of the PNG file at `path` (8-bit RGB, or RGBA with straight alpha when the file has
    // transparency) whose size in points is its size in pixels; nil when the file cannot be read.
    static NSBitmapImageRep* imageRepWithContentsOfFile(Class self, NSString* path);

    // Composite the pixels over the current graphics context, scaled to the rectangle: at a point
    // with the representation's size, at (0, 0) for -draw. NO, with nothing drawn, without a
    // current context or for samples it cannot draw (16-bit, alpha first, white colour spaces).
    // Drawing a picture read from a file tells the context the file's name.
    BOOL draw();
    BOOL drawAtPoint(NSPoint point);
    BOOL drawInRect(NSRect rect);

  private:
    struct FreeDeleter {
        void operator()(unsigned char* block) const { std::free(block); }
    };

    unsigned char* m_data = nullptr;
    std::unique_ptr<unsigned char, FreeDeleter> m_owned_data;
    NSInteger m_bytes_per_row = 0;
    NSInteger m_bits_per_pixel = 0;
    NSInteger m_samples_per_pixel = 0;
    NSBitmapFormat m_bitmap_format = 0;
};

void register_ns_bitmap_image_rep_class();

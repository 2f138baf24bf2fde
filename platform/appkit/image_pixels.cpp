#include "platform/appkit/image_pixels.h"

#include "platform/appkit/ns_bitmap_image_rep.h"

#include <algorithm>

namespace {

uint8_t straightened(uint8_t sample, uint8_t alpha) {
    if (alpha == 0) return 0;
    return static_cast<uint8_t>(std::min(255, (sample * 255 + alpha / 2) / alpha));
}

// How the bitmap's pixels are laid out, asked once per bitmap rather than once per pixel.
struct PixelFormat {
    bool has_alpha;
    bool premultiplied;
};

void copy_pixel(const unsigned char* from, PixelFormat format, uint8_t* to) {
    const uint8_t alpha = format.has_alpha ? from[3] : 255;
    const bool straighten = format.premultiplied && alpha != 255;
    for (int i = 0; i < 3; ++i)
        to[i] = straighten ? straightened(from[i], alpha) : from[i];
    to[3] = alpha;
}

} // namespace

bool has_readable_pixels(const NSBitmapImageRep& bitmap) {
    if (!bitmap.bitmapData() || bitmap.bitsPerSample() != 8) return false;
    if (bitmap.bitmapFormat() & (NSBitmapFormatAlphaFirst | NSBitmapFormatFloatingPointSamples))
        return false;
    const NSInteger samples = bitmap.samplesPerPixel();
    if (samples != (bitmap.hasAlpha() ? 4 : 3)) return false;
    if (bitmap.bitsPerPixel() < samples * 8) return false;
    return bitmap.pixelsWide() > 0 && bitmap.pixelsHigh() > 0;
}

std::shared_ptr<const ImagePixels> read_bitmap_pixels(const NSBitmapImageRep& bitmap, NSSize size) {
    if (!has_readable_pixels(bitmap)) return nullptr;
    auto pixels = std::make_shared<ImagePixels>();
    pixels->width = size.width;
    pixels->height = size.height;
    pixels->pixels_wide = static_cast<int>(bitmap.pixelsWide());
    pixels->pixels_high = static_cast<int>(bitmap.pixelsHigh());
    pixels->rgba.resize(static_cast<size_t>(pixels->pixels_wide) * pixels->pixels_high * 4);
    const size_t pixel_bytes = static_cast<size_t>(bitmap.bitsPerPixel() / 8);
    const bool has_alpha = bitmap.hasAlpha() != NO;
    const PixelFormat format{
        has_alpha, has_alpha && !(bitmap.bitmapFormat() & NSBitmapFormatAlphaNonpremultiplied)};
    uint8_t* to = pixels->rgba.data();
    for (int y = 0; y < pixels->pixels_high; ++y) {
        const unsigned char* row = bitmap.bitmapData() + y * bitmap.bytesPerRow();
        for (int x = 0; x < pixels->pixels_wide; ++x, to += 4)
            copy_pixel(row + x * pixel_bytes, format, to);
    }
    return pixels;
}

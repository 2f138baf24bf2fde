#pragma once
// Numbered images: a 32-bit RGBA pixel store (an NSBitmapImageRep, rows of width × 4 bytes, first
// row at the top, straight alpha) wrapped in an NSImage that the platform shows, kept in an object
// table of their own. ImageDrawTarget makes an image's pixels the current drawing target, drawn
// through a premultiplied bitmap context; ending the pass recaches the image.

#include "runtime/core/draw_target.h"
#include "runtime/core/object_table.h"

#include <cstdint>

class NSImage;
class NSBitmapImageRep;

namespace rt {

struct ListHeader;

struct ImageRecord {
    NSImage* image;           // the liveness mark; one reference
    NSBitmapImageRep* bitmap; // one reference besides the image's
    int16_t width;
    int16_t height;
    int16_t pixel_depth;  // always 32
    int16_t format_depth; // 24 or 32 as asked at creation
    int32_t frame_count;
    ListHeader* frames; // ImageFrame elements for images of more than one frame, else null
    int32_t current_frame;
};
static_assert(sizeof(ImageRecord) == 48);

struct ImageFrame {
    NSImage* image;
    NSBitmapImageRep* bitmap;
};

inline constexpr int32_t ImageTableGrowthStep = 16;
// NewImage's background for a fully transparent image; any other value is 0xBBGGRR.
inline constexpr int64_t ImageBackgroundClear = -1;
// ImageBitDepth's mode that asks for the depth given at creation.
inline constexpr int64_t ImageDepthModeFormat = -2;

// Start-up: creates the image table; 1, or 0 when it cannot be created.
int InitImages();
// Shutdown: frees every image.
void EndImages();
ObjectTable* image_table();

// The NSImage for a fixed number, the new number for AutoNumber; 0 when the table is missing, the
// size is outside 1...32767 pixels, or the bitmap or the image cannot be made (no record is left
// under the number then). An image live under the number is freed first.
int64_t NewImage(int64_t number, int64_t width, int64_t height, int64_t depth, int64_t background);
int64_t NewImageOpaque(int64_t number, int64_t width, int64_t height, int64_t depth);
int64_t NewImage24(int64_t number, int64_t width, int64_t height);
// AutoNumber frees every image; an unknown number does nothing.
void FreeImageObject(int64_t number);

// Each gives 0 for no image.
int64_t ImageHandle(int64_t number);
int64_t ImagePixelWidth(int64_t number);
int64_t ImagePixelHeight(int64_t number);
int64_t ImageBitDepth(int64_t number, int64_t mode);
// The image's pixel store (ImagePixelHeight rows of ImagePixelWidth × 4 bytes); null for no image.
uint8_t* ImagePixels(int64_t number);

// A new drawing target for the image, already current; null for no image or when memory runs out.
// Without a colour space or bitmap context the target still gives the pixel buffer.
DrawTarget* ImageDrawTarget(int64_t number);

} // namespace rt

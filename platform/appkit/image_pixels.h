#pragma once
// The pixels a display shows for an image, read from a bitmap representation that holds 8-bit
// RGB or RGBA samples with the alpha last; premultiplied samples are straightened.

#include "platform/appkit/ns_geometry.h"
#include "platform/display/display_snapshots.h"

#include <memory>

class NSBitmapImageRep;

bool has_readable_pixels(const NSBitmapImageRep& bitmap);

// The bitmap's pixels for an image of `size` points; null when has_readable_pixels() is false.
std::shared_ptr<const ImagePixels> read_bitmap_pixels(const NSBitmapImageRep& bitmap, NSSize size);

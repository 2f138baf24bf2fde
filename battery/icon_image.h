#pragma once
// Loading a status picture: a picture file read through the platform's image-representation
// reader and drawn at its full pixel size into a runtime image, with premultiplied alpha undone
// where the file has an alpha channel.

#include <cstdint>

namespace battery {

// Image `number` (a fixed number or rt::AutoNumber) of the picture at `path`, one pixel per
// point. The new image (its NSImage for a fixed number, its number for AutoNumber); 0 when the
// file cannot be read, has no size, or the image cannot be made or drawn into, in which case no
// image is left under the number.
int64_t LoadIconImage(int64_t number, const char16_t* path);

} // namespace battery

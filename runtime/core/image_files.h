#pragma once
// Numbered images loaded from and saved to files through the image codecs.

#include <cstdint>

namespace rt {

// A new image under the number (AutoNumber: a new number) holding the picture in the file, decoded
// by the first registered decoder that accepts it; its format depth is 32 for a picture with
// alpha, 24 otherwise. As NewImage: the NSImage for a fixed number, the new number for
// AutoNumber, 0 when the file cannot be read, no decoder takes it, or no image can be made.
int64_t LoadImage(int64_t number, const char16_t* path);
// 1 when the image was written to the file in the format at the depth, replacing the file whole;
// 0 for no image, no encoder of the format or of the depth, or a file that cannot be written
// (errno says why; the old file is then as it was).
int SaveImage(int64_t number, const char16_t* path, uint32_t format, int64_t bits_per_pixel);

} // namespace rt

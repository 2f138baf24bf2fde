#pragma once
// The runtime's BMP decoder: uncompressed files of 1, 4 or 8 bits per pixel through a palette, and
// of 16, 24 or 32 bits, the 16- and 32-bit ones also with colour masks. Every size, offset and
// palette count is checked against the file before a byte is read, so a file that lies about
// itself is refused instead of read past its end.

#include "runtime/core/image_codecs.h"

namespace rt {

// At least 54 bytes that start with "BM" and have zero reserved fields.
int ProbeBMP(const uint8_t* data, std::size_t size);
// The pixels of an accepted file, or 0 when it is refused: an information header smaller than 40
// bytes or past the end, a width or height outside 1...32767, other than one plane, a depth or
// compression not listed above, a palette that does not fit its depth or lies past the pixels,
// a pixel naming a colour the palette lacks, or rows past the end of the file.
int DecodeBMP(const uint8_t* data, std::size_t size, DecodedImage* image);
void ReleaseBMPPixels(DecodedImage* image);

} // namespace rt

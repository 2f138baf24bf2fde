#pragma once
// The runtime's BMP encoder. It writes 1, 4, 8 or 24 bits per pixel without alpha, and 32 bits
// with alpha in a header whose colour masks say where the alpha is; for 8 bits and fewer the
// colours are reduced to a palette (see colour_palette.h). Rows are written bottom row first.

#include "runtime/core/image_codecs.h"

namespace rt {

int EncodeBMP(const uint8_t* pixels, int64_t width, int64_t height, int64_t bits_per_pixel,
              std::string* out);

} // namespace rt

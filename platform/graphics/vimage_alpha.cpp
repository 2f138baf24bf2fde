#include "platform/graphics/vimage_alpha.h"

#include <cstdint>
#include <cstring>

namespace {

void unpremultiply_pixel(const std::uint8_t* from, std::uint8_t* to) {
    unsigned alpha = from[3];
    if (alpha == 255) {
        std::memcpy(to, from, 4);
        return;
    }
    for (int i = 0; i < 3; ++i) {
        unsigned sample = alpha == 0 ? 0 : (from[i] * 255u + alpha / 2) / alpha;
        to[i] = static_cast<std::uint8_t>(sample > 255 ? 255 : sample);
    }
    to[3] = static_cast<std::uint8_t>(alpha);
}

vImage_Error check_buffers(const vImage_Buffer* src, const vImage_Buffer* dest,
                           vImage_Flags flags) {
    if (!src || !dest || !src->data || !dest->data) return kvImageNullPointerArgument;
    if (flags & ~kvImageDoNotTile) return kvImageUnknownFlagsBit;
    if (dest->width < src->width || dest->height < src->height) return kvImageBufferSizeMismatch;
    if (src->width > SIZE_MAX / 4) return kvImageInvalidParameter;
    if (src->rowBytes < src->width * 4 || dest->rowBytes < src->width * 4) {
        return kvImageInvalidParameter;
    }
    return kvImageNoError;
}

// `conversion` is called as conversion(const std::uint8_t* from, std::uint8_t* to) per pixel.
template <class PixelConversion>
vImage_Error convert(const vImage_Buffer* src, const vImage_Buffer* dest, vImage_Flags flags,
                     PixelConversion conversion) {
    vImage_Error error = check_buffers(src, dest, flags);
    if (error != kvImageNoError) return error;
    const auto* from_rows = static_cast<const std::uint8_t*>(src->data);
    auto* to_rows = static_cast<std::uint8_t*>(dest->data);
    for (vImagePixelCount row = 0; row < src->height; ++row) {
        const std::uint8_t* from = from_rows + row * src->rowBytes;
        std::uint8_t* to = to_rows + row * dest->rowBytes;
        for (vImagePixelCount column = 0; column < src->width; ++column)
            conversion(from + column * 4, to + column * 4);
    }
    return kvImageNoError;
}

} // namespace

vImage_Error vImageUnpremultiplyData_RGBA8888(const vImage_Buffer* src, const vImage_Buffer* dest,
                                              vImage_Flags flags) {
    return convert(src, dest, flags, [](const std::uint8_t* from, std::uint8_t* to) {
        unpremultiply_pixel(from, to);
    });
}

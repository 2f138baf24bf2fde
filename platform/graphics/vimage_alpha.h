#pragma once
// Conversion from premultiplied to straight alpha over buffers of 8-bit RGBA pixels (red
// first, alpha last), described as the platform describes them: data, height, width and the
// bytes from one row to the next. Source and destination may be the same buffer (in place).

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

using vImagePixelCount = unsigned long;
using vImage_Error = ssize_t;
using vImage_Flags = std::uint32_t;

struct vImage_Buffer {
    void* data;
    vImagePixelCount height;
    vImagePixelCount width;
    std::size_t rowBytes;
};

inline constexpr vImage_Flags kvImageNoFlags = 0;
inline constexpr vImage_Flags kvImageDoNotTile = 16;

inline constexpr vImage_Error kvImageNoError = 0;
inline constexpr vImage_Error kvImageNullPointerArgument = -21772;
inline constexpr vImage_Error kvImageInvalidParameter = -21773;
inline constexpr vImage_Error kvImageBufferSizeMismatch = -21774;
inline constexpr vImage_Error kvImageUnknownFlagsBit = -21775;

// Colour samples become sample × 255 / alpha, rounded to nearest and at most 255; a pixel with
// alpha 0 becomes transparent black. Errors, with nothing written: kvImageNullPointerArgument for
// a null description or data, kvImageBufferSizeMismatch when the destination is smaller than the
// source, kvImageInvalidParameter for rows shorter than width × 4 bytes, kvImageUnknownFlagsBit
// for flags other than kvImageDoNotTile.
vImage_Error vImageUnpremultiplyData_RGBA8888(const vImage_Buffer* src, const vImage_Buffer* dest,
                                              vImage_Flags flags);

#pragma once
// The layout of a BMP file, little-endian throughout: a 14-byte file header ("BM", the file size,
// two reserved fields, the offset of the pixels), an information header that starts with its own
// size, for 8 bits per pixel and fewer a palette of blue, green, red, 0 entries, then rows padded
// to 4 bytes, the bottom row first unless the height is negative.

#include <cstddef>
#include <cstdint>

namespace rt::bmp {

inline constexpr std::size_t FileHeaderSize = 14;
inline constexpr std::size_t InfoHeaderSize = 40; // the smallest information header read
inline constexpr std::size_t V4HeaderSize = 108;  // the header that carries colour masks
inline constexpr std::size_t SmallestFile = FileHeaderSize + InfoHeaderSize;
inline constexpr int64_t LargestExtent = 32767; // what an image record holds

// Offsets from the start of the file.
inline constexpr std::size_t AtFileSize = 2;
inline constexpr std::size_t AtReserved1 = 6;
inline constexpr std::size_t AtReserved2 = 8;
inline constexpr std::size_t AtPixelOffset = 10;
inline constexpr std::size_t AtHeaderSize = 14;
inline constexpr std::size_t AtWidth = 18;
inline constexpr std::size_t AtHeight = 22;
inline constexpr std::size_t AtPlanes = 26;
inline constexpr std::size_t AtBitsPerPixel = 28;
inline constexpr std::size_t AtCompression = 30;
inline constexpr std::size_t AtImageSize = 34;
inline constexpr std::size_t AtResolutionX = 38;
inline constexpr std::size_t AtResolutionY = 42;
inline constexpr std::size_t AtColoursUsed = 46;
inline constexpr std::size_t AtMasks = 54; // red, green, blue, then alpha in larger headers
inline constexpr std::size_t AtColourSpace = 70;

inline constexpr uint32_t CompressionNone = 0;
inline constexpr uint32_t CompressionBitFields = 3;
inline constexpr uint32_t ColourSpaceSRGB = 0x73524742; // "sRGB"
inline constexpr uint32_t PixelsPerMetre = 2835;        // 72 dots per inch

// Bytes of one stored row: whole 32-bit words.
constexpr int64_t row_bytes(int64_t width, int64_t bits_per_pixel) {
    return (width * bits_per_pixel + 31) / 32 * 4;
}
static_assert(row_bytes(5, 24) == 16 && row_bytes(5, 1) == 4 && row_bytes(9, 4) == 8);

inline uint32_t read_u16(const uint8_t* at) {
    return static_cast<uint32_t>(at[0] | (at[1] << 8));
}

inline uint32_t read_u32(const uint8_t* at) {
    return read_u16(at) | (read_u16(at + 2) << 16);
}

} // namespace rt::bmp

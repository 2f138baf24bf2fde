#include "runtime/core/bmp_encoder.h"

#include "runtime/core/bmp_format.h"
#include "runtime/core/colour_palette.h"

#include <new>

namespace rt {
namespace {

void put_u16(std::string& out, std::size_t at, uint32_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void put_u32(std::string& out, std::size_t at, uint32_t value) {
    put_u16(out, at, value & 0xFFFF);
    put_u16(out, at + 2, value >> 16);
}

bool is_written_depth(int64_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

// Both headers and room for the palette and the rows, all zero; the caller fills the pixels.
std::string headers(int64_t width, int64_t height, int64_t bits, std::size_t palette_size) {
    std::size_t header = bits == 32 ? bmp::V4HeaderSize : bmp::InfoHeaderSize;
    std::size_t offset = bmp::FileHeaderSize + header + palette_size * 4;
    auto pixel_bytes = static_cast<std::size_t>(bmp::row_bytes(width, bits) * height);
    std::string out(offset + pixel_bytes, '\0');
    out[0] = 'B';
    out[1] = 'M';
    put_u32(out, bmp::AtFileSize, static_cast<uint32_t>(out.size()));
    put_u32(out, bmp::AtPixelOffset, static_cast<uint32_t>(offset));
    put_u32(out, bmp::AtHeaderSize, static_cast<uint32_t>(header));
    put_u32(out, bmp::AtWidth, static_cast<uint32_t>(width));
    put_u32(out, bmp::AtHeight, static_cast<uint32_t>(height));
    put_u16(out, bmp::AtPlanes, 1);
    put_u16(out, bmp::AtBitsPerPixel, static_cast<uint32_t>(bits));
    put_u32(out, bmp::AtImageSize, static_cast<uint32_t>(pixel_bytes));
    put_u32(out, bmp::AtResolutionX, bmp::PixelsPerMetre);
    put_u32(out, bmp::AtResolutionY, bmp::PixelsPerMetre);
    put_u32(out, bmp::AtColoursUsed, static_cast<uint32_t>(palette_size));
    if (bits == 32) {
        put_u32(out, bmp::AtCompression, bmp::CompressionBitFields);
        const uint32_t masks[] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
        for (std::size_t i = 0; i < 4; ++i)
            put_u32(out, bmp::AtMasks + 4 * i, masks[i]);
        put_u32(out, bmp::AtColourSpace, bmp::ColourSpaceSRGB);
    }
    return out;
}

// The start of the stored row that holds picture row `y` (rows are stored bottom first).
std::size_t row_start(const std::string& out, int64_t width, int64_t height, int64_t bits,
                      int64_t y) {
    std::size_t offset =
        bmp::read_u32(reinterpret_cast<const uint8_t*>(out.data()) + bmp::AtPixelOffset);
    return offset + static_cast<std::size_t>((height - 1 - y) * bmp::row_bytes(width, bits));
}

void write_direct(std::string& out, const uint8_t* pixels, int64_t width, int64_t height,
                  int64_t bits) {
    std::size_t bytes = static_cast<std::size_t>(bits / 8);
    for (int64_t y = 0; y < height; ++y) {
        std::size_t at = row_start(out, width, height, bits, y);
        for (int64_t x = 0; x < width; ++x, at += bytes, pixels += 4) {
            out[at] = static_cast<char>(pixels[2]);
            out[at + 1] = static_cast<char>(pixels[1]);
            out[at + 2] = static_cast<char>(pixels[0]);
            if (bytes == 4) out[at + 3] = static_cast<char>(pixels[3]);
        }
    }
}

// Each row's indexes packed from the high bits of each byte down.
void write_indexed(std::string& out, const ReducedPicture& picture, int64_t width, int64_t height,
                   int64_t bits) {
    for (std::size_t i = 0; i < picture.palette.size(); ++i) {
        std::size_t at = bmp::FileHeaderSize + bmp::InfoHeaderSize + i * 4;
        out[at] = static_cast<char>(picture.palette[i].blue);
        out[at + 1] = static_cast<char>(picture.palette[i].green);
        out[at + 2] = static_cast<char>(picture.palette[i].red);
    }
    int per_byte = static_cast<int>(8 / bits);
    for (int64_t y = 0; y < height; ++y) {
        std::size_t at = row_start(out, width, height, bits, y);
        for (int64_t x = 0; x < width; ++x) {
            auto index = picture.indexes[static_cast<std::size_t>(y * width + x)];
            int shift = static_cast<int>(8 - bits * (x % per_byte + 1));
            out[at + static_cast<std::size_t>(x / per_byte)] |= static_cast<char>(index << shift);
        }
    }
}

} // namespace

int EncodeBMP(const uint8_t* pixels, int64_t width, int64_t height, int64_t bits_per_pixel,
              std::string* out) {
    if (!pixels || !out || !is_written_depth(bits_per_pixel)) return 0;
    if (width < 1 || width > bmp::LargestExtent || height < 1 || height > bmp::LargestExtent)
        return 0;
    try {
        if (bits_per_pixel >= 24) {
            *out = headers(width, height, bits_per_pixel, 0);
            write_direct(*out, pixels, width, height, bits_per_pixel);
            return 1;
        }
        ReducedPicture picture = reduce_colours(pixels, static_cast<std::size_t>(width * height),
                                                std::size_t{1} << bits_per_pixel);
        *out = headers(width, height, bits_per_pixel, picture.palette.size());
        write_indexed(*out, picture, width, height, bits_per_pixel);
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

} // namespace rt

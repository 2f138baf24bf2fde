#include "runtime/core/bmp_decoder.h"

#include "runtime/core/bmp_format.h"
#include "runtime/core/memory.h"

#include <algorithm>
#include <bit>

namespace rt {
namespace {

// Where one colour's bits sit in a 16- or 32-bit pixel; an empty mask reads as 255. Fewer than
// 8 bits widen by repeating them (5 bits abcde give abcdeabc), so that the largest value is 255.
struct ChannelMask {
    uint32_t mask;
    int shift;
    int bits;

    explicit ChannelMask(uint32_t mask_bits)
        : mask(mask_bits), shift(mask_bits ? std::countr_zero(mask_bits) : 0),
          bits(std::popcount(mask_bits)) {}

    uint8_t read(uint32_t pixel) const {
        if (!mask) return 255;
        uint32_t value = (pixel & mask) >> shift;
        if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
        uint32_t widened = 0;
        int filled = 0;
        for (; filled < 8; filled += bits)
            widened = widened << bits | value;
        return static_cast<uint8_t>(widened >> (filled - 8));
    }
};

// Everything read from the headers, checked against the file.
struct Layout {
    int64_t width = 0;
    int64_t height = 0;
    bool top_down = false;
    int64_t bits = 0;
    std::size_t palette_at = 0;
    std::size_t palette_size = 0;
    std::size_t pixels_at = 0;
    bool alpha_declared = false; // by a mask in the header, rather than assumed
    ChannelMask masks[4] = {ChannelMask(0), ChannelMask(0), ChannelMask(0), ChannelMask(0)};
};

constexpr uint32_t k_masks_16[4] = {0x7C00, 0x03E0, 0x001F, 0};
constexpr uint32_t k_masks_32[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};

void put_rgba(uint8_t* out, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
    out[0] = red;
    out[1] = green;
    out[2] = blue;
    out[3] = alpha;
}

bool fits(std::size_t at, std::size_t bytes, std::size_t size) {
    return at <= size && bytes <= size - at;
}

// Where a 16- or 32-bit file keeps red, green, blue and alpha: the masks after the 40-byte
// header or inside a larger one, or the fixed layout of an uncompressed file.
bool read_masks(const uint8_t* data, std::size_t size, std::size_t header, uint32_t compression,
                Layout& layout) {
    uint32_t masks[4];
    std::copy_n(layout.bits == 32 ? k_masks_32 : k_masks_16, 4, masks);
    if (compression == bmp::CompressionBitFields) {
        std::size_t count = header >= 56 ? 4 : 3;
        if (!fits(bmp::AtMasks, count * 4, size)) return false;
        for (std::size_t i = 0; i < 4; ++i)
            masks[i] = i < count ? bmp::read_u32(data + bmp::AtMasks + 4 * i) : 0;
        if (header == bmp::InfoHeaderSize) layout.palette_at += 12;
        layout.alpha_declared = masks[3] != 0;
    }
    uint64_t limit = layout.bits == 16 ? 0xFFFF : 0xFFFFFFFF;
    for (std::size_t i = 0; i < 4; ++i) {
        if (masks[i] > limit || (i < 3 && masks[i] == 0)) return false;
        layout.masks[i] = ChannelMask(masks[i]);
    }
    return true;
}

bool read_layout(const uint8_t* data, std::size_t size, Layout& layout) {
    std::size_t header = bmp::read_u32(data + bmp::AtHeaderSize);
    if (header < bmp::InfoHeaderSize || !fits(bmp::AtHeaderSize, header, size)) return false;
    auto width = static_cast<int32_t>(bmp::read_u32(data + bmp::AtWidth));
    auto height = static_cast<int32_t>(bmp::read_u32(data + bmp::AtHeight));
    layout.width = width;
    layout.height = height < 0 ? -int64_t{height} : height;
    layout.top_down = height < 0;
    layout.bits = bmp::read_u16(data + bmp::AtBitsPerPixel);
    if (layout.width < 1 || layout.width > bmp::LargestExtent || layout.height < 1 ||
        layout.height > bmp::LargestExtent || bmp::read_u16(data + bmp::AtPlanes) != 1)
        return false;
    uint32_t compression = bmp::read_u32(data + bmp::AtCompression);
    layout.palette_at = bmp::AtHeaderSize + header;
    layout.pixels_at = bmp::read_u32(data + bmp::AtPixelOffset);
    switch (layout.bits) {
    case 1:
    case 4:
    case 8: {
        if (compression != bmp::CompressionNone) return false;
        uint32_t used = bmp::read_u32(data + bmp::AtColoursUsed);
        uint32_t most = uint32_t{1} << layout.bits;
        layout.palette_size = used ? used : most;
        if (used > most) return false;
        break;
    }
    case 24:
        if (compression != bmp::CompressionNone) return false;
        break;
    case 16:
    case 32:
        if (compression != bmp::CompressionNone && compression != bmp::CompressionBitFields)
            return false;
        if (!read_masks(data, size, header, compression, layout)) return false;
        break;
    default:
        return false;
    }
    std::size_t pixel_bytes =
        static_cast<std::size_t>(bmp::row_bytes(layout.width, layout.bits) * layout.height);
    return layout.pixels_at >= layout.palette_at + layout.palette_size * 4 &&
           fits(layout.pixels_at, pixel_bytes, size);
}

uint32_t read_word(const uint8_t* at, int64_t bytes) {
    uint32_t value = 0;
    for (int64_t i = bytes - 1; i >= 0; --i)
        value = value << 8 | at[i];
    return value;
}

// One stored row into RGBA pixels; false when a pixel names a colour the palette lacks.
bool decode_row(const uint8_t* data, const Layout& layout, const uint8_t* row, uint8_t* out) {
    for (int64_t x = 0; x < layout.width; ++x, out += 4) {
        if (layout.bits <= 8) {
            int64_t bit = x * layout.bits;
            auto index = static_cast<std::size_t>((row[bit / 8] >> (8 - layout.bits - bit % 8)) &
                                                  ((1 << layout.bits) - 1));
            if (index >= layout.palette_size) return false;
            const uint8_t* colour = data + layout.palette_at + index * 4;
            put_rgba(out, colour[2], colour[1], colour[0], 255);
        } else if (layout.bits == 24) {
            const uint8_t* pixel = row + x * 3;
            put_rgba(out, pixel[2], pixel[1], pixel[0], 255);
        } else {
            uint32_t pixel = read_word(row + x * layout.bits / 8, layout.bits / 8);
            const ChannelMask* masks = layout.masks;
            put_rgba(out, masks[0].read(pixel), masks[1].read(pixel), masks[2].read(pixel),
                     masks[3].read(pixel));
        }
    }
    return true;
}

// A 32-bit file that declares no alpha mask and whose fourth bytes are zero throughout is an
// opaque picture written without alpha. One that declares alpha is taken at its word, so that a
// fully transparent picture stays transparent.
bool make_opaque_when_alpha_unused(uint8_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (pixels[i * 4 + 3] != 0) return false;
    }
    for (std::size_t i = 0; i < count; ++i)
        pixels[i * 4 + 3] = 255;
    return true;
}

} // namespace

int ProbeBMP(const uint8_t* data, std::size_t size) {
    if (!data || size < bmp::SmallestFile) return 0;
    if (data[0] != 'B' || data[1] != 'M') return 0;
    return bmp::read_u16(data + bmp::AtReserved1) == 0 &&
           bmp::read_u16(data + bmp::AtReserved2) == 0;
}

int DecodeBMP(const uint8_t* data, std::size_t size, DecodedImage* image) {
    Layout layout;
    if (!image || !ProbeBMP(data, size) || !read_layout(data, size, layout)) return 0;
    auto count = static_cast<std::size_t>(layout.width * layout.height);
    auto* pixels = static_cast<uint8_t*>(AllocateBlockRaw(count * 4));
    if (!pixels) return 0;
    auto stored = static_cast<std::size_t>(bmp::row_bytes(layout.width, layout.bits));
    for (int64_t y = 0; y < layout.height; ++y) {
        int64_t stored_row = layout.top_down ? y : layout.height - 1 - y;
        const uint8_t* row =
            data + layout.pixels_at + static_cast<std::size_t>(stored_row) * stored;
        if (!decode_row(data, layout, row,
                        pixels + static_cast<std::size_t>(y * layout.width) * 4)) {
            FreeBlock(pixels);
            return 0;
        }
    }
    bool opaque = layout.bits == 32 &&
                  (layout.masks[3].mask == 0 ||
                   (!layout.alpha_declared && make_opaque_when_alpha_unused(pixels, count)));
    *image = DecodedImage{layout.width, layout.height, opaque ? 24 : layout.bits, pixels};
    return 1;
}

void ReleaseBMPPixels(DecodedImage* image) {
    if (!image) return;
    FreeBlock(image->pixels);
    image->pixels = nullptr;
}

} // namespace rt

#include "runtime/core/image_codecs.h"

#include "runtime/core/memory.h"

#include <cstdlib>

namespace rt {
namespace {

constexpr std::size_t k_bmp_header_size = 54;

ImageDecoder g_decoders[ImageCodecCapacity];
ImageEncoder g_encoders[ImageCodecCapacity];
int g_decoder_count = 0;
int g_encoder_count = 0;
void* g_decoding_state = nullptr;

uint32_t read_u16(const uint8_t* at) {
    return static_cast<uint32_t>(at[0] | (at[1] << 8));
}

uint32_t read_u32(const uint8_t* at) {
    return read_u16(at) | (read_u16(at + 2) << 16);
}

// Whether a 32-bit file's alpha bytes are all zero; false when its pixels are not all present.
bool alpha_is_unused(const uint8_t* data, std::size_t size, int64_t width, int64_t height) {
    std::size_t offset = read_u32(data + 10);
    std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    if (offset > size || bytes > size - offset) return false;
    for (std::size_t i = offset + 3; i < offset + bytes; i += 4) {
        if (data[i] != 0) return false;
    }
    return true;
}

void no_cleanup(ImageDecodeInfo*) {}

} // namespace

int InitImageCodecs() {
    g_decoder_count = 0;
    g_encoder_count = 0;
    if (!g_decoding_state) g_decoding_state = AllocateBlock(ImageDecodingStateSize);
    return g_decoding_state ? 1 : 0;
}

int RegisterBMPCodec() {
    if (!g_decoding_state) return 0;
    if (g_decoder_count == ImageCodecCapacity || g_encoder_count == ImageCodecCapacity) return 0;
    g_decoders[g_decoder_count++] = {&ProbeBMP, &DecodeBMPHeader, &no_cleanup, ImageFormatBMP};
    g_encoders[g_encoder_count++] = {ImageFormatBMP, nullptr, nullptr};
    return 1;
}

int ImageDecoderCount() {
    return g_decoder_count;
}

int ImageEncoderCount() {
    return g_encoder_count;
}

const ImageDecoder* FindImageDecoder(const uint8_t* data, std::size_t size) {
    if (!data) return nullptr;
    for (int i = 0; i < g_decoder_count; ++i) {
        if (g_decoders[i].probe(data, size)) return &g_decoders[i];
    }
    return nullptr;
}

uint32_t DecodeImageHeader(const uint8_t* data, std::size_t size, ImageDecodeInfo* info) {
    const ImageDecoder* decoder = FindImageDecoder(data, size);
    if (!decoder || !info) return 0;
    if (!decoder->decode(data, size, info)) return 0;
    return decoder->format;
}

int ProbeBMP(const uint8_t* data, std::size_t size) {
    if (!data || size < k_bmp_header_size) return 0;
    if (data[0] != 'B' || data[1] != 'M') return 0;
    return read_u16(data + 6) == 0 && read_u16(data + 8) == 0;
}

int DecodeBMPHeader(const uint8_t* data, std::size_t size, ImageDecodeInfo* info) {
    if (!info || !ProbeBMP(data, size)) return 0;
    auto width = static_cast<int32_t>(read_u32(data + 18));
    auto height = static_cast<int32_t>(read_u32(data + 22));
    int64_t depth = read_u16(data + 28);
    if (width <= 0 || height == 0 || height == INT32_MIN || depth == 0) return 0;
    int64_t rows = height < 0 ? -int64_t{height} : height;
    if (depth == 32 && alpha_is_unused(data, size, width, rows)) depth = 24;
    *info = ImageDecodeInfo{width, rows, depth, height < 0 ? 1 : 0};
    return 1;
}

} // namespace rt

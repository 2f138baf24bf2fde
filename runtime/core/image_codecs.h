#pragma once
// The image codec registry: decoders tried in registration order (the first whose probe accepts
// the data decodes it) and encoders by format tag, filled at start-up. The runtime's own codec is
// BMP; this program registers it but loads its pictures through the platform instead.

#include <cstddef>
#include <cstdint>

namespace rt {

inline constexpr uint32_t ImageFormatBMP = 0x504E42;
inline constexpr std::size_t ImageDecodingStateSize = 136;
inline constexpr int ImageCodecCapacity = 8;

// What a decoder learns from a file's header. It sits at the front of the decoding state.
struct ImageDecodeInfo {
    int64_t width;
    int64_t height; // positive whichever way the rows run
    int64_t depth;  // bits per pixel; 24 for 32-bit files whose alpha bytes are all zero
    int64_t top_down;
};
static_assert(sizeof(ImageDecodeInfo) <= ImageDecodingStateSize);

using ImageProbe = int (*)(const uint8_t* data, std::size_t size);
using ImageDecode = int (*)(const uint8_t* data, std::size_t size, ImageDecodeInfo* info);
using ImageCleanup = void (*)(ImageDecodeInfo* info);
using ImageEncode = int (*)(const char* path, const uint8_t* pixels, int64_t width, int64_t height,
                            int64_t bits_per_pixel);

struct ImageDecoder {
    ImageProbe probe;
    ImageDecode decode;
    ImageCleanup cleanup;
    uint32_t format;
};

struct ImageEncoder {
    uint32_t format;
    ImageEncode encode24;
    ImageEncode encode32;
};

// Start-up: empties the decoder list and allocates the decoding state; 1, or 0 without memory.
int InitImageCodecs();
// Adds the BMP decoder (and its encoder entry, with no encode procedures: nothing here writes BMP
// files); 1, or 0 when InitImageCodecs has not run or the lists are full.
int RegisterBMPCodec();

int ImageDecoderCount();
int ImageEncoderCount();
// The first registered decoder whose probe accepts the data; null when none does.
const ImageDecoder* FindImageDecoder(const uint8_t* data, std::size_t size);
// Decodes the header through the first accepting decoder into the decoding state; its format
// tag, or 0 when no decoder accepts or decodes the data.
uint32_t DecodeImageHeader(const uint8_t* data, std::size_t size, ImageDecodeInfo* info);

// The BMP probe: at least 54 bytes starting with "BM" and zero reserved fields.
int ProbeBMP(const uint8_t* data, std::size_t size);
// The BMP header: width, height, bits per pixel. 0 for a refused probe, a zero size or depth.
int DecodeBMPHeader(const uint8_t* data, std::size_t size, ImageDecodeInfo* info);

} // namespace rt

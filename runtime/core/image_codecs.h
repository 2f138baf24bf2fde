#pragma once
// The image codec registry: decoders tried in registration order (the first whose probe accepts
// the data decodes it) and encoders by format tag, filled at start-up. Decoded pixels and the
// pixels given to an encoder are in the images' own layout: rows of width × 4 bytes red, green,
// blue, alpha, first row at the top, alpha not premultiplied.

#include <cstddef>
#include <cstdint>
#include <string>

namespace rt {

inline constexpr uint32_t ImageFormatBMP = 0x504E42;
inline constexpr std::size_t ImageDecodingStateSize = 136;
inline constexpr int ImageCodecCapacity = 8;

// What a decoder makes of a file. `pixels` belongs to the decoder that filled it until its
// cleanup procedure runs; null before a decode and after the cleanup.
struct DecodedImage {
    int64_t width;
    int64_t height;
    int64_t depth; // bits per pixel as stored; 24 for 32-bit files whose alpha bytes are all
                   // zero and that declare no alpha mask
    uint8_t* pixels;
};
static_assert(sizeof(DecodedImage) <= ImageDecodingStateSize);

// 1 when the data looks like the decoder's format.
using ImageProbe = int (*)(const uint8_t* data, std::size_t size);
// 1 with `image` filled, 0 with `image` untouched when the data cannot be decoded whole.
using ImageDecode = int (*)(const uint8_t* data, std::size_t size, DecodedImage* image);
// Gives back what the decode allocated.
using ImageCleanup = void (*)(DecodedImage* image);
// 1 with the file's bytes in `out`; 0 for a depth the encoder does not write or out of memory.
using ImageEncode = int (*)(const uint8_t* pixels, int64_t width, int64_t height,
                            int64_t bits_per_pixel, std::string* out);

struct ImageDecoder {
    ImageProbe probe;
    ImageDecode decode;
    ImageCleanup cleanup;
    uint32_t format;
};

struct ImageEncoder {
    uint32_t format;
    ImageEncode encode24; // every depth without alpha
    ImageEncode encode32; // 32 bits per pixel with alpha
};

// Start-up: empties both lists and allocates the decoding state; 1, or 0 without memory.
int InitImageCodecs();
// Each adds at the end of its list; 1, or 0 when InitImageCodecs has not run or the list is full.
int RegisterImageDecoder(const ImageDecoder& decoder);
int RegisterImageEncoder(const ImageEncoder& encoder);
// Adds the runtime's own BMP decoder and encoder.
int RegisterBMPCodec();

int ImageDecoderCount();
int ImageEncoderCount();
// The first registered decoder whose probe accepts the data; null when none does.
const ImageDecoder* FindImageDecoder(const uint8_t* data, std::size_t size);
// The first registered encoder of the format; null when none is.
const ImageEncoder* FindImageEncoder(uint32_t format);

// Decodes through the first accepting decoder into the decoding state, which holds the result
// until the next decode or ReleaseDecodedImage. The decoded image, or null when no decoder
// accepts the data or the one that does cannot decode it.
const DecodedImage* DecodeImage(const uint8_t* data, std::size_t size);
// Runs the cleanup of the decoder that made the decoding state's image.
void ReleaseDecodedImage();

// The file bytes of the pixels in the format at the depth; 1, or 0 when no encoder of the format
// is registered or it does not write that depth.
int EncodeImage(uint32_t format, const uint8_t* pixels, int64_t width, int64_t height,
                int64_t bits_per_pixel, std::string* out);

} // namespace rt

#include "runtime/core/image_codecs.h"

#include "runtime/core/bmp_decoder.h"
#include "runtime/core/bmp_encoder.h"
#include "runtime/core/memory.h"

#include <new>

namespace rt {
namespace {

ImageDecoder g_decoders[ImageCodecCapacity];
ImageEncoder g_encoders[ImageCodecCapacity];
int g_decoder_count = 0;
int g_encoder_count = 0;
void* g_decoding_state = nullptr;
// The decoder whose pixels the decoding state holds; null when it holds none.
const ImageDecoder* g_decoded_by = nullptr;

DecodedImage* decoding_state() {
    return static_cast<DecodedImage*>(g_decoding_state);
}

} // namespace

int InitImageCodecs() {
    ReleaseDecodedImage();
    g_decoder_count = 0;
    g_encoder_count = 0;
    if (!g_decoding_state) g_decoding_state = AllocateBlock(ImageDecodingStateSize);
    if (!g_decoding_state) return 0;
    new (g_decoding_state) DecodedImage{};
    return 1;
}

int RegisterImageDecoder(const ImageDecoder& decoder) {
    if (!g_decoding_state || g_decoder_count == ImageCodecCapacity) return 0;
    g_decoders[g_decoder_count++] = decoder;
    return 1;
}

int RegisterImageEncoder(const ImageEncoder& encoder) {
    if (!g_decoding_state || g_encoder_count == ImageCodecCapacity) return 0;
    g_encoders[g_encoder_count++] = encoder;
    return 1;
}

int RegisterBMPCodec() {
    return RegisterImageDecoder({&ProbeBMP, &DecodeBMP, &ReleaseBMPPixels, ImageFormatBMP}) &&
           RegisterImageEncoder({ImageFormatBMP, &EncodeBMP, &EncodeBMP});
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

const ImageEncoder* FindImageEncoder(uint32_t format) {
    for (int i = 0; i < g_encoder_count; ++i) {
        if (g_encoders[i].format == format) return &g_encoders[i];
    }
    return nullptr;
}

const DecodedImage* DecodeImage(const uint8_t* data, std::size_t size) {
    ReleaseDecodedImage();
    const ImageDecoder* decoder = FindImageDecoder(data, size);
    if (!decoder || !g_decoding_state) return nullptr;
    if (!decoder->decode(data, size, decoding_state())) return nullptr;
    g_decoded_by = decoder;
    return decoding_state();
}

void ReleaseDecodedImage() {
    if (!g_decoded_by) return;
    g_decoded_by->cleanup(decoding_state());
    *decoding_state() = DecodedImage{};
    g_decoded_by = nullptr;
}

int EncodeImage(uint32_t format, const uint8_t* pixels, int64_t width, int64_t height,
                int64_t bits_per_pixel, std::string* out) {
    const ImageEncoder* encoder = FindImageEncoder(format);
    if (!encoder || !pixels || !out) return 0;
    ImageEncode encode = bits_per_pixel == 32 ? encoder->encode32 : encoder->encode24;
    return encode && encode(pixels, width, height, bits_per_pixel, out);
}

} // namespace rt

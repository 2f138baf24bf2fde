// A BMP file as a hostile sender may shape it: decoded pixels never come from outside the file,
// and whatever decodes encodes again and decodes to the same pixels at 24 or 32 bits.

#include "runtime/core/bmp_decoder.h"
#include "runtime/core/bmp_encoder.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rt::DecodedImage image{};
    if (!rt::DecodeBMP(data, size, &image)) return 0;
    auto bytes = static_cast<std::size_t>(image.width * image.height * 4);
    if (image.width * image.height > 1 << 20) {
        rt::ReleaseBMPPixels(&image);
        return 0;
    }
    std::string file;
    if (!rt::EncodeBMP(image.pixels, image.width, image.height, 32, &file)) std::abort();
    rt::DecodedImage again{};
    if (!rt::DecodeBMP(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), &again))
        std::abort();
    if (again.width != image.width || std::memcmp(again.pixels, image.pixels, bytes) != 0)
        std::abort();
    rt::ReleaseBMPPixels(&again);
    rt::ReleaseBMPPixels(&image);
    return 0;
}

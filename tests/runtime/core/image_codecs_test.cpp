#include "runtime/core/bmp_decoder.h"
#include "runtime/core/bmp_encoder.h"
#include "runtime/core/bmp_format.h"
#include "runtime/core/image_codecs.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

// The pictures in tests/runtime/core/bmp were written by ImageMagick (make_pictures.sh there); each
// X.rgba is what ImageMagick reads back from X.bmp, so the expected pixels come from another
// program's reading, not from this decoder.

namespace {

using Bytes = std::string;

std::string picture_path(const std::string& name) {
    return std::string(ZERARAZI_TEST_PICTURES) + "/" + name;
}

const uint8_t* data_of(const Bytes& bytes) {
    return reinterpret_cast<const uint8_t*>(bytes.data());
}

Bytes decode_pixels(const Bytes& file, int64_t* depth = nullptr) {
    rt::DecodedImage image{};
    if (!rt::DecodeBMP(data_of(file), file.size(), &image)) return "refused";
    Bytes pixels(reinterpret_cast<const char*>(image.pixels),
                 static_cast<std::size_t>(image.width * image.height * 4));
    if (depth) *depth = image.depth;
    rt::ReleaseBMPPixels(&image);
    return pixels;
}

void put_u32(Bytes& bytes, std::size_t at, uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// The same picture stored top row first: the height negated and the rows in reverse order.
Bytes top_down(const Bytes& file, std::size_t offset, std::size_t row, int rows) {
    Bytes flipped = file;
    put_u32(flipped, 22, static_cast<uint32_t>(-rows));
    for (int y = 0; y < rows; ++y)
        flipped.replace(offset + y * row, row, file, offset + (rows - 1 - y) * row, row);
    return flipped;
}

// What ImageMagick reads from a file, as 8-bit RGBA; empty when it cannot read it.
Bytes read_by_imagemagick(const std::string& path) {
    std::string command = "convert '" + path + "' -depth 8 rgba:- 2>/dev/null";
    Bytes pixels;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t count = fread(buffer, 1, sizeof buffer, pipe))
            pixels.append(buffer, count);
        if (pclose(pipe) != 0) pixels.clear();
    }
    return pixels;
}

} // namespace

TEST(BmpDecoder, ReadsEveryDepthAnotherProgramWrites) {
    for (const int64_t bits : {1, 4, 8, 16, 24, 32}) {
        const std::string name = "bits" + std::to_string(bits);
        int64_t depth = 0;
        EXPECT_EQ(decode_pixels(file_bytes(picture_path(name + ".bmp")), &depth),
                  file_bytes(picture_path(name + ".rgba")));
        EXPECT_EQ(depth, bits);
    }
    // A file that declares alpha is taken at its word, also when every pixel is clear.
    Bytes clear = file_bytes(picture_path("bits32.bmp"));
    for (std::size_t at = static_cast<uint8_t>(clear[10]) + 3; at < clear.size(); at += 4)
        clear[at] = 0;
    int64_t depth = 0;
    const Bytes clear_pixels = decode_pixels(clear, &depth);
    EXPECT_EQ(std::tuple(depth, clear_pixels.size(), clear_pixels[3], clear_pixels.back()),
              std::tuple(32, 60u, '\0', '\0'));
    Bytes bottom_up = file_bytes(picture_path("bits24.bmp"));
    EXPECT_EQ(decode_pixels(top_down(bottom_up, 54, 16, 3)), decode_pixels(bottom_up));
    Bytes fixed_masks = file_bytes(picture_path("bits32.bmp"));
    put_u32(fixed_masks, 30, 0); // uncompressed: the fixed masks, which bits32.bmp declares too
    EXPECT_EQ(decode_pixels(fixed_masks), file_bytes(picture_path("bits32.rgba")));
}

TEST(BmpDecoder, RefusesAFileThatLiesAboutItself) {
    const Bytes bits4 = file_bytes(picture_path("bits4.bmp"));   // offset 118, 16 colours
    const Bytes bits8 = file_bytes(picture_path("bits8.bmp"));   // 256 colours
    const Bytes bits24 = file_bytes(picture_path("bits24.bmp")); // offset 54
    const Bytes bits16 = file_bytes(picture_path("bits16.bmp")); // masks in a 124-byte header
    const std::tuple<const char*, const Bytes&, std::size_t, uint32_t> rows[] = {
        {"not BM", bits24, 0, 0x4D42 + 1},
        {"reserved field", bits24, 6, 1},
        {"header smaller than 40", bits24, 14, 12},
        {"header past the end", bits24, 14, 1000},
        {"no width", bits24, 18, 0},
        {"width past 32767", bits24, 18, 32768},
        {"no height", bits24, 22, 0},
        {"height past 32767", bits24, 22, 40000},
        {"most negative height", bits24, 22, 0x80000000},
        {"two planes", bits24, 26, 0x00180002},
        {"7 bits per pixel", bits24, 26, 0x00070001},
        {"run-length compressed", bits8, 30, 1},
        {"more colours than 4 bits hold", bits4, 46, 17},
        {"a pixel beyond the colours used", bits4, 46, 2},
        {"pixels inside the palette", bits4, 10, 100},
        {"pixels past the end", bits24, 10, 60},
        {"huge pixel offset", bits24, 10, 0xFFFFFFF0},
        {"a mask wider than 16 bits", bits16, 54, 0x1F0000},
        {"no red mask", bits16, 54, 0}};
    for (const auto& [name, original, at, value] : rows) {
        Bytes file = original;
        put_u32(file, at, value);
        EXPECT_EQ(decode_pixels(file), "refused") << name;
    }
    EXPECT_EQ(decode_pixels(bits24.substr(0, bits24.size() - 1)), "refused");
    EXPECT_EQ(decode_pixels(bits24.substr(0, 53)), "refused");
    EXPECT_EQ(rt::DecodeBMP(nullptr, 100, nullptr), 0);
}

TEST(BmpEncoder, AnotherProgramReadsWhatItWritesAtEveryDepth) {
    const Bytes picture = file_bytes(picture_path("bits32.rgba"));     // 5 × 3, 12 colours, alpha
    const Bytes many = file_bytes(picture_path("bits8.rgba"));         // 6 × 4, 24 colours
    const Bytes two("\0\0\0\xFF\xFA\xFA\xFA\xFF\xFA\xFA\xFA\xFF", 12); // black, two near-white
    auto opaque = [](Bytes pixels) {
        for (std::size_t at = 3; at < pixels.size(); at += 4)
            pixels[at] = static_cast<char>(255);
        return pixels;
    };
    const std::tuple<const Bytes&, int64_t, int64_t, int64_t, Bytes> rows[] = {
        {two, 3, 1, 1, two},
        {picture, 5, 3, 4, opaque(picture)},
        {many, 6, 4, 8, many},
        {picture, 5, 3, 24, opaque(picture)},
        {picture, 5, 3, 32, picture}};
    // Skipped only without the program: a file it cannot read is a failure.
    if (std::system("command -v convert >/dev/null") != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    TemporaryFolder folder;
    for (const auto& [pixels, width, height, bits, expected] : rows) {
        SCOPED_TRACE(bits);
        Bytes file;
        ASSERT_EQ(rt::EncodeBMP(data_of(pixels), width, height, bits, &file), 1);
        put_file(folder / "out.bmp", file);
        Bytes read = read_by_imagemagick(folder / "out.bmp");
        // ImageMagick gives fully transparent pixels its own colour; compare those by alpha only.
        for (std::size_t at = 3; bits == 32 && at < read.size(); at += 4) {
            if (read[at] == 0) read.replace(at - 3, 3, expected, at - 3, 3);
        }
        EXPECT_EQ(std::tuple(read, decode_pixels(file)), std::tuple(expected, expected));
        EXPECT_TRUE(bits != 32 || file.substr(70, 4) == "BGRs"); // sRGB, least byte first
    }
    Bytes ignored;
    EXPECT_EQ(rt::EncodeBMP(data_of(two), 3, 1, 2, &ignored), 0);
    EXPECT_EQ(rt::EncodeBMP(data_of(two), 0, 1, 24, &ignored), 0);
}

TEST(ImageCodecs, LoadingFindsTheRegisteredDecoderAndTheRegistryIsBounded) {
    const Bytes bmp = file_bytes(picture_path("bits24.bmp"));
    ASSERT_EQ(rt::InitImageCodecs(), 1);
    EXPECT_EQ(rt::DecodeImage(data_of(bmp), bmp.size()), nullptr);
    ASSERT_EQ(rt::RegisterBMPCodec(), 1);
    EXPECT_EQ(rt::DecodeImage(data_of(bmp), bmp.size())->width, 5);
    EXPECT_EQ(rt::DecodeImage(data_of(Bytes("ZZ")), 2), nullptr);
    rt::ReleaseDecodedImage();
    // Saving goes through the encoder of the format, the same as the BMP encoder's own output.
    const rt::ImageEncoder* encoder = rt::FindImageEncoder(rt::ImageFormatBMP);
    ASSERT_NE(encoder, nullptr);
    EXPECT_EQ(rt::FindImageEncoder(rt::ImageFormatBMP + 1), nullptr);
    const Bytes pixels = file_bytes(picture_path("bits32.rgba"));
    for (const int64_t bits : {24, 32}) {
        Bytes registered;
        Bytes direct;
        ASSERT_EQ(rt::EncodeImage(rt::ImageFormatBMP, data_of(pixels), 5, 3, bits, &registered), 1);
        ASSERT_EQ(rt::EncodeBMP(data_of(pixels), 5, 3, bits, &direct), 1);
        EXPECT_TRUE(registered == direct) << bits;
    }
    EXPECT_EQ(rt::ImageEncoderCount(), 1);
    EXPECT_EQ(rt::ImageDecoderCount(), 1);
    for (int i = 1; i < rt::ImageCodecCapacity; ++i)
        ASSERT_EQ(rt::RegisterBMPCodec(), 1);
    EXPECT_EQ(rt::RegisterBMPCodec(), 0);
}

#include "runtime/core/image_codecs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void put32(Bytes& bytes, std::size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A BMP file of `width` × `height` (negative: top-down) pixels whose pixel bytes are all `fill`.
Bytes bmp(int32_t width, int32_t height, uint16_t bits, uint8_t fill) {
    std::size_t rows = static_cast<std::size_t>(height < 0 ? -height : height);
    std::size_t row_bytes = (static_cast<std::size_t>(width) * bits / 8 + 3) / 4 * 4;
    Bytes bytes(54 + rows * row_bytes, fill);
    std::fill(bytes.begin(), bytes.begin() + 54, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    put32(bytes, 10, 54);
    put32(bytes, 14, 40);
    put32(bytes, 18, static_cast<uint32_t>(width));
    put32(bytes, 22, static_cast<uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = static_cast<uint8_t>(bits);
    return bytes;
}

} // namespace

TEST(ImageCodecs, StartUpRegistersTheBmpCodecOnce) {
    ASSERT_EQ(rt::InitImageCodecs(), 1);
    EXPECT_EQ(rt::ImageDecoderCount(), 0);
    ASSERT_EQ(rt::RegisterBMPCodec(), 1);
    EXPECT_EQ(rt::ImageDecoderCount(), 1);
    EXPECT_EQ(rt::ImageEncoderCount(), 1);
    Bytes file = bmp(2, 2, 24, 0);
    const rt::ImageDecoder* decoder = rt::FindImageDecoder(file.data(), file.size());
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->format, rt::ImageFormatBMP);
    // Start-up again empties the list before the codec is added anew.
    ASSERT_EQ(rt::InitImageCodecs(), 1);
    EXPECT_EQ(rt::FindImageDecoder(file.data(), file.size()), nullptr);
    ASSERT_EQ(rt::RegisterBMPCodec(), 1);
    EXPECT_EQ(rt::ImageDecoderCount(), 1);
}

TEST(ImageCodecs, TheBmpProbeWantsTheSignatureZeroReservedFieldsAndAFullHeader) {
    struct Row {
        std::string name;
        Bytes bytes;
        int accepted;
    };
    Bytes good = bmp(1, 1, 24, 0);
    Bytes wrong_signature = good;
    wrong_signature[1] = 'A';
    Bytes reserved = good;
    reserved[7] = 1;
    Bytes reserved2 = good;
    reserved2[8] = 1;
    const Row rows[] = {
        {"good", good, 1},
        {"53 bytes", Bytes(good.begin(), good.begin() + 53), 0},
        {"signature", wrong_signature, 0},
        {"first reserved", reserved, 0},
        {"second reserved", reserved2, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(rt::ProbeBMP(row.bytes.data(), row.bytes.size()), row.accepted) << row.name;
    EXPECT_EQ(rt::ProbeBMP(nullptr, 100), 0);
}

TEST(ImageCodecs, TheBmpHeaderGivesSizeAndDepth) {
    struct Row {
        std::string name;
        Bytes bytes;
        rt::ImageDecodeInfo expected;
    };
    const Row rows[] = {
        {"24-bit", bmp(3, 2, 24, 0x80), {3, 2, 24, 0}},
        {"top-down 8-bit", bmp(4, -5, 8, 0), {4, 5, 8, 1}},
        {"32-bit with alpha", bmp(2, 2, 32, 0x01), {2, 2, 32, 0}},
        {"32-bit, alpha all zero", bmp(2, 2, 32, 0x00), {2, 2, 24, 0}},
    };
    for (const Row& row : rows) {
        rt::ImageDecodeInfo info{};
        ASSERT_EQ(rt::DecodeBMPHeader(row.bytes.data(), row.bytes.size(), &info), 1) << row.name;
        EXPECT_EQ(info.width, row.expected.width) << row.name;
        EXPECT_EQ(info.height, row.expected.height) << row.name;
        EXPECT_EQ(info.depth, row.expected.depth) << row.name;
        EXPECT_EQ(info.top_down, row.expected.top_down) << row.name;
    }
    rt::ImageDecodeInfo info{};
    Bytes no_width = bmp(0, 2, 24, 0);
    EXPECT_EQ(rt::DecodeBMPHeader(no_width.data(), no_width.size(), &info), 0);
}

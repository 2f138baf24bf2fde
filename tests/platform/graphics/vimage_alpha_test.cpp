#include "platform/graphics/vimage_alpha.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

vImage_Buffer alpha_buffer(Bytes& bytes, vImagePixelCount width, vImagePixelCount height,
                           std::size_t row_bytes) {
    return {bytes.data(), height, width, row_bytes};
}

} // namespace

TEST(VImageAlpha, UnpremultipliesEachPixelIntoAnotherBufferOrInPlaceLeavingPaddingAlone) {
    const struct {
        Bytes premultiplied, straight;
    } rows[] = {
        {{128, 0, 64, 128}, {255, 0, 128, 128}},
        {{1, 2, 3, 4}, {64, 128, 191, 4}},
        // Colour without alpha carries nothing; samples above their alpha are damaged: capped.
        {{10, 20, 30, 0}, {0, 0, 0, 0}},
        {{200, 100, 0, 100}, {255, 255, 0, 100}},
    };
    for (const auto& row : rows) {
        Bytes source = row.premultiplied, destination(4, 0xEE);
        const vImage_Buffer from = alpha_buffer(source, 1, 1, 4);
        const vImage_Buffer to = alpha_buffer(destination, 1, 1, 4);
        ASSERT_EQ(vImageUnpremultiplyData_RGBA8888(&from, &to, kvImageNoFlags), kvImageNoError);
        EXPECT_EQ(destination, row.straight)
            << "from " << int(row.premultiplied[0]) << "," << int(row.premultiplied[3]);
        EXPECT_EQ(source, row.premultiplied);
    }
    // In place, two rows of one pixel each, six bytes apart: the padding stays.
    Bytes bytes{64, 64, 64, 128, 0xEE, 0xEE, 32, 0, 0, 64, 0xEE, 0xEE};
    vImage_Buffer buffer = alpha_buffer(bytes, 1, 2, 6);
    ASSERT_EQ(vImageUnpremultiplyData_RGBA8888(&buffer, &buffer, kvImageNoFlags), kvImageNoError);
    EXPECT_EQ(bytes, (Bytes{128, 128, 128, 128, 0xEE, 0xEE, 128, 0, 0, 64, 0xEE, 0xEE}));
}

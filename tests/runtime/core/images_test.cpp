#include "runtime/core/images.h"

#include "platform/appkit/ns_bitmap_image_rep.h"
#include "platform/appkit/ns_graphics_context.h"
#include "platform/appkit/ns_image.h"
#include "runtime/core/draw_target.h"
#include "tests/runtime/core/heap_growth.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

namespace rt {
namespace {

// Every test starts with the tables made and ends with no image left.
class Images : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(InitImages(), 1);
        ASSERT_EQ(InitDrawing(), 1);
    }
    void TearDown() override {
        EndDrawing();
        EndImages();
    }
};

std::vector<unsigned char> first_pixels(int64_t number, std::size_t count) {
    auto* image = reinterpret_cast<NSImage*>(ImageHandle(number));
    auto* bitmap = static_cast<NSBitmapImageRep*>(image->representations()->objectAtIndex(0));
    return {bitmap->bitmapData(), bitmap->bitmapData() + count * 4};
}

TEST_F(Images, FillsThePixelsWithTheBackground) {
    const std::tuple<int64_t, std::vector<unsigned char>> rows[] = {
        {0x0000FF, {255, 0, 0, 255}},
        {0x123456, {0x56, 0x34, 0x12, 255}},
        {ImageBackgroundClear, {0, 0, 0, 0}}};
    for (const auto& [background, pixel] : rows) {
        ASSERT_NE(NewImage(3, 5, 2, 32, background), 0);
        std::vector<unsigned char> expected;
        for (int i = 0; i < 10; ++i)
            expected.insert(expected.end(), pixel.begin(), pixel.end());
        EXPECT_EQ(first_pixels(3, 10), expected) << std::hex << background;
    }
}

TEST_F(Images, AnImageIsABitmapOfWidthTimesFourBytesPerRowInsideAnNSImage) {
    int64_t handle = NewImage(1, 44, 24, 32, ImageBackgroundClear);
    ASSERT_NE(handle, 0);
    auto* image = reinterpret_cast<NSImage*>(handle);
    auto* bitmap = static_cast<NSBitmapImageRep*>(image->representations()->objectAtIndex(0));
    EXPECT_EQ(std::tuple(ImageHandle(1), image->size(), bitmap->bytesPerRow(), ImagePixelHeight(1),
                         image->isDataRetained()),
              std::tuple(handle, NSMakeSize(44, 24), 44 * 4, 24, YES));
    // A 24-bit image is opaque black, says so when asked for its format, and its targets carry the
    // opaque format.
    ASSERT_NE(NewImage24(2, 3, 3), 0);
    EXPECT_EQ(std::tuple(ImageBitDepth(2, 0), ImageBitDepth(2, ImageDepthModeFormat),
                         ImageBitDepth(99, 0)),
              std::tuple(32, 24, 0));
    EXPECT_EQ(first_pixels(2, 1), (std::vector<unsigned char>{0, 0, 0, 255}));
    DrawTarget* target = ImageDrawTarget(2);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->pixel_format(target), 0x10020);
    target = ImageDrawTarget(1); // the first, never begun, is finished unchanged
    ASSERT_TRUE(target);
    EXPECT_EQ(target->pixel_format(target), 32);
    EXPECT_EQ(NSGraphicsContext::saved_count(), 1u);
    EXPECT_EQ(ImageDrawTarget(42), nullptr);
}

TEST_F(Images, RefusesSizesItCannotRecordAndFreesOneOrEveryImage) {
    const int64_t sizes[][2] = {{0, 4}, {4, 0}, {-1, 4}, {32768, 1}, {1, 40000}};
    for (const auto& size : sizes) {
        EXPECT_EQ(NewImage(5, size[0], size[1], 32, 0), 0) << size[0] << " x " << size[1];
        EXPECT_EQ(ImageHandle(5), 0);
    }
    ASSERT_NE(NewImage(1, 2, 2, 32, 0), 0);
    ASSERT_NE(NewImage(2, 2, 2, 32, 0), 0);
    FreeImageObject(1);
    FreeImageObject(1);   // already gone
    FreeImageObject(500); // never made
    EXPECT_EQ(std::tuple(ImageHandle(1), ImageHandle(2) != 0), std::tuple(0, true));
    FreeImageObject(AutoNumber);
    EXPECT_EQ(std::tuple(ImageHandle(2), ImagePixelWidth(2)), std::tuple(0, 0));
    EXPECT_LT(heap_growth_per_step([] {
                  NewImage(3, 16, 16, 32, 0);
                  NewImage(3, 16, 16, 32, 0);
                  FreeImageObject(3);
              }),
              16u);
}

TEST_F(Images, ADrawingPassGivesTheBitmapAndSeesItsWritesAfterwards) {
    auto* image = reinterpret_cast<NSImage*>(NewImage(3, 6, 5, 32, ImageBackgroundClear));
    ASSERT_TRUE(image);
    std::size_t recaches = image->recache_count();
    DrawTarget* target = ImageDrawTarget(3);
    ASSERT_TRUE(target);
    EXPECT_EQ(CurrentDrawTarget(), target);
    ASSERT_NE(BeginDrawing(target), 0);
    auto* bitmap = static_cast<NSBitmapImageRep*>(image->representations()->objectAtIndex(0));
    EXPECT_EQ(std::tuple(DrawTargetPixels(), DrawTargetRowBytes()),
              std::tuple(bitmap->bitmapData(), 6 * 4));
    // The pass draws through a premultiplied context over the same pixels, made current.
    NSGraphicsContext* context = NSGraphicsContext::current();
    ASSERT_TRUE(context);
    EXPECT_EQ(std::tuple(CGBitmapContextGetData(context->CGContext()),
                         CGBitmapContextGetAlphaInfo(context->CGContext())),
              std::tuple(bitmap->bitmapData(), kCGImageAlphaPremultipliedLast));
    auto* pixels = static_cast<unsigned char*>(DrawTargetPixels());
    const unsigned char written[4] = {1, 2, 3, 4};
    std::memcpy(pixels + DrawTargetRowBytes() * 4 + 5 * 4, written, 4);
    EndDrawing();
    EXPECT_EQ(std::tuple(CurrentDrawTarget(), NSGraphicsContext::current(), image->recache_count()),
              std::tuple(nullptr, nullptr, recaches + 1));
    EXPECT_EQ(std::vector<unsigned char>(bitmap->bitmapData() + 24 * 4 + 20,
                                         bitmap->bitmapData() + 24 * 4 + 24),
              (std::vector<unsigned char>{1, 2, 3, 4}));
}

// Freeing the image in the middle of a pass must not leave the pass writing freed memory.
TEST_F(Images, APassKeepsItsPixelsWhenItsImageIsFreedBeforeItEnds) {
    ASSERT_NE(NewImage(1, 3, 3, 32, 0), 0);
    ASSERT_NE(BeginDrawing(ImageDrawTarget(1)), 0);
    FreeImageObject(1);
    std::memset(DrawTargetPixels(), 0x7F, 3 * 3 * 4);
    EndDrawing();
    EXPECT_EQ(NSGraphicsContext::saved_count(), 0u);
}

struct Calls {
    int started = 0, stopped = 0, finished = 0;
    int64_t finished_with = -1;
    int64_t start_result = 0;
};

Calls g_calls;

DrawTarget* counting_target(int64_t start_result) {
    g_calls = Calls{};
    g_calls.start_result = start_result;
    DrawTarget* target = CreateDrawTarget(DrawTargetFormat32);
    target->start = [](DrawTarget*) {
        ++g_calls.started;
        return g_calls.start_result;
    };
    target->stop = [](DrawTarget*, int64_t, int64_t) { ++g_calls.stopped; };
    target->finish = [](DrawTarget*, int64_t changed) {
        ++g_calls.finished;
        g_calls.finished_with = changed;
    };
    target->width = 7;
    target->height = 3;
    return target;
}

TEST(DrawTarget, APassRunsStartThenStopAndFinishWithChanges) {
    ASSERT_EQ(InitDrawing(), 1);
    DrawTarget* target = counting_target(99);
    EXPECT_EQ(CurrentDrawTarget(), target);
    EXPECT_EQ(DrawTargetWidth(), 0); // the output size comes with BeginDrawing
    EXPECT_EQ(BeginDrawing(target), 99);
    EXPECT_EQ(std::tuple(DrawTargetWidth(), DrawTargetHeight()), std::tuple(7, 3));
    EndDrawing();
    EndDrawing(); // nothing current: nothing happens
    EXPECT_EQ(std::tuple(g_calls.started, g_calls.stopped, g_calls.finished, g_calls.finished_with,
                         CurrentDrawTarget()),
              std::tuple(1, 1, 1, 1, nullptr));
    // A failed start finishes unchanged and discards the target.
    EXPECT_EQ(BeginDrawing(counting_target(0)), 0);
    EXPECT_EQ(std::tuple(g_calls.stopped, g_calls.finished_with, CurrentDrawTarget()),
              std::tuple(0, 0, nullptr));
    EXPECT_EQ(BeginDrawing(nullptr), 0);
}

} // namespace
} // namespace rt

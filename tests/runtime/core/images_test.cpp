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
        ASSERT_EQ(rt::InitImages(), 1);
        ASSERT_EQ(rt::InitDrawing(), 1);
    }
    void TearDown() override {
        rt::EndDrawing();
        rt::EndImages();
    }
};

std::vector<unsigned char> first_pixels(int64_t number, std::size_t count) {
    auto* image = reinterpret_cast<NSImage*>(rt::ImageHandle(number));
    auto* bitmap = static_cast<NSBitmapImageRep*>(image->representations()->objectAtIndex(0));
    return {bitmap->bitmapData(), bitmap->bitmapData() + count * 4};
}

TEST_F(Images, FillsThePixelsWithTheBackground) {

    const std::tuple<int64_t, std::vector<unsigned char>> rows[] = {
        {0x0000FF, {255, 0, 0, 255}},
        {0x123456, {0x56, 0x34, 0x12, 255}},
        {rt::ImageBackgroundClear, {0, 0, 0, 0}}};
    for (const auto& [background, pixel] : rows) {
        ASSERT_NE(rt::NewImage(3, 5, 2, 32, background), 0);
        std::vector<unsigned char> expected;
        for (int i = 0; i < 10; ++i)
            expected.insert(expected.end(), pixel.begin(), pixel.end());
        EXPECT_EQ(first_pixels(3, 10), expected) << std::hex << background;
    }
}

TEST_F(Images, AnImageIsABitmapOfWidthTimesFourBytesPerRowInsideAnNSImage) {
    int64_t handle = rt::NewImage(1, 44, 24, 32, rt::ImageBackgroundClear);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(rt::ImageHandle(1), handle);
    auto* image = reinterpret_cast<NSImage*>(handle);
    EXPECT_EQ(image->size(), NSMakeSize(44, 24));
    auto* bitmap = static_cast<NSBitmapImageRep*>(image->representations()->objectAtIndex(0));
    EXPECT_EQ(bitmap->bytesPerRow(), 44 * 4);
    EXPECT_EQ(rt::ImagePixelHeight(1), 24);
    // A 24-bit image is opaque black, says so when asked for its format, and its targets carry the
    // opaque format.
    ASSERT_NE(rt::NewImage24(2, 3, 3), 0);
    EXPECT_EQ(rt::ImageBitDepth(2, 0), 32);
    EXPECT_EQ(rt::ImageBitDepth(2, rt::ImageDepthModeFormat), 24);
    EXPECT_EQ(rt::ImageBitDepth(99, 0), 0);
    EXPECT_EQ(first_pixels(2, 1), (std::vector<unsigned char>{0, 0, 0, 255}));
    rt::DrawTarget* target = rt::ImageDrawTarget(2);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->pixel_format(target), 0x10020);
    target = rt::ImageDrawTarget(1); // the first, never begun, is finished unchanged
    ASSERT_TRUE(target);
    EXPECT_EQ(target->pixel_format(target), 32);
    EXPECT_EQ(NSGraphicsContext::saved_count(), 1u);
    EXPECT_EQ(rt::ImageDrawTarget(42), nullptr);
}

TEST_F(Images, RefusesSizesItCannotRecordAndFreesOneOrEveryImage) {
    const int64_t sizes[][2] = {{0, 4}, {4, 0}, {-1, 4}, {32768, 1}, {1, 40000}};
    for (const auto& size : sizes) {
        EXPECT_EQ(rt::NewImage(5, size[0], size[1], 32, 0), 0) << size[0] << " x " << size[1];
        EXPECT_EQ(rt::ImageHandle(5), 0);
    }
    ASSERT_NE(rt::NewImage(1, 2, 2, 32, 0), 0);
    ASSERT_NE(rt::NewImage(2, 2, 2, 32, 0), 0);
    rt::FreeImageObject(1);
    rt::FreeImageObject(1);   // already gone
    rt::FreeImageObject(500); // never made
    EXPECT_EQ(rt::ImageHandle(1), 0);
    EXPECT_NE(rt::ImageHandle(2), 0);
    rt::FreeImageObject(rt::AutoNumber);
    EXPECT_EQ(rt::ImageHandle(2), 0);
    EXPECT_EQ(rt::ImagePixelWidth(2), 0);
    EXPECT_LT(rt::heap_growth_per_step([] {
                  rt::NewImage(3, 16, 16, 32, 0);
                  rt::NewImage(3, 16, 16, 32, 0);
                  rt::FreeImageObject(3);
              }),
              16u);
}

TEST_F(Images, ADrawingPassGivesTheBitmapAndSeesItsWritesAfterwards) {
    auto* image = reinterpret_cast<NSImage*>(rt::NewImage(3, 6, 5, 32, rt::ImageBackgroundClear));
    ASSERT_TRUE(image);
    std::size_t recaches = image->recache_count();
    rt::DrawTarget* target = rt::ImageDrawTarget(3);
    ASSERT_TRUE(target);
    EXPECT_EQ(rt::CurrentDrawTarget(), target);
    ASSERT_NE(rt::BeginDrawing(target), 0);
    auto* bitmap = static_cast<NSBitmapImageRep*>(image->representations()->objectAtIndex(0));
    EXPECT_EQ(rt::DrawTargetPixels(), bitmap->bitmapData());
    EXPECT_EQ(rt::DrawTargetRowBytes(), 6 * 4);
    // The pass draws through a premultiplied context over the same pixels, made current.
    NSGraphicsContext* context = NSGraphicsContext::current();
    ASSERT_TRUE(context);
    EXPECT_EQ(CGBitmapContextGetData(context->CGContext()), bitmap->bitmapData());
    EXPECT_EQ(CGBitmapContextGetAlphaInfo(context->CGContext()), kCGImageAlphaPremultipliedLast);
    auto* pixels = static_cast<unsigned char*>(rt::DrawTargetPixels());
    const unsigned char written[4] = {1, 2, 3, 4};
    std::memcpy(pixels + rt::DrawTargetRowBytes() * 4 + 5 * 4, written, 4);
    rt::EndDrawing();
    EXPECT_EQ(rt::CurrentDrawTarget(), nullptr);
    EXPECT_EQ(NSGraphicsContext::current(), nullptr);
    EXPECT_EQ(image->recache_count(), recaches + 1);
    EXPECT_EQ(std::vector<unsigned char>(bitmap->bitmapData() + 24 * 4 + 20,
                                         bitmap->bitmapData() + 24 * 4 + 24),
              (std::vector<unsigned char>{1, 2, 3, 4}));
}

// Freeing the image in the middle of a pass must not leave the pass writing freed memory.
TEST_F(Images, APassKeepsItsPixelsWhenItsImageIsFreedBeforeItEnds) {
    ASSERT_NE(rt::NewImage(1, 3, 3, 32, 0), 0);
    ASSERT_NE(rt::BeginDrawing(rt::ImageDrawTarget(1)), 0);
    rt::FreeImageObject(1);
    std::memset(rt::DrawTargetPixels(), 0x7F, 3 * 3 * 4);
    rt::EndDrawing();
    EXPECT_EQ(NSGraphicsContext::saved_count(), 0u);
}

struct Calls {
    int started = 0, stopped = 0, finished = 0;
    int64_t finished_with = -1;
    int64_t start_result = 0;
};

Calls g_calls;

rt::DrawTarget* counting_target(int64_t start_result) {
    g_calls = Calls{};
    g_calls.start_result = start_result;
    rt::DrawTarget* target = rt::CreateDrawTarget(rt::DrawTargetFormat32);
    target->start = [](rt::DrawTarget*) {
        ++g_calls.started;
        return g_calls.start_result;
    };
    target->stop = [](rt::DrawTarget*, int64_t, int64_t) { ++g_calls.stopped; };
    target->finish = [](rt::DrawTarget*, int64_t changed) {
        ++g_calls.finished;
        g_calls.finished_with = changed;
    };
    target->width = 7;
    target->height = 3;
    return target;
}

TEST(DrawTarget, APassRunsStartThenStopAndFinishWithChanges) {
    ASSERT_EQ(rt::InitDrawing(), 1);
    rt::DrawTarget* target = counting_target(99);
    EXPECT_EQ(rt::CurrentDrawTarget(), target);
    EXPECT_EQ(rt::DrawTargetWidth(), 0); // the output size comes with BeginDrawing
    EXPECT_EQ(rt::BeginDrawing(target), 99);
    EXPECT_EQ(rt::DrawTargetWidth(), 7);
    EXPECT_EQ(rt::DrawTargetHeight(), 3);
    rt::EndDrawing();
    EXPECT_EQ(g_calls.started, 1);
    EXPECT_EQ(g_calls.stopped, 1);
    EXPECT_EQ(g_calls.finished_with, 1);
    EXPECT_EQ(rt::CurrentDrawTarget(), nullptr);
    rt::EndDrawing(); // nothing current: nothing happens
    EXPECT_EQ(g_calls.finished, 1);

    // A failed start finishes unchanged and discards the target.
    EXPECT_EQ(rt::BeginDrawing(counting_target(0)), 0);
    EXPECT_EQ(g_calls.stopped, 0);
    EXPECT_EQ(g_calls.finished_with, 0);
    EXPECT_EQ(rt::CurrentDrawTarget(), nullptr);
    EXPECT_EQ(rt::BeginDrawing(nullptr), 0);
}

} // namespace
} // namespace rt

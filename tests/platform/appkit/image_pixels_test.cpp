#include "platform/appkit/image_pixels.h"

#include "platform/appkit/ns_bitmap_image_rep.h"
#include "platform/appkit/ns_image.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A 2 × 1 bitmap of its own in `format`, held by an image of `size` points.
ObjcRef<NSImage> image_with_bitmap(NSSize size, NSBitmapFormat format,
                                   NSBitmapImageRep** bitmap_out) {
    id object = NSObject::alloc(objc_lookUpClass("NSImage"));
    auto image = ObjcRef<NSImage>::adopt(msg_send<NSImage*>(object, "initWithSize:", size));
    ObjcRef<NSBitmapImageRep> bitmap = make_native<NSBitmapImageRep>();
    bitmap->initWithBitmapDataPlanes(nullptr, 2, 1, 8, 4, YES, NO, NSDeviceRGBColorSpace, format, 8,
                                     32);
    image->addRepresentation(bitmap.get());
    *bitmap_out = bitmap.get();
    return image;
}

TEST(ImagePixels, AreReadAgainOnlyAfterTheImageChanges) {
    NSBitmapImageRep* bitmap = nullptr;
    ObjcRef<NSImage> image =
        image_with_bitmap(NSMakeSize(2, 1), NSBitmapFormatAlphaNonpremultiplied, &bitmap);
    const unsigned char first[8] = {10, 20, 30, 255, 0, 0, 0, 0};
    std::memcpy(bitmap->bitmapData(), first, sizeof first);
    auto shown = image->display_pixels();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->rgba, std::vector<uint8_t>(first, first + 8));
    EXPECT_EQ(image->display_pixels(), shown); // a refresh that changed nothing shares them
    bitmap->bitmapData()[0] = 99;
    image->recache();
    auto renewed = image->display_pixels();
    ASSERT_TRUE(renewed);
    EXPECT_NE(renewed, shown);
    EXPECT_EQ(renewed->rgba[0], 99);
    EXPECT_EQ(shown->rgba[0], 10); // what a display holds never changes under it
    image->setSize(NSMakeSize(1, 0.5));
    EXPECT_EQ(image->display_pixels()->width, 1);
}

TEST(ImagePixels, StraightenPremultipliedSamples) {
    NSBitmapImageRep* bitmap = nullptr;
    ObjcRef<NSImage> image = image_with_bitmap(NSMakeSize(2, 1), 0, &bitmap);
    const unsigned char premultiplied[8] = {64, 32, 0, 128, 0, 0, 0, 0};
    std::memcpy(bitmap->bitmapData(), premultiplied, sizeof premultiplied);
    auto pixels = image->display_pixels();
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->rgba, (std::vector<uint8_t>{128, 64, 0, 128, 0, 0, 0, 0}));
}

TEST(ImagePixels, AreNullWithoutABitmapADisplayCanRead) {
    id object = NSObject::alloc(objc_lookUpClass("NSImage"));
    auto image =
        ObjcRef<NSImage>::adopt(msg_send<NSImage*>(object, "initWithSize:", NSMakeSize(2, 2)));
    EXPECT_EQ(image->display_pixels(), nullptr);
    ObjcRef<NSBitmapImageRep> sixteen_bit = make_native<NSBitmapImageRep>();
    sixteen_bit->initWithBitmapDataPlanes(nullptr, 2, 2, 16, 4, YES, NO, NSDeviceRGBColorSpace, 0,
                                          0, 0);
    image->addRepresentation(sixteen_bit.get());
    EXPECT_EQ(image->display_pixels(), nullptr);
}

} // namespace

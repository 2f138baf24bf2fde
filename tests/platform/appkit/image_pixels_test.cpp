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

TEST(ImagePixels, StraightenPremultipliedSamples) {
    NSBitmapImageRep* bitmap = nullptr;
    ObjcRef<NSImage> image = image_with_bitmap(NSMakeSize(2, 1), 0, &bitmap);
    const unsigned char premultiplied[8] = {64, 32, 0, 128, 0, 0, 0, 0};
    std::memcpy(bitmap->bitmapData(), premultiplied, sizeof premultiplied);
    auto pixels = image->display_pixels();
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->rgba, (std::vector<uint8_t>{128, 64, 0, 128, 0, 0, 0, 0}));
}

} // namespace

#include "platform/appkit/ns_image.h"

#include "platform/appkit/ns_bitmap_image_rep.h"
#include "platform/appkit/ns_graphics_context.h"
#include "platform/graphics/cg_color_space.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"

#include <gtest/gtest.h>

namespace {

ObjcRef<NSImage> image_of_size(NSSize size) {
    id object = NSObject::alloc(objc_lookUpClass("NSImage"));
    return ObjcRef<NSImage>::adopt(msg_send<NSImage*>(object, "initWithSize:", size));
}

} // namespace

TEST(NSImage, ShowsAPictureDrawnOnlyIntoItsOwnPixels) {
    AutoreleasePoolScope pool;
    ObjcRef<NSImage> mine = image_of_size(NSMakeSize(1, 1)),
                     other = image_of_size(NSMakeSize(1, 1));
    ObjcRef<NSBitmapImageRep> bitmap = make_native<NSBitmapImageRep>();
    bitmap->initWithBitmapDataPlanes(nullptr, 1, 1, 8, 4, YES, NO, NSDeviceRGBColorSpace, 0, 4, 32);
    mine->addRepresentation(bitmap.get());
    other->addRepresentation(make_native<NSBitmapImageRep>().get());
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef port = CGBitmapContextCreate(bitmap->bitmapData(), 1, 1, 8, 4, space,
                                              kCGImageAlphaPremultipliedLast);
    Class graphics = native_class<NSGraphicsContext>();
    NSGraphicsContext* context =
        NSGraphicsContext::graphicsContextWithGraphicsPort(graphics, port, NO);
    NSGraphicsContext::setCurrentContext(graphics, context);
    context->note_drawn_file("charging.png");
    other->recache();
    mine->recache();
    EXPECT_EQ(other->picture_file(), nullptr);
    EXPECT_EQ(mine->picture_file() ? *mine->picture_file() : "", "charging.png");
    NSGraphicsContext::setCurrentContext(graphics, nil);
    CGContextRelease(port);
    CGColorSpaceRelease(space);
}

#include "platform/appkit/ns_image.h"

#include "platform/appkit/ns_bitmap_image_rep.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/platform/appkit/graphics_test_support.h"
#include "tests/platform/graphics/png_test_support.h"

#include <gtest/gtest.h>

namespace {

ObjcRef<NSImage> image_of_size(NSSize size) {
    id object = NSObject::alloc(objc_lookUpClass("NSImage"));
    return ObjcRef<NSImage>::adopt(msg_send<NSImage*>(object, "initWithSize:", size));
}

} // namespace

TEST(NSImage, RetainsEachRepresentationOnce) {
    AutoreleasePoolScope pool;
    ObjcRef<NSImage> image = image_of_size(NSMakeSize(4, 4));
    ObjcRef<NSImageRep> first = make_native<NSImageRep>();
    ObjcRef<NSImageRep> second = make_native<NSImageRep>();
    for (NSImageRep* rep : {first.get(), second.get(), first.get()})
        msg_send<void>(image.get(), "addRepresentation:", static_cast<id>(rep));
    msg_send<void>(image.get(), "addRepresentation:", id{nil});
    auto* list = msg_send<NSArray*>(image.get(), "representations");
    ASSERT_EQ(list->count(), 2u);
    EXPECT_EQ(list->objectAtIndex(0), first.get());
    EXPECT_EQ(list->objectAtIndex(1), second.get());
    EXPECT_EQ(first->retainCount(), 3u); // this test, the image, the autoreleased list
}

TEST(NSImage, ReleasesItsRepresentationsWithItself) {
    ObjcRef<NSImageRep> rep = make_native<NSImageRep>();
    {
        ObjcRef<NSImage> image = image_of_size(NSMakeSize(4, 4));
        image->addRepresentation(rep.get());
        EXPECT_EQ(rep->retainCount(), 2u);
    }
    EXPECT_EQ(rep->retainCount(), 1u);
}

TEST(NSImage, ASystemIconCarriesItsTypeAtThirtyTwoPoints) {
    AutoreleasePoolScope pool;
    ObjcRef<NSString> type = NSString::from_utf8("'caut'");
    ObjcRef<NSImage> icon = NSImage::make_system_icon(type.get());
    ASSERT_TRUE(icon);
    ASSERT_NE(icon->system_icon_type(), nil);
    EXPECT_EQ(icon->system_icon_type()->utf8(), "'caut'");
    EXPECT_EQ(icon->size(), NSMakeSize(32, 32));
    EXPECT_EQ(icon->representations()->count(), 0u);
}

TEST(NSImage, NoSystemIconForAMissingType) {
    ObjcRef<NSString> empty = NSString::from_utf8("");
    EXPECT_FALSE(NSImage::make_system_icon(nil));
    EXPECT_FALSE(NSImage::make_system_icon(empty.get()));
}

namespace {

// An image over a 4 × 4 bitmap of its own, as runtime images are made.
ObjcRef<NSImage> image_with_bitmap(NSBitmapImageRep** bitmap_out) {
    ObjcRef<NSImage> image = image_of_size(NSMakeSize(4, 4));
    auto* bitmap = make_native<NSBitmapImageRep>().take();
    bitmap->initWithBitmapDataPlanes(nullptr, 4, 4, 8, 4, YES, NO, NSDeviceRGBColorSpace,
                                     NSBitmapFormatAlphaNonpremultiplied, 16, 32);
    image->addRepresentation(bitmap);
    bitmap->release();
    *bitmap_out = bitmap;
    return image;
}

NSBitmapImageRep* read_picture(const png_test::TempFolder& folder, const char* name) {
    std::string path = folder.file(name);
    if (!png_test::write_png(path, 4, 4, true, png_test::solid(4, 4, {50, 60, 70, 255}))) {
        return nil;
    }
    return NSBitmapImageRep::imageRepWithContentsOfFile(nil, NSString::from_utf8(path).get());
}

} // namespace

// The picture file drawn into an image's own pixels names it (the end-to-end tests show that);
// one drawn elsewhere does not.
TEST(NSImage, IgnoresPicturesDrawnIntoOtherPixels) {
    AutoreleasePoolScope pool;
    png_test::TempFolder folder;
    NSBitmapImageRep* bitmap = nullptr;
    ObjcRef<NSImage> image = image_with_bitmap(&bitmap);
    NSBitmapImageRep* picture = read_picture(folder, "elsewhere.png");
    ASSERT_TRUE(picture);
    std::vector<unsigned char> other(4 * 4 * 4);
    {
        CurrentContextScope scope(other.data(), 4, 4);
        picture->drawAtPoint(NSMakePoint(0, 0));
        image->recache();
    }
    // Recached with no context current at all.
    image->recache();
    EXPECT_EQ(image->picture_file(), nullptr);
    EXPECT_EQ(image->recache_count(), 2u);
}

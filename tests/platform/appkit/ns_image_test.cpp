#include "platform/appkit/ns_image.h"

#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"

#include <gtest/gtest.h>

namespace {

ObjcRef<NSImage> image_of_size(NSSize size) {
    id object = NSObject::alloc(objc_lookUpClass("NSImage"));
    return ObjcRef<NSImage>::adopt(msg_send<NSImage*>(object, "initWithSize:", size));
}

} // namespace

TEST(NSImage, HoldsEachRepresentationOnceAndLetsThemGoWithItself) {
    ObjcRef<NSImageRep> first = make_native<NSImageRep>();
    ObjcRef<NSImageRep> second = make_native<NSImageRep>();
    {
        AutoreleasePoolScope pool;
        ObjcRef<NSImage> image = image_of_size(NSMakeSize(4, 4));
        for (NSImageRep* rep :
             {first.get(), second.get(), first.get(), static_cast<NSImageRep*>(nil)})
            msg_send<void>(image.get(), "addRepresentation:", static_cast<id>(rep));
        auto* list = msg_send<NSArray*>(image.get(), "representations");
        ASSERT_EQ(list->count(), 2u);
        EXPECT_EQ(list->objectAtIndex(1), second.get());
        EXPECT_EQ(first->retainCount(), 3u); // this test, the image, the autoreleased list
    }
    EXPECT_EQ(first->retainCount(), 1u);
}

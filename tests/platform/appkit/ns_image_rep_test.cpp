#include "platform/appkit/ns_image_rep.h"

#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

namespace {

int g_draw_calls = 0;

BOOL counting_draw(id, SEL) {
    ++g_draw_calls;
    return YES;
}

} // namespace

TEST(NSImageRep, TheBaseClassHasNothingToDraw) {
    ObjcRef<> rep = ObjcRef<>::adopt(NSObject::newObject(objc_lookUpClass("NSImageRep")));
    ASSERT_TRUE(rep);
    EXPECT_EQ(msg_send<BOOL>(rep.get(), "draw"), NO);
    EXPECT_EQ(msg_send<BOOL>(rep.get(), "drawInRect:", NSMakeRect(0, 0, 4, 4)), NO);
}

// A representation subclass made at run time decides what drawing is by its own -draw.
TEST(NSImageRep, DrawingAtAPointOrInARectangleSendsDraw) {
    Class cls = make_runtime_class("CountingImageRep", objc_lookUpClass("NSImageRep"));
    ASSERT_TRUE(cls);
    ASSERT_TRUE(class_addMethod(cls, sel_registerName("draw"), as_imp(&counting_draw), "c@:"));
    ObjcRef<> rep = ObjcRef<>::adopt(class_createInstance(cls, 0));
    g_draw_calls = 0;
    EXPECT_EQ(msg_send<BOOL>(rep.get(), "drawInRect:", NSMakeRect(0, 0, 4, 4)), YES);
    EXPECT_EQ(msg_send<BOOL>(rep.get(), "drawAtPoint:", NSMakePoint(1, 1)), YES);
    EXPECT_EQ(g_draw_calls, 2);
}

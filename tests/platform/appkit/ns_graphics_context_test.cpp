#include "platform/appkit/ns_graphics_context.h"

#include "platform/graphics/cg_color_space.h"
#include "platform/objc/autorelease_pool.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"

#include <gtest/gtest.h>

namespace {

Class graphics_class() {
    return objc_lookUpClass("NSGraphicsContext");
}

CGContextRef make_port() {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef port =
        CGBitmapContextCreate(nullptr, 2, 2, 8, 0, space, kCGImageAlphaPremultipliedLast);
    CGColorSpaceRelease(space);
    return port;
}

NSGraphicsContext* current() {
    return msg_send<NSGraphicsContext*>(graphics_class(), "currentContext");
}

} // namespace

TEST(NSGraphicsContext, SavingAndRestoringNestsTheCurrentContext) {
    CGContextRef port = make_port();
    AutoreleasePoolScope pool;
    auto* outer = NSGraphicsContext::graphicsContextWithGraphicsPort(graphics_class(), port, NO);
    auto* inner = NSGraphicsContext::graphicsContextWithGraphicsPort(graphics_class(), port, NO);
    ASSERT_EQ(current(), nil);
    msg_send<void>(graphics_class(), "saveGraphicsState");
    msg_send<void>(graphics_class(), "setCurrentContext:", outer);
    msg_send<void>(graphics_class(), "saveGraphicsState");
    msg_send<void>(graphics_class(), "setCurrentContext:", inner);
    EXPECT_EQ(current(), inner);
    EXPECT_EQ(NSGraphicsContext::saved_count(), 2u);
    msg_send<void>(graphics_class(), "restoreGraphicsState");
    EXPECT_EQ(current(), outer);
    msg_send<void>(graphics_class(), "restoreGraphicsState");
    EXPECT_EQ(current(), nil);
    // With nothing saved the current context stays.
    NSGraphicsContext::setCurrentContext(graphics_class(), inner);
    msg_send<void>(graphics_class(), "restoreGraphicsState");
    EXPECT_EQ(current(), inner);
    NSGraphicsContext::setCurrentContext(graphics_class(), nil);
    EXPECT_EQ(NSGraphicsContext::saved_count(), 0u);
    CGContextRelease(port);
}

TEST(NSGraphicsContext, TheCurrentContextIsRetainedWhileCurrent) {
    CGContextRef port = make_port();
    NSGraphicsContext* context = nullptr;
    {
        AutoreleasePoolScope pool;
        context = NSGraphicsContext::graphicsContextWithGraphicsPort(graphics_class(), port, NO);
        NSGraphicsContext::setCurrentContext(graphics_class(), context);
    }
    CGContextRelease(port);
    ASSERT_EQ(current(), context);
    EXPECT_EQ(context->retainCount(), 1u);
    EXPECT_NE(CGBitmapContextGetData(context->CGContext()), nullptr);
    NSGraphicsContext::setCurrentContext(graphics_class(), nil);
}

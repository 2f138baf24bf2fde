#include "platform/appkit/ns_box.h"

#include "platform/objc/message_send.h"

#include <gtest/gtest.h>

namespace {

ObjcRef<NSBox> make_box(NSRect frame) {
    ObjcRef<NSBox> box = make_native<NSBox>();
    box->initWithFrame(frame);
    return box;
}

TEST(NSBox, TheContentViewFollowsTheBoxsSize) {
    ObjcRef<NSBox> box = make_box(NSMakeRect(0, 0, 200, 100));
    msg_send<void>(box.get(), "setFrame:", NSMakeRect(5, 5, 300, 40));
    EXPECT_EQ(box->contentView()->frame(), NSMakeRect(0, 0, 300, 40));
}

TEST(NSBox, ShowsItsTitleOnlyWithATitlePosition) {
    ObjcRef<NSBox> box = make_box(NSMakeRect(0, 0, 200, 100));
    box->setTitle(NSString::make(u"Show").get());
    EXPECT_EQ(box->shown_title(), "Show");
    box->setTitlePosition(NSNoTitle);
    EXPECT_EQ(box->shown_title(), "");
    EXPECT_EQ(box->title()->utf8(), "Show");
}

} // namespace

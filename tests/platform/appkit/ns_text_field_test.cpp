#include "platform/appkit/ns_text_field.h"

#include <gtest/gtest.h>

namespace {

TEST(NSTextField, SelectableAndEditableFollowEachOther) {
    ObjcRef<NSTextField> field = make_native<NSTextField>();
    EXPECT_TRUE(field->isEditable());
    EXPECT_TRUE(field->isSelectable());
    field->setSelectable(NO);
    EXPECT_FALSE(field->isEditable());
    field->setEditable(YES);
    EXPECT_TRUE(field->isSelectable());
}

TEST(NSTextField, KeepsItsColoursWhenGivenNil) {
    ObjcRef<NSTextField> field = make_native<NSTextField>();
    ASSERT_NE(field->textColor(), nullptr);
    ASSERT_NE(field->backgroundColor(), nullptr);
    NSColor* red = NSColor::colorWithSRGBRedGreenBlueAlpha(nil, 1, 0, 0, 1);
    field->setTextColor(red);
    field->setTextColor(nil);
    EXPECT_TRUE(field->textColor()->isEqual(red));
    field->setBackgroundColor(red);
    EXPECT_TRUE(field->backgroundColor()->isEqual(red));
}

} // namespace

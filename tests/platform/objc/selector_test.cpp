#include "platform/objc/selector.h"

#include <gtest/gtest.h>

TEST(Selector, InternsEqualNamesToOneSelectorWithItsOwnCopyOfTheName) {
    std::string copy = "interned:name:";
    SEL selector = sel_registerName("interned:name:");
    EXPECT_EQ(sel_registerName(copy.c_str()), selector);
    EXPECT_NE(sel_registerName("interned:name"), selector);
    copy[0] = 'X';
    EXPECT_STREQ(sel_getName(selector), "interned:name:");
    EXPECT_EQ(sel_registerName(nullptr), nullptr);
    EXPECT_STREQ(sel_getName(nullptr), "<null selector>");
}

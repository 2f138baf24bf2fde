#include "platform/foundation/ns_array.h"

#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/objc_values.h"

#include <gtest/gtest.h>

TEST(NSArray, LeavesOutNilElementsAndAnswersNilPastTheEnd) {
    AutoreleasePoolScope pool;
    ObjcRef<NSString> element = NSString::make(u"held");
    NSUInteger before = element->retainCount();
    {
        AutoreleasePoolScope inner;
        id objects[] = {element.get(), nil, string(u"second")};
        NSArray* array = NSArray::make(objects).autorelease();
        ASSERT_TRUE(array);
        EXPECT_EQ(msg_send<NSUInteger>(array, "count"), 2u);
        EXPECT_EQ(element->retainCount(), before + 1);
        EXPECT_EQ(text_of(msg_send<id>(array, "objectAtIndex:", NSUInteger{1})), "second");
        EXPECT_EQ(msg_send<id>(array, "objectAtIndex:", NSUInteger{2}), nil);
        EXPECT_EQ(msg_send<id>(array, "objectAtIndex:", ~NSUInteger{0}), nil);
        EXPECT_EQ(text_of(array->firstObject()), "held");
        EXPECT_EQ(NSArray::array(class_named("NSArray"))->firstObject(), nil);
    }
    EXPECT_EQ(element->retainCount(), before);
}

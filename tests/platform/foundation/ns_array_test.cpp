#include "platform/foundation/ns_array.h"

#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/objc_values.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> texts(NSArray* array) {
    std::vector<std::string> result;
    for (const ObjcRef<>& object : *array)
        result.push_back(text_of(object.get()));
    return result;
}

} // namespace

TEST(NSArray, AnswersNilPastTheEndInsteadOfFailing) {
    AutoreleasePoolScope pool;
    id objects[] = {string(u"first"), string(u"second")};
    auto* array = msg_send<NSArray*>(class_named("NSArray"),
                                     "arrayWithObjects:count:", static_cast<const id*>(objects),
                                     NSUInteger{2});
    ASSERT_TRUE(array);
    EXPECT_EQ(msg_send<NSUInteger>(array, "count"), 2u);
    EXPECT_EQ(text_of(msg_send<id>(array, "objectAtIndex:", NSUInteger{1})), "second");
    EXPECT_EQ(msg_send<id>(array, "objectAtIndex:", NSUInteger{2}), nil);
    EXPECT_EQ(msg_send<id>(array, "objectAtIndex:", ~NSUInteger{0}), nil);
    EXPECT_EQ(text_of(msg_send<id>(array, "firstObject")), "first");
    EXPECT_EQ(msg_send<id>(NSArray::array(class_named("NSArray")), "firstObject"), nil);
}

// The invocation path copies an index as a 64-bit slot, as the power-source reader sends it.
TEST(NSArray, ObjectAtIndexWorksThroughAnInvocation) {
    AutoreleasePoolScope pool;
    id objects[] = {string(u"source")};
    NSArray* array = NSArray::make(objects).autorelease();
    EXPECT_EQ(text_of(reinterpret_cast<id>(invoke_with_slots(array, "objectAtIndex:", {0}))),
              "source");
    EXPECT_EQ(invoke_with_slots(array, "objectAtIndex:", {1}), 0u);
}

TEST(NSArray, HoldsAReferenceToEachElement) {
    AutoreleasePoolScope pool;
    ObjcRef<NSString> element = NSString::make(u"held");
    NSUInteger before = element->retainCount();
    {
        id objects[] = {element.get(), nil, element.get()};
        ObjcRef<NSArray> array = NSArray::make(objects);
        EXPECT_EQ(array->count(), 2u) << "nil elements are left out";
        EXPECT_EQ(element->retainCount(), before + 2);
    }
    EXPECT_EQ(element->retainCount(), before);
}

TEST(NSMutableArray, AddsAndRemovesElementsIgnoringNilAndIndexesPastTheEnd) {
    AutoreleasePoolScope pool;
    auto* array = msg_send<NSMutableArray*>(class_named("NSMutableArray"), "array");
    ASSERT_TRUE(array);
    EXPECT_EQ(object_getClass(array), class_named("NSMutableArray"));
    for (std::u16string_view text : {u"a", u"b", u"c"})
        msg_send<void>(array, "addObject:", static_cast<id>(string(text)));
    msg_send<void>(array, "addObject:", nil);
    array->removeObjectAtIndex(1);
    array->removeObjectAtIndex(5);
    EXPECT_EQ(texts(array), (std::vector<std::string>{"a", "c"}));
}

#include "platform/foundation/ns_dictionary.h"

#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_number.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/objc_values.h"

#include <gtest/gtest.h>

namespace {

NSNumber* number(int value) {
    return NSNumber::make(value).autorelease();
}

std::vector<std::string> keys_in_order(const NSDictionary& dictionary) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : dictionary)
        keys.push_back(text_of(key.get()));
    return keys;
}

} // namespace

TEST(NSMutableDictionary, KeepsInsertionOrderAndReplacesInPlace) {
    AutoreleasePoolScope pool;
    auto* dictionary =
        msg_send<NSMutableDictionary*>(class_named("NSMutableDictionary"), "dictionary");
    ASSERT_TRUE(dictionary);
    for (std::u16string_view key : {u"Voltage", u"Amperage", u"CycleCount", u"Temperature"}) {
        msg_send<void>(dictionary, "setObject:forKey:", static_cast<id>(number(1)),
                       static_cast<id>(string(key)));
    }
    // A different object with the same text names the same key.
    dictionary->setObject(number(42), string(u"Amperage"));
    EXPECT_EQ(keys_in_order(*dictionary),
              (std::vector<std::string>{"Voltage", "Amperage", "CycleCount", "Temperature"}));
    EXPECT_EQ(msg_send<NSUInteger>(dictionary, "count"), 4u);
    auto* amperage =
        msg_send<NSNumber*>(dictionary, "objectForKey:", static_cast<id>(string(u"Amperage")));
    ASSERT_TRUE(amperage);
    EXPECT_EQ(amperage->integer(), 42);

    msg_send<void>(dictionary, "removeObjectForKey:", static_cast<id>(string(u"Voltage")));
    dictionary->setObject(number(7), string(u"Voltage"));
    EXPECT_EQ(keys_in_order(*dictionary),
              (std::vector<std::string>{"Amperage", "CycleCount", "Temperature", "Voltage"}));
    // Lookups still find every key after the positions moved.
    for (std::u16string_view key : {u"Amperage", u"CycleCount", u"Temperature", u"Voltage"}) {
        EXPECT_TRUE(dictionary->objectForKey(string(key))) << text_of(string(key));
    }
}

TEST(NSMutableDictionary, IgnoresNilKeysAndValuesAndAnswersNilWhenAbsent) {
    AutoreleasePoolScope pool;
    NSMutableDictionary* dictionary = NSMutableDictionary::make().autorelease();
    dictionary->setObject(nil, string(u"key"));
    dictionary->setObject(number(1), nil);
    dictionary->removeObjectForKey(string(u"absent"));
    EXPECT_EQ(dictionary->count(), 0u);
    EXPECT_EQ(dictionary->objectForKey(string(u"key")), nil);
    EXPECT_EQ(dictionary->objectForKey(nil), nil);
}

TEST(NSDictionary, NumbersOfDifferentKindsNameTheSameKey) {
    AutoreleasePoolScope pool;
    NSMutableDictionary* dictionary = NSMutableDictionary::make().autorelease();
    dictionary->setObject(string(u"five"), number(5));
    EXPECT_EQ(text_of(dictionary->objectForKey(NSNumber::make(5.0).autorelease())), "five");
}

TEST(NSDictionary, MakesFromParallelArraysLaterDuplicatesWinInTheFirstPosition) {
    AutoreleasePoolScope pool;
    id keys[] = {string(u"a"), string(u"b"), string(u"a")};
    id values[] = {number(1), number(2), number(3)};
    auto* dictionary = msg_send<NSDictionary*>(
        class_named("NSDictionary"),
        "dictionaryWithObjects:forKeys:count:", static_cast<const id*>(values),
        static_cast<const id*>(keys), NSUInteger{3});
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(keys_in_order(*dictionary), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(static_cast<NSNumber*>(dictionary->objectForKey(string(u"a")))->integer(), 3);
}

#include "platform/foundation/ns_dictionary.h"

#include "platform/foundation/ns_number.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/objc_values.h"

#include <gtest/gtest.h>

namespace {

std::string entries_in_order(const NSDictionary& dictionary) {
    std::string text;
    for (const auto& [key, value] : dictionary)
        text += text_of(key.get()) + "=" +
                std::to_string(static_cast<NSNumber*>(value.get())->integer()) + " ";
    return text;
}

} // namespace

// Battery properties keep the order they were read in.
TEST(NSMutableDictionary, KeepsInsertionOrderReplacesInPlaceAndIgnoresNil) {
    AutoreleasePoolScope pool;
    auto* dictionary =
        msg_send<NSMutableDictionary*>(class_named("NSMutableDictionary"), "dictionary");
    ASSERT_TRUE(dictionary);
    for (std::u16string_view key : {u"Voltage", u"Amperage", u"CycleCount", u"Temperature"}) {
        dictionary->setObject(integer(1), string(key));
    }
    dictionary->setObject(integer(42), string(u"Amperage")); // another object, the same text
    dictionary->setObject(nil, string(u"Voltage"));
    dictionary->setObject(integer(3), nil);
    EXPECT_EQ(entries_in_order(*dictionary), "Voltage=1 Amperage=42 CycleCount=1 Temperature=1 ");
    dictionary->removeObjectForKey(string(u"Voltage"));
    dictionary->removeObjectForKey(string(u"absent"));
    dictionary->setObject(integer(7), string(u"Voltage"));
    EXPECT_EQ(entries_in_order(*dictionary), "Amperage=42 CycleCount=1 Temperature=1 Voltage=7 ");
    // Lookups still find every key after the positions moved.
    for (std::u16string_view key : {u"Amperage", u"CycleCount", u"Temperature", u"Voltage"})
        EXPECT_TRUE(dictionary->objectForKey(string(key))) << text_of(string(key));
    EXPECT_EQ(dictionary->objectForKey(string(u"x")), nil);
    EXPECT_EQ(dictionary->objectForKey(nil), nil);
    dictionary->setObject(integer(5), integer(5));
    EXPECT_EQ(static_cast<NSNumber*>(dictionary->objectForKey(NSNumber::make(5.0).autorelease()))
                  ->integer(),
              5)
        << "numbers of different kinds name the same key";
    const id keys[] = {string(u"Voltage")}, twelve[] = {integer(12)}, eleven[] = {integer(11)};
    EXPECT_FALSE(NSDictionary::make(keys, twelve)->isEqual(NSDictionary::make(keys, eleven).get()));
}

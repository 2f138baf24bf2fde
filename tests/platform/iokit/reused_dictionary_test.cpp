#include "platform/iokit/reused_dictionary.h"

#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"

#include "tests/platform/iokit/iokit_test_support.h"

namespace {

// A dictionary {"Percent": percent}, counting how many were made.
struct PercentMaker {
    int made = 0;
    ObjcRef<NSMutableDictionary> operator()(int percent) {
        ++made;
        ObjcRef<NSMutableDictionary> dictionary = NSMutableDictionary::make();
        dictionary->setObject(NSNumber::make(percent).get(), NSString::from_utf8("Percent").get());
        return dictionary;
    }
};

TEST(ReusedDictionary, NeverHandsOutADictionarySomeoneHoldsOrChanged) {
    ReusedDictionary<int> reused;
    PercentMaker maker;
    auto get = [&](int percent) { return reused.get(percent, std::ref(maker)); };
    EXPECT_EQ(value_at(get(40).get(), "Percent"), "int 40");
    EXPECT_EQ(value_at(get(41).get(), "Percent"), "int 41");
    EXPECT_EQ(maker.made, 2);
    ObjcRef<NSMutableDictionary> kept = get(41);
    EXPECT_EQ(maker.made, 2);
    ObjcRef<NSMutableDictionary> second = get(41);
    EXPECT_NE(second.get(), kept.get());
    EXPECT_EQ(maker.made, 3);

    second->setObject(NSNumber::make(99).get(), NSString::from_utf8("Percent").get());
    second = nullptr;
    kept = nullptr;
    ObjcRef<NSMutableDictionary> third = get(41);
    EXPECT_EQ(maker.made, 4);
    EXPECT_EQ(value_at(third.get(), "Percent"), "int 41");

    third->setObject(NSNumber::make(1).get(), NSString::from_utf8("Extra").get());
    third = nullptr;
    EXPECT_EQ(get(41)->count(), 1u);
    EXPECT_EQ(maker.made, 5);
}

} // namespace

#include "runtime/ui/event_bindings.h"

#include <gtest/gtest.h>

#include <string>

namespace rt {
namespace {

std::string calls;
void call_a() {
    calls += 'a';
}
void call_b() {
    calls += 'b';
}
void call_c() {
    calls += 'c';
}
// Unbinds itself and b from the key (3, 1, 7) while the dispatch is under way.
void unbind_self_and_b() {
    calls += 'u';
    RemoveEventBinding(3, 1, 7, unbind_self_and_b, -1);
    RemoveEventBinding(3, 1, 7, call_b, -1);
}

class EventBindingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(create_binding_table(), 1);
        calls.clear();
    }
    void TearDown() override { create_binding_table(); }
};

TEST(EventBindingKey, PrintsKindWindowAndObjectInDecimal) {
    char16_t key[BindingKeyCapacity];
    EXPECT_EQ(format_binding_key(key, 15, -1, 7), 7);
    EXPECT_EQ(std::u16string(key), u"15:-1:7");
    const std::u16string widest = u"-2147483648:-9223372036854775808:9223372036854775807";
    EXPECT_EQ(format_binding_key(key, -2147483647 - 1, INT64_MIN, INT64_MAX),
              static_cast<int>(widest.size()));
    EXPECT_EQ(std::u16string(key), widest);
}

TEST_F(EventBindingsTest, CallsMatchingSubtypesInBindingOrder) {
    AddEventBinding(3, 1, 7, call_a, -1);
    AddEventBinding(3, 1, 7, call_b, 2);
    AddEventBinding(3, 1, 7, call_c, 5);
    AddEventBinding(3, 2, 7, call_c, -1);
    const struct {
        int64_t subtype;
        const char* expected;
    } cases[] = {{2, "ab"}, {5, "ac"}, {0, "a"}, {-1, "a"}};
    for (const auto& c : cases) {
        calls.clear();
        DispatchBindings(3, 1, 7, c.subtype);
        EXPECT_EQ(calls, c.expected) << "subtype " << c.subtype;
    }
    calls.clear();
    DispatchBindings(3, 1, 8, 2);
    DispatchBindings(4, 1, 7, 2);
    EXPECT_EQ(calls, "");
    EXPECT_EQ(binding_key_count(), 2);
}

TEST_F(EventBindingsTest, EveryCollectedCallbackRunsWhenOneUnbindsOthers) {
    AddEventBinding(3, 1, 7, unbind_self_and_b, -1);
    AddEventBinding(3, 1, 7, call_b, -1);
    for (int i = 0; i < 10; ++i) // past the callbacks collected without an allocation
        AddEventBinding(3, 1, 7, i % 2 ? call_b : call_c, -1);
    DispatchBindings(3, 1, 7, 0);
    EXPECT_EQ(calls, "ubcbcbcbcbcb");
    calls.clear();
    DispatchBindings(3, 1, 7, 0);
    EXPECT_EQ(calls, "cbcbcbcbcb");
}

TEST_F(EventBindingsTest, RemovesOneNodeBySubtypeOrTheWholeKey) {
    AddEventBinding(3, 1, 7, call_a, 2);
    AddEventBinding(3, 1, 7, call_a, 5);
    EXPECT_EQ(RemoveEventBinding(3, 1, 7, call_a, 9), 0);
    EXPECT_EQ(RemoveEventBinding(3, 1, 7, call_a, 5), 1);
    DispatchBindings(3, 1, 7, 5);
    EXPECT_EQ(calls, "");
    EXPECT_EQ(RemoveEventBinding(3, 1, 7, call_a, -1), 1);
    EXPECT_EQ(binding_key_count(), 0);
    AddEventBinding(3, 1, 7, call_a, -1);
    AddEventBinding(3, 1, 7, call_b, -1);
    EXPECT_EQ(RemoveEventBinding(3, 1, 7, nullptr, -1), 0);
    EXPECT_EQ(binding_key_count(), 0);
    EXPECT_EQ(RemoveEventBinding(3, 1, 7, call_a, -1), 0);
}

TEST_F(EventBindingsTest, UnbindingAWindowLeavesOtherWindowsBound) {
    for (int64_t object = 0; object < 40; ++object) {
        AddEventBinding(3, 1, object, call_a, -1);
        AddEventBinding(3, 2, object, call_b, -1);
    }
    UnbindWindowEvents(1);
    EXPECT_EQ(binding_key_count(), 40);
    for (int64_t object = 0; object < 40; ++object) {
        DispatchBindings(3, 1, object, 0);
        DispatchBindings(3, 2, object, 0);
    }
    EXPECT_EQ(calls, std::string(40, 'b'));
}

} // namespace
} // namespace rt

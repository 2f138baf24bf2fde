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

class EventBindingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(create_binding_table(), 1);
        calls.clear();
    }
    void TearDown() override { create_binding_table(); }
    static std::string dispatched(int32_t kind, int64_t window, int64_t object, int64_t subtype) {
        calls.clear();
        DispatchBindings(kind, window, object, subtype);
        return calls;
    }
};

TEST(EventBindingKey, PrintsTheWidestKindWindowAndObjectInDecimal) {
    char16_t key[BindingKeyCapacity];
    const std::u16string widest = u"-2147483648:-9223372036854775808:9223372036854775807";
    EXPECT_EQ(format_binding_key(key, -2147483647 - 1, INT64_MIN, INT64_MAX),
              static_cast<int>(widest.size()));
    EXPECT_EQ(std::u16string(key), widest);
}

TEST_F(EventBindingsTest, CallsBySubtypeInOrderAndRemovesByNodeKeyOrWindow) {
    AddEventBinding(3, 1, 7, call_a, -1);
    AddEventBinding(3, 1, 7, call_b, 2);
    AddEventBinding(3, 1, 7, call_a, 5);
    AddEventBinding(3, 2, 7, call_b, -1);
    EXPECT_EQ(dispatched(3, 1, 7, 2) + dispatched(3, 1, 7, 5) + dispatched(3, 1, 7, -1), "abaaa");
    EXPECT_EQ(dispatched(3, 1, 8, 2) + dispatched(4, 1, 7, 2), "");
    EXPECT_EQ(binding_key_count(), 2);
    EXPECT_EQ(RemoveEventBinding(3, 1, 7, call_a, 9), 0);
    EXPECT_EQ(RemoveEventBinding(3, 1, 7, call_a, 5), 1);
    EXPECT_EQ(dispatched(3, 1, 7, 5), "a");
    EXPECT_EQ(RemoveEventBinding(3, 1, 7, nullptr, -1), 0); // the whole key
    EXPECT_EQ(std::tuple(binding_key_count(), RemoveEventBinding(3, 1, 7, call_a, -1)),
              std::tuple(1, 0));
    for (int64_t object = 0; object < 40; ++object) // past the table's first size
        AddEventBinding(3, 1, object, call_a, -1);
    UnbindWindowEvents(1);
    EXPECT_EQ(binding_key_count(), 1);
    EXPECT_EQ(dispatched(3, 2, 7, 0), "b");
    EXPECT_EQ(RemoveEventBinding(3, 2, 7, call_b, -1), 1); // the last node takes its key along
    EXPECT_EQ(binding_key_count(), 0);
}

} // namespace
} // namespace rt

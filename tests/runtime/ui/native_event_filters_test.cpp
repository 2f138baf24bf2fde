#include "runtime/ui/native_event_filters.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace rt {
namespace {

std::string calls;
NativeEventFilter* self_removing = nullptr;

// The user value is the letter to log; an upper-case letter consumes the event.
int log_filter(void*, void* user_value) {
    const char letter = *static_cast<const char*>(user_value);
    calls += letter;
    return std::isupper(static_cast<unsigned char>(letter)) ? 1 : 0;
}
int remove_self(void*, void*) {
    calls += 'r';
    RemoveNativeEventFilter(self_removing);
    return 0;
}

class NativeEventFiltersTest : public ::testing::Test {
  protected:
    void SetUp() override { calls.clear(); }
    void TearDown() override { clear_native_event_filters(); }
};

TEST_F(NativeEventFiltersTest, CallsEveryFilterInOrderAndOrsTheirAnswers) {
    static char a = 'a', b = 'B', c = 'c';
    AddNativeEventFilter(log_filter, &a);
    NativeEventFilter* middle = AddNativeEventFilter(log_filter, &b);
    AddNativeEventFilter(log_filter, &c);
    EXPECT_TRUE(offer_native_event(nullptr));
    EXPECT_EQ(calls, "aBc");
    RemoveNativeEventFilter(middle);
    RemoveNativeEventFilter(middle);                            // no longer listed: ignored
    self_removing = AddNativeEventFilter(remove_self, nullptr); // removes itself while called
    AddNativeEventFilter(log_filter, &a);
    calls.clear();
    EXPECT_FALSE(offer_native_event(nullptr));
    EXPECT_FALSE(offer_native_event(nullptr));
    EXPECT_EQ(calls, "acraaca");
}

} // namespace
} // namespace rt

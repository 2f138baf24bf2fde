#include "runtime/ui/event_pump.h"

#include "runtime/ui/event_queue.h"
#include "runtime/ui/native_event_filters.h"

#include <gtest/gtest.h>

#include <cctype>
#include <deque>
#include <string>

namespace rt {
namespace {

// A stand-in for the application object: a script of native events, each a text. "key:N" is a
// key-down matching the shortcut of menu item N in window 3; "post:K" makes the toolkit's
// dispatch post kind K; anything else dispatches to nothing.
struct ScriptedSource : NativeEventSource {
    std::deque<std::string> events;
    std::string current;
    std::string log;
    int pools = 0;

    void renew_autorelease_pool() override { ++pools; }
    void* next_native_event(const WaitDeadline& deadline) override {
        log += deadline.kind == WaitDeadline::Kind::Now ? "[now]" : "[wait]";
        if (events.empty()) return nullptr;
        current = events.front();
        events.pop_front();
        return &current;
    }
    bool match_window_shortcut(void* event, int64_t& item, int64_t& window) override {
        const std::string& text = *static_cast<std::string*>(event);
        if (!text.starts_with("key:")) return false;
        item = std::stoll(text.substr(4));
        window = 3;
        return true;
    }
    void dispatch_native_event(void* event) override {
        const std::string& text = *static_cast<std::string*>(event);
        log += "<" + text + ">";
        if (text.starts_with("post:")) QueueEvent(std::stoi(text.substr(5)), 1, 1, 0);
    }
};

int consume_events(void* event, void*) {
    return *static_cast<std::string*>(event) == "eaten";
}

class EventPumpTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(InitEvents(), 1); }
    void TearDown() override {
        clear_native_event_filters();
        InitEvents();
    }
    ScriptedSource m_source;
};

TEST_F(EventPumpTest, AQueuedEventIsTakenWithoutALookAndAZeroTimeoutLooksOnce) {
    PostAppEvent(70000, 0, 5);
    EXPECT_EQ(pump_event(m_source, -1), 70000);
    EXPECT_EQ(m_source.log, "");
    EXPECT_EQ(pump_event(m_source, 0), PumpTimedOut);
    EXPECT_EQ(std::tuple(m_source.log, m_source.pools), std::tuple("[now]", 2));
}

TEST_F(EventPumpTest, RoutesEachNativeEventToShortcutsFiltersOrTheToolkit) {
    AddNativeEventFilter(consume_events, nullptr);
    m_source.events = {"key:9", "eaten", "click", "post:17"};
    EXPECT_EQ(pump_event(m_source, -1), EventKindMenu);
    EXPECT_EQ(std::tuple(CurrentEventMenu(), current_event().window), std::tuple(9, 3));
    EXPECT_EQ(pump_event(m_source, -1), PumpNoRuntimeEvent);
    EXPECT_EQ(pump_event(m_source, -1), PumpNoRuntimeEvent);
    EXPECT_EQ(pump_event(m_source, 250), EventKindLeftClick);
    // The shortcut and the consumed event never reached the toolkit.
    EXPECT_EQ(m_source.log, "[wait][wait][wait]<click>[wait]<post:17>");
}

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

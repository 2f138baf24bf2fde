#include "runtime/ui/event_queue.h"

#include "runtime/ui/event_bindings.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace rt {
namespace {

struct CountingWaker : NativeEventWaker {
    bool pending = false;
    int wakes = 0;
    bool native_event_pending() override { return pending; }
    void post_wake_event() override { ++wakes; }
};

class EventQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(InitEvents(), 1);
        set_native_event_waker(&m_waker);
    }
    void TearDown() override {
        set_native_event_waker(nullptr);
        InitEvents();
    }
    CountingWaker m_waker;
};

// The queue from head to tail as "kind/object/window/subtype" texts joined by spaces.
std::string queued() {
    std::string events;
    for (const EventRecord* record = queue_head(); record; record = record->next)
        events += (events.empty() ? "" : " ") + std::to_string(record->kind) + "/" +
                  std::to_string(record->object) + "/" + std::to_string(record->window) + "/" +
                  std::to_string(record->subtype);
    return events;
}

TEST_F(EventQueueTest, CoalescesOnlyIdenticalRuntimeEventsAtTheTail) {
    const uint32_t app = QueueIgnoreSuppression | QueueDeferCallbacks | QueueWakeAlways;
    using Post = std::tuple<int32_t, int64_t, int64_t, uint32_t>; // kind, object, window, flags
    const std::pair<std::vector<Post>, const char*> cases[] = {
        {{{15, 1, 0, 0}, {15, 1, 0, 0}}, "15/1/0/0"},
        {{{15, 1, 0, 0}, {15, 2, 0, 0}, {15, 1, 0, 0}}, "15/1/0/0 15/2/0/0 15/1/0/0"},
        {{{5, 3, 3, 0}, {5, 3, 4, 0}}, "5/3/3/0 5/3/4/0"}, // another window
        {{{3, 7, 1, 2}, {3, 7, 1, 2}}, "3/7/1/0 3/7/1/0"}, // deferred callbacks
        {{{3, 7, 1, 4}, {3, 7, 1, 4}}, "3/7/1/0 3/7/1/0"}, // wake always
        {{{6, 1, 1, 1}, {6, 1, 1, 1}}, "6/1/1/0"},         // ignore suppression alone
        {{{70000, 1, 1, 0}, {70000, 1, 1, 0}}, "70000/1/1/0 70000/1/1/0"}, // application kind
        {{{65536, 0, 0, app}, {65536, 0, 0, app}}, "65536/0/0/0 65536/0/0/0"},
    };
    for (const auto& [posts, expected] : cases) {
        InitEvents();
        for (const auto& [kind, object, window, flags] : posts)
            QueueEvent(kind, object, window, 0, nullptr, nullptr, flags);
        EXPECT_EQ(queued(), expected);
    }
}

TEST_F(EventQueueTest, PostAppEventTwiceGivesTwoEventsWithWindowBeforeObject) {
    EXPECT_EQ(PostAppEvent(67136, 5, 9), 1);
    EXPECT_EQ(PostAppEvent(67136, 5, 9), 1);
    PostAppEvent(67137);
    PostAppEvent(67138, 1, 2, 3);
    EXPECT_EQ(queued(), "67136/9/5/0 67136/9/5/0 67137/0/0/0 67138/2/1/3");
    EXPECT_EQ(queue_head()->flags, QueueIgnoreSuppression | QueueDeferCallbacks | QueueWakeAlways);
}

TEST_F(EventQueueTest, WakesTheNativeWaitByKindFlagsAndNativeQueue) {
    const std::tuple<int32_t, uint32_t, bool, int> cases[] = {
        {1, 0, true, 1},   {1, 0, false, 1}, {4, 4, false, 0}, {4, 0, false, 0},
        {15, 0, false, 1}, {15, 0, true, 0}, {15, 4, true, 1}, {70000, 7, true, 1},
    };
    for (const auto& [kind, flags, native_pending, wakes] : cases) {
        InitEvents();
        m_waker = CountingWaker{};
        m_waker.pending = native_pending;
        QueueEvent(kind, 1, 1, 0, nullptr, nullptr, flags);
        EXPECT_EQ(m_waker.wakes, wakes) << kind << " flags " << flags << " " << native_pending;
    }
}

TEST_F(EventQueueTest, SuppressionDropsPostsWithoutTheIgnoreFlagAndWakesNothing) {
    {
        EventSuppression suppressed;
        QueueEvent(EventKindMaximizeWindow, 1, 1, 0);
        QueueEvent(EventKindMenu, 4, 0, 0);
        PostAppEvent(70000, 0, 1);
        EXPECT_EQ(event_suppression_count(), 1);
    }
    EXPECT_EQ(std::tuple(event_suppression_count(), queued(), m_waker.wakes),
              std::tuple(0, "70000/1/0/0", 1));
}

int releases = 0;
void count_release(void*) {
    ++releases;
}

TEST_F(EventQueueTest, DataIsReleasedOnceAtTheTakeAfterItsOwnOrWhenDropped) {
    releases = 0;
    int payload = 0, other = 0;
    QueueEvent(EventKindWindowDrop, 1, 1, 0, &payload, count_release);
    ASSERT_EQ(TakeEvent(), EventKindWindowDrop);
    EXPECT_EQ(std::tuple(current_event().data, releases), std::tuple(&payload, 0));
    EXPECT_EQ(TakeEvent(), 0);
    EXPECT_EQ(releases, 1);
    TakeEvent();
    EXPECT_EQ(releases, 1);
    // Equal events with different data are both kept: neither drop may be lost.
    QueueEvent(EventKindWindowDrop, 1, 1, 0, &payload, count_release);
    QueueEvent(EventKindWindowDrop, 1, 1, 0, &other, count_release);
    EXPECT_EQ(queued_event_count(), 2);
    InitEvents();
    EXPECT_EQ(releases, 3);
}

TEST_F(EventQueueTest, TakingFromAnEmptyQueueKeepsWindowAndObject) {
    QueueEvent(EventKindGadget, 7, 2, 3);
    ASSERT_EQ(TakeEvent(), EventKindGadget);
    EXPECT_EQ(TakeEvent(), 0);
    EXPECT_EQ(std::tuple(EventKind(), current_event().subtype, CurrentEventMenu(),
                         current_event().window, event_pending(), queue_tail()),
              std::tuple(0, -1, 7, 2, false, nullptr));
}

TEST_F(EventQueueTest, RemovalKeepsTheRestInOrderWithTheTailOnTheLastKept) {
    QueueEvent(EventKindGadget, 7, 1, 0);
    QueueEvent(EventKindGadget, 8, 1, 0);
    QueueEvent(EventKindGadget, 7, 2, 5);
    QueueEvent(EventKindTimer, 7, 1, 0);
    QueueEvent(EventKindGadget, 7, 3, 0);
    RemoveQueuedEvents(EventKindGadget, 7, -1, -1);
    EXPECT_EQ(std::tuple(queued(), queue_tail()->kind),
              std::tuple("3/8/1/0 15/7/1/0", EventKindTimer));
    // The tail is where coalescing looks: an equal tick is not added again.
    QueueEvent(EventKindTimer, 7, 1, 0);
    EXPECT_EQ(queued_event_count(), 2);
    // A stopped timer's queued tick is gone.
    RemoveQueuedEvents(EventKindTimer, 7, 1, -1);
    RemoveWindowEvents(1);
    EXPECT_EQ(std::tuple(queue_head(), queue_tail()), std::tuple(nullptr, nullptr));
}

std::vector<std::string> seen;
void record_current() {
    const CurrentEvent& event = current_event();
    seen.push_back(std::to_string(event.object) + "/" + std::to_string(event.subtype));
}

TEST_F(EventQueueTest, DispatchesAtPostOrAtTakeUnderTheFourKeys) {
    seen.clear();
    AddEventBinding(EventKindGadget, 1, 7, record_current, -1);
    AddEventBinding(EventKindGadget, 1, -1, record_current, -1);
    AddEventBinding(EventKindGadget, -1, -1, record_current, -1);
    AddEventBinding(EventKindGadget, -1, 7, record_current, 2);
    QueueEvent(EventKindGadget, 7, 1, 2);
    // The posted event stood in as the current one only while its callbacks ran.
    EXPECT_EQ(std::tuple(seen.size(), seen.front(), EventKind()), std::tuple(4u, "7/2", 0));
    seen.clear();
    QueueEvent(EventKindGadget, 7, 1, 2, nullptr, nullptr, QueueDeferCallbacks);
    EXPECT_TRUE(seen.empty());
    TakeEvent(); // the record posted first: its callbacks ran at its post
    EXPECT_TRUE(seen.empty());
    TakeEvent();
    EXPECT_EQ(seen.size(), 4u);
}

std::string bound_calls;
void call_a() {
    bound_calls += 'a';
}
void call_b() {
    bound_calls += 'b';
}
std::string dispatched(int32_t kind, int64_t window, int64_t object, int64_t subtype) {
    bound_calls.clear();
    DispatchBindings(kind, window, object, subtype);
    return bound_calls;
}

TEST(EventBindingKey, PrintsTheWidestKindWindowAndObjectInDecimal) {
    char16_t key[BindingKeyCapacity];
    const std::u16string widest = u"-2147483648:-9223372036854775808:9223372036854775807";
    EXPECT_EQ(format_binding_key(key, -2147483647 - 1, INT64_MIN, INT64_MAX),
              static_cast<int>(widest.size()));
    EXPECT_EQ(std::u16string(key), widest);
}

TEST_F(EventQueueTest, BindingsAreCalledBySubtypeInOrderAndRemovedByNodeKeyOrWindow) {
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

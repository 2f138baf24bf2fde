#include "runtime/ui/event_queue.h"

#include "runtime/core/block_pool.h"
#include "runtime/ui/event_bindings.h"

#include <new>

namespace rt {

namespace {

constexpr uint64_t record_block_size = sizeof(EventRecord);
constexpr int32_t record_initial_chunk_blocks = 16;
constexpr int32_t record_maximum_chunk_blocks = 256;

constexpr uint32_t app_event_flags = QueueIgnoreSuppression | QueueDeferCallbacks | QueueWakeAlways;

struct EventQueue {
    BlockPool* pool = nullptr;
    // The pool gives a chunk back to the heap as soon as all its blocks are free, and a queue
    // that empties after every event would take and free a chunk per event. This block, held for
    // the queue's life, keeps the first chunk.
    void* chunk_keeper = nullptr;
    EventRecord* head = nullptr;
    EventRecord* tail = nullptr;
    int64_t count = 0;
    int64_t suppression = 0;
    NativeEventWaker* waker = nullptr;
    CurrentEvent current{};
};

EventQueue queue;

void release_data(void* data, EventDataRelease data_release) {
    if (data && data_release) data_release(data);
}

void wake_native_wait(int32_t kind, uint32_t flags) {
    if (!queue.waker) return;
    switch (wake_policy(kind, flags)) {
    case WakePolicy::Never:
        return;
    case WakePolicy::WhenNativeQueueEmpty:
        if (queue.waker->native_event_pending()) return;
        break;
    case WakePolicy::Always:
        break;
    }
    queue.waker->post_wake_event();
}

bool coalesces(uint32_t flags, int32_t kind) {
    return (flags & (QueueDeferCallbacks | QueueWakeAlways)) == 0 &&
           kind < EventKindApplicationFirst;
}

// Data is part of the identity: a post whose data differs from the tail's carries something the
// tail does not, and merging the two would lose or leak it.
bool equals_tail(const EventRecord& posted) {
    const EventRecord* tail = queue.tail;
    return tail && tail->kind == posted.kind && tail->object == posted.object &&
           tail->window == posted.window && tail->subtype == posted.subtype &&
           tail->data == posted.data;
}

bool append(const EventRecord& posted) {
    void* block = PoolAllocate(queue.pool);
    if (!block) return false;
    auto* record = new (block) EventRecord(posted);
    record->next = nullptr;
    if (queue.tail)
        queue.tail->next = record;
    else
        queue.head = record;
    queue.tail = record;
    ++queue.count;
    return true;
}

void dispatch_current() {
    const CurrentEvent& event = queue.current;
    DispatchBindings(event.kind, event.window, event.object, event.subtype);
    DispatchBindings(event.kind, event.window, -1, -1);
    DispatchBindings(event.kind, -1, -1, -1);
    DispatchBindings(event.kind, -1, event.object, event.subtype);
}

// Runs the callbacks of a post at once, with the posted event standing in as the current one.
void dispatch_immediately(const EventRecord& posted) {
    if (binding_key_count() == 0) return;
    const CurrentEvent saved = queue.current;
    queue.current = {posted.kind,    posted.window, posted.object,
                     posted.subtype, posted.data,   posted.data_release};
    dispatch_current();
    queue.current = saved;
}

// Unlinks the matching records first and releases their data afterwards, so that a release
// routine that posts or removes events finds the queue whole.
template <class Matches>
void remove_matching(Matches matches) {
    EventRecord* removed = nullptr;
    EventRecord** removed_end = &removed;
    EventRecord* kept_tail = nullptr;
    EventRecord** link = &queue.head;
    while (EventRecord* record = *link) {
        if (matches(*record)) {
            *link = record->next;
            record->next = nullptr;
            *removed_end = record;
            removed_end = &record->next;
            --queue.count;
            continue;
        }
        kept_tail = record;
        link = &record->next;
    }
    queue.tail = kept_tail;
    while (removed) {
        const EventRecord record = *removed;
        PoolFree(queue.pool, removed);
        release_data(record.data, record.data_release);
        removed = record.next;
    }
}

void drop_every_record() {
    remove_matching([](const EventRecord&) { return true; });
}

bool field_matches(int64_t wanted, int64_t field) {
    return wanted == -1 || wanted == field;
}

} // namespace

void set_native_event_waker(NativeEventWaker* waker) {
    queue.waker = waker;
}

int InitEvents() {
    drop_every_record();
    release_data(queue.current.data, queue.current.data_release);
    FreeBlockPool(queue.pool);
    queue.pool = CreateBlockPool(record_block_size, record_initial_chunk_blocks,
                                 record_maximum_chunk_blocks, PoolUnlocked);
    queue.chunk_keeper = queue.pool ? PoolAllocate(queue.pool) : nullptr;
    queue.current = {};
    queue.suppression = 0;
    const int bindings = create_binding_table();
    return queue.chunk_keeper && bindings ? 1 : 0;
}

WakePolicy wake_policy(int32_t kind, uint32_t flags) {
    if (kind == EventKindMenu) return WakePolicy::Always;
    if (kind == EventKindRepaint) return WakePolicy::Never;
    if (flags & QueueWakeAlways) return WakePolicy::Always;
    return WakePolicy::WhenNativeQueueEmpty;
}

void QueueEvent(int32_t kind, int64_t object, int64_t window, int64_t subtype, void* data,
                EventDataRelease data_release, uint32_t flags) {
    const bool suppressed = queue.suppression != 0 && (flags & QueueIgnoreSuppression) == 0;
    if (suppressed || !queue.pool) {
        release_data(data, data_release);
        return;
    }
    wake_native_wait(kind, flags);
    const EventRecord posted{nullptr, kind, flags, object, window, subtype, data, data_release};
    if (!(coalesces(flags, kind) && equals_tail(posted)) && !append(posted)) {
        release_data(data, data_release);
        return;
    }
    if (flags & QueueDeferCallbacks) return;
    dispatch_immediately(posted);
}

int PostAppEvent(int32_t kind) {
    return PostAppEvent(kind, 0, 0, 0, nullptr);
}

int PostAppEvent(int32_t kind, int64_t window, int64_t object) {
    return PostAppEvent(kind, window, object, 0, nullptr);
}

int PostAppEvent(int32_t kind, int64_t window, int64_t object, int64_t subtype) {
    return PostAppEvent(kind, window, object, subtype, nullptr);
}

int PostAppEvent(int32_t kind, int64_t window, int64_t object, int64_t subtype, void* data) {
    QueueEvent(kind, object, window, subtype, data, nullptr, app_event_flags);
    return 1;
}

int32_t TakeEvent() {
    CurrentEvent& current = queue.current;
    current.kind = EventKindNone;
    if (current.data && current.data_release) {
        // Cleared before the call, so that a release routine that takes an event cannot run twice.
        const CurrentEvent released = current;
        current.data = nullptr;
        current.data_release = nullptr;
        released.data_release(released.data);
    }
    current.subtype = -1;
    EventRecord* record = queue.head;
    if (!record) return current.kind;
    current = {record->kind,    record->window, record->object,
               record->subtype, record->data,   record->data_release};
    const uint32_t flags = record->flags;
    queue.head = record->next;
    if (queue.tail == record) queue.tail = nullptr;
    --queue.count;
    PoolFree(queue.pool, record);
    if (flags & QueueDeferCallbacks) dispatch_current();
    return current.kind;
}

int64_t EventKind() {
    return queue.current.kind;
}

int64_t CurrentEventGadget() {
    return queue.current.object;
}

int64_t CurrentEventMenu() {
    return queue.current.object;
}

int64_t CurrentEventTimer() {
    return queue.current.object;
}

const CurrentEvent& current_event() {
    return queue.current;
}

void RemoveQueuedEvents(int32_t kind, int64_t object, int64_t window, int64_t subtype) {
    remove_matching([=](const EventRecord& record) {
        return field_matches(kind, record.kind) && field_matches(object, record.object) &&
               field_matches(window, record.window) && field_matches(subtype, record.subtype);
    });
}

void RemoveWindowEvents(int64_t window) {
    remove_matching([=](const EventRecord& record) { return record.window == window; });
}

void raise_event_suppression() {
    ++queue.suppression;
}

void lower_event_suppression() {
    --queue.suppression;
}

int64_t event_suppression_count() {
    return queue.suppression;
}

bool event_pending() {
    return queue.head != nullptr;
}

int64_t queued_event_count() {
    return queue.count;
}

const EventRecord* queue_head() {
    return queue.head;
}

const EventRecord* queue_tail() {
    return queue.tail;
}

} // namespace rt

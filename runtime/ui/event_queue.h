#pragma once
// The runtime's one event queue. Every native callback (window delegate, control action, timer,
// shortcut, menu) ends in QueueEvent, and the program takes events one at a time through the wait
// of the event pump, which calls TakeEvent; nothing calls into the program's logic directly.
//
// A post goes through four decisions, in order:
//  - suppression: while the suppression counter is raised, posts without QueueIgnoreSuppression
//    are dropped (a new window's zoom or miniaturise step must not report itself);
//  - waking: a blocked native wait must return, so a post may put a wake event into the native
//    queue through the installed NativeEventWaker. Menu events always wake, repaints never, and
//    other kinds only when the native queue is empty, since a pending native event ends the wait
//    anyway and extra wake events would only pile up behind it;
//  - coalescing: a runtime kind posted without QueueDeferCallbacks or QueueWakeAlways that equals
//    the tail record is not queued again, so a program that falls behind sees one timer tick or
//    one resize, not a backlog. Application kinds are never coalesced;
//  - dispatch: callbacks bound to the event run at once, unless the post defers them to the take.
//
// Records come from a block pool of their own and go back to it when taken or removed. Event data
// belongs to the queue from the post on: it is released through its release routine at the next
// TakeEvent after the event was taken, when its record is removed, or at once when the post is
// dropped. Everything here runs on the main thread and takes no lock.

#include "runtime/ui/event_kinds.h"

#include <cstdint>

namespace rt {

using EventDataRelease = void (*)(void* data);

// QueueEvent flags.
inline constexpr uint32_t QueueIgnoreSuppression = 1;
inline constexpr uint32_t QueueDeferCallbacks = 2;
inline constexpr uint32_t QueueWakeAlways = 4;

struct EventRecord {
    EventRecord* next;
    int32_t kind;
    uint32_t flags;
    int64_t object;
    int64_t window; // -1 when the event belongs to no window
    int64_t subtype;
    void* data;
    EventDataRelease data_release;
};
static_assert(sizeof(EventRecord) == 56);

// The event last taken. It stays as it is until the next take; a take from an empty queue sets
// kind 0 and subtype -1 and keeps window and object.
struct CurrentEvent {
    int32_t kind;
    int64_t window;
    int64_t object;
    int64_t subtype;
    void* data;
    EventDataRelease data_release;
};

// What the queue needs from the native side to end a blocked wait. The platform's application
// object implements it; with none installed (tests, tools) posts wake nothing.
class NativeEventWaker {
  public:
    virtual ~NativeEventWaker() = default;
    // Whether the application's native queue holds any event, looked at without removing it and
    // without waiting, in the default run-loop mode.
    virtual bool native_event_pending() = 0;
    // Puts the application-defined wake event (type 15, all fields zero) at the front of the
    // native queue.
    virtual void post_wake_event() = 0;
};

// The installed waker is borrowed: it must outlive its installation. Null removes it.
void set_native_event_waker(NativeEventWaker* waker);

// Start-up: creates the record pool and the binding table; 1 on success, 0 when memory runs out.
// Called again it starts over: queued records are dropped (their data released), the current
// event is cleared, every binding is removed and the suppression counter is reset.
int InitEvents();

// Posts an event (object before window). Posts before InitEvents, and posts that find no record,
// are dropped like suppressed ones.
void QueueEvent(int32_t kind, int64_t object, int64_t window, int64_t subtype, void* data = nullptr,
                EventDataRelease data_release = nullptr, uint32_t flags = 0);

// The application program's posts (window before object): QueueEvent with
// QueueIgnoreSuppression | QueueDeferCallbacks | QueueWakeAlways, so two identical posts are two
// events. The kind-only form posts window 0 and object 0. All return 1.
int PostAppEvent(int32_t kind);
int PostAppEvent(int32_t kind, int64_t window, int64_t object);
int PostAppEvent(int32_t kind, int64_t window, int64_t object, int64_t subtype);
// The data stays the program's: it has no release routine.
int PostAppEvent(int32_t kind, int64_t window, int64_t object, int64_t subtype, void* data);

// Moves the head of the queue into the current event, after releasing the previous current
// event's data; runs the callbacks of a deferred record. Returns the new current kind, 0 when the
// queue was empty.
int32_t TakeEvent();

// The current event's kind, sign-extended.
int64_t EventKind();
// The current event's object number; the three names read the same field.
int64_t CurrentEventGadget();
int64_t CurrentEventMenu();
int64_t CurrentEventTimer();
// The whole current event, for bound callbacks and for the parts that read its window, subtype
// or data.
const CurrentEvent& current_event();

// Removes every queued record that matches; -1 matches anything.
void RemoveQueuedEvents(int32_t kind, int64_t object, int64_t window, int64_t subtype);
// Removes every queued record whose window field equals the number (-1 included).
void RemoveWindowEvents(int64_t window);

// The suppression counter. Raise and lower it in pairs, or hold an EventSuppression for a scope.
void raise_event_suppression();
void lower_event_suppression();
int64_t event_suppression_count();

class EventSuppression {
  public:
    EventSuppression() { raise_event_suppression(); }
    ~EventSuppression() { lower_event_suppression(); }
    EventSuppression(const EventSuppression&) = delete;
    EventSuppression& operator=(const EventSuppression&) = delete;
};

// Whether a post of `kind` with `flags` puts a wake event into the native queue.
enum class WakePolicy : uint8_t { Always, Never, WhenNativeQueueEmpty };
WakePolicy wake_policy(int32_t kind, uint32_t flags);

// For the waiting side and for tests: whether a record is queued, how many are, and the two ends
// of the queue (null when it is empty).
bool event_pending();
int64_t queued_event_count();
const EventRecord* queue_head();
const EventRecord* queue_tail();

} // namespace rt

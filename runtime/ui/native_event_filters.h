#pragma once
// Filters that see every native event before the toolkit does. A filter answers non-zero when it
// has consumed the event, which is then not dispatched. Besides the list of filters with a user
// value there are two single slots for optional runtime libraries: a primary filter, which counts
// only while its enable flag is set (a wait that times out clears the flag), and a secondary one.
// The native event is opaque here: the platform's event object.

#include <cstdint>

namespace rt {

using NativeEventFilterRoutine = int (*)(void* native_event, void* user_value);
using NativeEventSlotFilter = int (*)(void* native_event);

struct NativeEventFilter;

// Appends a filter; the node identifies it for removal. Null when memory runs out or the routine
// is null.
NativeEventFilter* AddNativeEventFilter(NativeEventFilterRoutine routine, void* user_value);
// Removes and frees the node; null or a node that is not in the list is ignored.
void RemoveNativeEventFilter(NativeEventFilter* node);

void set_primary_event_filter(NativeEventSlotFilter filter);
void set_secondary_event_filter(NativeEventSlotFilter filter);
void set_primary_event_filter_enabled(bool enabled);

// Offers the event to the primary filter, the secondary filter and every listed filter in order.
// Every filter is called, even after one has consumed the event; true when any consumed it.
bool offer_native_event(void* native_event);

// Removes every listed filter and empties both slots (for start-over in tests and tools).
void clear_native_event_filters();

} // namespace rt

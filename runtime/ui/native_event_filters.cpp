#include "runtime/ui/native_event_filters.h"

#include "runtime/core/memory.h"

namespace rt {

struct NativeEventFilter {
    NativeEventFilter* next;
    NativeEventFilter* previous;
    NativeEventFilterRoutine routine;
    void* user_value;
};

namespace {

struct FilterState {
    NativeEventFilter* first = nullptr;
    NativeEventFilter* last = nullptr;
    NativeEventSlotFilter primary = nullptr;
    NativeEventSlotFilter secondary = nullptr;
    bool primary_enabled = false;
};

FilterState filters;

bool is_listed(const NativeEventFilter* node) {
    for (const NativeEventFilter* at = filters.first; at; at = at->next)
        if (at == node) return true;
    return false;
}

} // namespace

NativeEventFilter* AddNativeEventFilter(NativeEventFilterRoutine routine, void* user_value) {
    if (!routine) return nullptr;
    auto* node = static_cast<NativeEventFilter*>(AllocateBlock(sizeof(NativeEventFilter)));
    if (!node) return nullptr;
    node->routine = routine;
    node->user_value = user_value;
    node->previous = filters.last;
    if (filters.last)
        filters.last->next = node;
    else
        filters.first = node;
    filters.last = node;
    return node;
}

void RemoveNativeEventFilter(NativeEventFilter* node) {
    if (!node || !is_listed(node)) return;
    if (node->previous)
        node->previous->next = node->next;
    else
        filters.first = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        filters.last = node->previous;
    FreeBlock(node);
}

void set_primary_event_filter(NativeEventSlotFilter filter) {
    filters.primary = filter;
}

void set_secondary_event_filter(NativeEventSlotFilter filter) {
    filters.secondary = filter;
}

void set_primary_event_filter_enabled(bool enabled) {
    filters.primary_enabled = enabled;
}

bool offer_native_event(void* native_event) {
    bool consumed = false;
    if (filters.primary && filters.primary(native_event) != 0 && filters.primary_enabled)
        consumed = true;
    if (filters.secondary && filters.secondary(native_event) != 0) consumed = true;
    NativeEventFilter* node = filters.first;
    while (node) {
        // Read the link first: a filter may remove itself.
        NativeEventFilter* next = node->next;
        if (node->routine(native_event, node->user_value) != 0) consumed = true;
        node = next;
    }
    return consumed;
}

void clear_native_event_filters() {
    while (filters.first)
        RemoveNativeEventFilter(filters.first);
    filters = FilterState{};
}

} // namespace rt

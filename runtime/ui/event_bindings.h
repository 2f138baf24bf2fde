#pragma once
// Callbacks bound to events. The binding table is a string-keyed map whose key is the text
// "kind:window:object" in decimal ("-1" for -1); each entry holds a list of {callback, subtype}
// nodes in the order they were bound, and the window number, so that a closing window can drop
// every entry of its own. The queue dispatches an event under four keys: (kind, window, object),
// (kind, window, -1), (kind, -1, -1) and (kind, -1, object).

#include <cstdint>

namespace rt {

using EventCallback = void (*)();

inline constexpr int BindingKeyCapacity = 64; // the longest key and its terminator fit

// Creates the empty table, dropping a previous one with all its bindings; 1, or 0 when memory
// runs out (no table then).
int create_binding_table();
// Number of keys in the table (0 without a table).
int32_t binding_key_count();

// Adds {callback, subtype} to the end of the list under (kind, window, object); subtype -1 matches
// every subtype. 1 on success; 0 for a null callback, without a table, or when memory runs out.
int AddEventBinding(int32_t kind, int64_t window, int64_t object, EventCallback callback,
                    int64_t subtype);

// Calls, in binding order, the callbacks under (kind, window, object) whose subtype equals
// `subtype` or is -1. The callbacks are collected before the first runs, so a callback may
// unbind itself or another and every collected one still runs.
void DispatchBindings(int32_t kind, int64_t window, int64_t object, int64_t subtype);

// With a null callback: removes every binding under the key and returns 0. Otherwise removes the
// first node with that callback whose subtype equals `subtype` (any subtype when it is -1) and
// returns 1; 0 when none matched. A key left without nodes is deleted.
int RemoveEventBinding(int32_t kind, int64_t window, int64_t object, EventCallback callback,
                       int64_t subtype);

// Removes every key bound with this window number.
void UnbindWindowEvents(int64_t window);

// Writes the key text of (kind, window, object) with its terminator; returns the units written
// without it.
int format_binding_key(char16_t (&key)[BindingKeyCapacity], int32_t kind, int64_t window,
                       int64_t object);

} // namespace rt

#include "runtime/ui/event_bindings.h"

#include "runtime/core/map.h"
#include "runtime/core/memory.h"

#include <charconv>

namespace rt {

namespace {

struct BindingNode {
    BindingNode* next;
    EventCallback callback;
    int64_t subtype; // -1: every subtype
};

struct BindingEntry {
    BindingNode* first;
    int64_t window;
};
static_assert(sizeof(BindingEntry) == 16);

constexpr int32_t binding_element_type = 7;
constexpr int32_t binding_bucket_count = 1024;

// Dispatch collects callbacks here first; longer lists take a heap block.
constexpr int64_t inline_callback_capacity = 8;

MapHeader* binding_table = nullptr;

void free_nodes(BindingEntry* entry) {
    BindingNode* node = entry->first;
    while (node) {
        BindingNode* next = node->next;
        FreeBlock(node);
        node = next;
    }
    entry->first = nullptr;
}

void free_every_entry_list() {
    if (!binding_table) return;
    MapRewind(binding_table);
    while (auto* entry = static_cast<BindingEntry*>(MapNext(binding_table)))
        free_nodes(entry);
}

// The entry under the key, which becomes the map's current element; null when there is none.
BindingEntry* find_entry(int32_t kind, int64_t window, int64_t object) {
    if (!binding_table) return nullptr;
    char16_t key[BindingKeyCapacity];
    format_binding_key(key, kind, window, object);
    return static_cast<BindingEntry*>(MapFind(binding_table, key));
}

BindingEntry* find_or_add_entry(int32_t kind, int64_t window, int64_t object) {
    if (BindingEntry* entry = find_entry(kind, window, object)) return entry;
    char16_t key[BindingKeyCapacity];
    format_binding_key(key, kind, window, object);
    auto* entry = static_cast<BindingEntry*>(MapAddString(binding_table, key, 0));
    if (entry) entry->window = window;
    return entry;
}

bool subtype_matches(const BindingNode* node, int64_t subtype) {
    return node->subtype == subtype || node->subtype == -1;
}

int64_t count_matching(const BindingEntry* entry, int64_t subtype) {
    int64_t count = 0;
    for (const BindingNode* node = entry->first; node; node = node->next)
        if (subtype_matches(node, subtype)) ++count;
    return count;
}

void collect_matching(const BindingEntry* entry, int64_t subtype, EventCallback* callbacks) {
    for (const BindingNode* node = entry->first; node; node = node->next)
        if (subtype_matches(node, subtype)) *callbacks++ = node->callback;
}

bool removable(const BindingNode* node, EventCallback callback, int64_t subtype) {
    return node->callback == callback && (subtype == -1 || node->subtype == subtype);
}

} // namespace

int create_binding_table() {
    free_every_entry_list();
    MapCreate(sizeof(BindingEntry), binding_element_type, nullptr, &binding_table,
              binding_bucket_count);
    return binding_table ? 1 : 0;
}

int32_t binding_key_count() {
    return binding_table ? binding_table->count : 0;
}

int format_binding_key(char16_t (&key)[BindingKeyCapacity], int32_t kind, int64_t window,
                       int64_t object) {
    // Three 64-bit numbers and two colons always fit; the guard only keeps every write in bounds.
    const int64_t parts[] = {kind, window, object};
    char text[BindingKeyCapacity];
    char* const end = text + BindingKeyCapacity - 1;
    char* at = text;
    for (int64_t part : parts) {
        if (at != text) {
            if (at == end) break;
            *at++ = ':';
        }
        at = std::to_chars(at, end, part).ptr;
    }
    const auto length = static_cast<int>(at - text);
    for (int i = 0; i < length; ++i)
        key[i] = static_cast<char16_t>(text[i]);
    key[length] = u'\0';
    return length;
}

int AddEventBinding(int32_t kind, int64_t window, int64_t object, EventCallback callback,
                    int64_t subtype) {
    if (!callback || !binding_table) return 0;
    BindingEntry* entry = find_or_add_entry(kind, window, object);
    if (!entry) return 0;
    auto* node = static_cast<BindingNode*>(AllocateBlock(sizeof(BindingNode)));
    if (!node) {
        if (!entry->first) MapDeleteCurrent(binding_table);
        return 0;
    }
    node->callback = callback;
    node->subtype = subtype;
    BindingNode** link = &entry->first;
    while (*link)
        link = &(*link)->next;
    *link = node;
    return 1;
}

void DispatchBindings(int32_t kind, int64_t window, int64_t object, int64_t subtype) {
    if (binding_key_count() == 0) return;
    const BindingEntry* entry = find_entry(kind, window, object);
    if (!entry) return;
    const int64_t count = count_matching(entry, subtype);
    if (count == 0) return;
    EventCallback inline_callbacks[inline_callback_capacity];
    EventCallback* callbacks = inline_callbacks;
    if (count > inline_callback_capacity) {
        callbacks = static_cast<EventCallback*>(
            AllocateBlockRaw(static_cast<uint64_t>(count) * sizeof(EventCallback)));
        if (!callbacks) return;
    }
    collect_matching(entry, subtype, callbacks);
    // The entry may be gone once the first callback has run: only the copies are used from here.
    for (int64_t i = 0; i < count; ++i)
        callbacks[i]();
    if (callbacks != inline_callbacks) FreeBlock(callbacks);
}

int RemoveEventBinding(int32_t kind, int64_t window, int64_t object, EventCallback callback,
                       int64_t subtype) {
    BindingEntry* entry = find_entry(kind, window, object);
    if (!entry) return 0;
    if (!callback) {
        free_nodes(entry);
        MapDeleteCurrent(binding_table);
        return 0;
    }
    for (BindingNode** link = &entry->first; *link; link = &(*link)->next) {
        if (!removable(*link, callback, subtype)) continue;
        BindingNode* node = *link;
        *link = node->next;
        FreeBlock(node);
        if (!entry->first) MapDeleteCurrent(binding_table);
        return 1;
    }
    return 0;
}

void UnbindWindowEvents(int64_t window) {
    if (!binding_table) return;
    MapRewind(binding_table);
    while (auto* entry = static_cast<BindingEntry*>(MapNext(binding_table))) {
        if (entry->window != window) continue;
        free_nodes(entry);
        MapDeleteCurrent(binding_table);
    }
}

} // namespace rt

#include "runtime/core/layout.h"

#include "runtime/core/array.h"
#include "runtime/core/list.h"
#include "runtime/core/map.h"
#include "runtime/core/memory.h"
#include "runtime/core/temp_area.h"

#include <cstring>

namespace rt {

namespace {

int64_t entry_word(const int64_t* words, int8_t index) {
    return index < 0 ? 0 : words[index];
}

template <class T>
T* field_as(std::byte* field) {
    return reinterpret_cast<T*>(field);
}

template <class T>
const T* field_as(const std::byte* field) {
    return reinterpret_cast<const T*>(field);
}

const std::byte* advance(const std::byte* source, int64_t bytes) {
    return source ? source + bytes : nullptr;
}

bool has_elements(const LayoutEntry& fixed_array) {
    return fixed_array.count >= 1 && (fixed_array.count == 1 || fixed_array.size >= 1);
}

// The one traversal behind the four structure operations: it descends into embedded structures
// and fixed arrays and hands every string and container field to `visit`, together with the
// same field of `source` when there is one.
template <class Visit>
void walk_fields(const int64_t* layout, std::byte* data, const std::byte* source, Visit& visit,
                 int depth) {
    if (!layout || depth > k_max_layout_depth) return;
    const int64_t* words = layout;
    while (std::optional<LayoutEntry> entry = decode_layout_entry(words)) {
        words += entry->words;
        if (entry->offset < 0) continue;
        std::byte* field = data + entry->offset;
        const std::byte* source_field = advance(source, entry->offset);
        if (entry->kind == LayoutKind::Structure) {
            walk_fields(entry->layout, field, source_field, visit, depth + 1);
        } else if (entry->kind == LayoutKind::FixedArray) {
            if (!has_elements(*entry)) continue;
            for (int64_t i = 0; i < entry->count; ++i) {
                const int64_t at = i * entry->size;
                walk_fields(entry->layout, field + at, advance(source_field, at), visit, depth + 1);
            }
        } else {
            visit(*entry, field, source_field);
        }
    }
}

// What each field kind does under the four operations. Copy runs after the source's bytes
// have been copied over the destination's (whose own contents were freed before), so a copy
// handler finds the source's pointers in the destination field and replaces them.
struct FieldOperations {
    void (*init)(const LayoutEntry& entry, std::byte* field);
    void (*release)(std::byte* field);
    void (*copy)(const LayoutEntry& entry, std::byte* field, const std::byte* source_field);
    void (*relink)(std::byte* field);
};

void init_nothing(const LayoutEntry&, std::byte*) {}
void relink_nothing(std::byte*) {}

void free_string(std::byte* field) {
    char16_t** text = field_as<char16_t*>(field);
    FreeIfSet(*text);
    *text = nullptr;
}

void copy_string(const LayoutEntry&, std::byte* field, const std::byte* source_field) {
    char16_t** text = field_as<char16_t*>(field);
    const char16_t* source_text = *field_as<char16_t*>(source_field);
    *text = nullptr;
    if (source_text) AssignString(text, source_text);
}

void init_list(const LayoutEntry& entry, std::byte* field) {
    if (!type_procedures().list_create) return;
    type_procedures().list_create(entry.size, field_as<ListVariable>(field), entry.layout,
                                  static_cast<uint32_t>(entry.type));
}

void free_list(std::byte* field) {
    ListVariable* variable = field_as<ListVariable>(field);
    if (variable->list && type_procedures().list_free) type_procedures().list_free(variable->list);
    *variable = {};
}

void copy_list(const LayoutEntry&, std::byte* field, const std::byte* source_field) {
    ListVariable* variable = field_as<ListVariable>(field);
    ListHeader* source = field_as<ListVariable>(source_field)->list;
    *variable = {};
    const TypeProcedures& procedures = type_procedures();
    if (!source || !procedures.list_create || !procedures.list_copy) return;
    ListHeader* copy =
        procedures.list_create(list_element_size(source), variable, source->layout, source->flags);
    if (copy) procedures.list_copy(source, source->flags, copy, copy->flags, 0);
}

void relink_list(std::byte* field) {
    ListVariable* variable = field_as<ListVariable>(field);
    if (!variable->list) return;
    variable->list->variable = variable;
    variable->list->current_cell = &variable->current;
}

void init_map(const LayoutEntry& entry, std::byte* field) {
    if (!type_procedures().map_create) return;
    type_procedures().map_create(entry.size, entry.type, entry.layout, field_as<MapHeader*>(field),
                                 entry.buckets);
}

void free_map(std::byte* field) {
    MapHeader** variable = field_as<MapHeader*>(field);
    if (*variable && type_procedures().map_free) type_procedures().map_free(*variable);
    *variable = nullptr;
}

void copy_map(const LayoutEntry&, std::byte* field, const std::byte* source_field) {
    MapHeader** variable = field_as<MapHeader*>(field);
    MapHeader* source = *field_as<MapHeader*>(source_field);
    *variable = nullptr;
    const TypeProcedures& procedures = type_procedures();
    if (!source || !procedures.map_create || !procedures.map_copy) return;
    MapHeader* copy = procedures.map_create(source->element_size, source->element_type,
                                            source->layout, variable, source->bucket_count);
    if (!copy) return;
    // The copy is still empty, so taking over the key kind cannot strand a key.
    copy->flags |= source->flags & (MapKeysWithoutCase | MapIntegerKeys);
    procedures.map_copy(source, source->element_type, copy, copy->element_type, 0);
}

void relink_map(std::byte* field) {
    MapHeader** variable = field_as<MapHeader*>(field);
    if (*variable) (*variable)->variable = variable;
}

void init_array(const LayoutEntry& entry, std::byte* field) {
    if (!type_procedures().array_allocate) return;
    type_procedures().array_allocate(entry.size, entry.count, entry.type, entry.layout,
                                     field_as<void*>(field));
}

// Serves both array kinds: a dimensioned array's variable is its descriptor's first word.
void free_array(std::byte* field) {
    void** variable = field_as<void*>(field);
    if (*variable && type_procedures().array_free) type_procedures().array_free(*variable);
    *variable = nullptr;
}

void copy_array(const LayoutEntry&, std::byte* field, const std::byte* source_field) {
    void** variable = field_as<void*>(field);
    void* source = *field_as<void*>(source_field);
    *variable = nullptr;
    const TypeProcedures& procedures = type_procedures();
    if (!source || !procedures.array_allocate || !procedures.array_copy) return;
    const ArrayHeader* shape = array_header(source);
    void* copy = procedures.array_allocate(shape->element_size, shape->count, shape->element_type,
                                           shape->layout, variable);
    if (copy) procedures.array_copy(source, copy, 0);
}

void relink_array(std::byte* field) {
    void** variable = field_as<void*>(field);
    if (*variable) array_header(*variable)->variable = variable;
}

void write_dimension_sizes(const LayoutEntry& entry, std::byte* descriptor) {
    std::memcpy(descriptor + sizeof(void*), entry.dimensions.data(), entry.dimensions.size_bytes());
}

void init_dimensioned_array(const LayoutEntry& entry, std::byte* field) {
    if (!type_procedures().array_allocate_dims) return;
    write_dimension_sizes(entry, field);
    type_procedures().array_allocate_dims(static_cast<int32_t>(entry.dimensions.size()), entry.size,
                                          entry.type, entry.layout, field_as<void*>(field));
}

// A fresh array of the layout's shape, then reallocated by the copy to the source's own shape
// (its strides and, should it have been resized, its count).
void copy_dimensioned_array(const LayoutEntry& entry, std::byte* field,
                            const std::byte* source_field) {
    void** variable = field_as<void*>(field);
    void* source = *field_as<void*>(source_field);
    *variable = nullptr;
    if (!source || !type_procedures().array_copy) return;
    init_dimensioned_array(entry, field);
    if (*variable) type_procedures().array_copy(source, *variable, 1);
}

// Indexed by LayoutKind; embedded structures and fixed arrays never reach a handler.
constexpr FieldOperations k_field_operations[] = {
    {init_nothing, free_string, copy_string, relink_nothing},
    {},
    {},
    {init_array, free_array, copy_array, relink_array},
    {init_list, free_list, copy_list, relink_list},
    {init_map, free_map, copy_map, relink_map},
    {init_dimensioned_array, free_array, copy_dimensioned_array, relink_array},
};
static_assert(std::size(k_field_operations) == std::size(k_layout_kinds));

const FieldOperations& operations_for(LayoutKind kind) {
    return k_field_operations[static_cast<size_t>(kind)];
}

int needs_init(const int64_t* layout, int depth) {
    if (!layout || depth > k_max_layout_depth) return 0;
    const int64_t* words = layout;
    while (std::optional<LayoutEntry> entry = decode_layout_entry(words)) {
        words += entry->words;
        if (entry->offset < 0) continue;
        if (layout_kind_info(entry->kind).creates_container) return 1;
        const bool nested = entry->kind == LayoutKind::Structure ||
                            (entry->kind == LayoutKind::FixedArray && has_elements(*entry));
        if (nested && needs_init(entry->layout, depth + 1)) return 1;
    }
    return 0;
}

} // namespace

std::optional<LayoutEntry> decode_layout_entry(const int64_t* words) {
    if (!words) return std::nullopt;
    const LayoutKindInfo* info = find_layout_kind(words[0]);
    if (!info) return std::nullopt;
    LayoutEntry entry;
    entry.kind = info->kind;
    entry.offset = entry_word(words, info->offset);
    entry.size = entry_word(words, info->size);
    entry.count = entry_word(words, info->count);
    entry.type = static_cast<int32_t>(entry_word(words, info->type));
    entry.layout = layout_from_word(entry_word(words, info->layout));
    entry.buckets = static_cast<int32_t>(entry_word(words, info->buckets));
    entry.words = info->words;
    if (info->dimensions < 0) return entry;
    // Without a sensible dimension count the entry's length is unknown: the layout ends here.
    const int64_t dimension_count = words[info->dimensions];
    if (dimension_count < 1 || dimension_count > k_max_array_dimensions) return std::nullopt;
    entry.dimensions =
        std::span<const int64_t>(words + info->words, static_cast<size_t>(dimension_count));
    entry.words += dimension_count;
    return entry;
}

int LayoutNeedsInit(const int64_t* layout) {
    return needs_init(layout, 0);
}

void InitStructure(void* data, const int64_t* layout) {
    if (!data) return;
    auto visit = [](const LayoutEntry& entry, std::byte* field, const std::byte*) {
        operations_for(entry.kind).init(entry, field);
    };
    walk_fields(layout, static_cast<std::byte*>(data), nullptr, visit, 0);
}

void FreeStructure(void* data, const int64_t* layout) {
    if (!data) return;
    auto visit = [](const LayoutEntry& entry, std::byte* field, const std::byte*) {
        operations_for(entry.kind).release(field);
    };
    walk_fields(layout, static_cast<std::byte*>(data), nullptr, visit, 0);
}

void RelinkStructure(void* data, const int64_t* layout) {
    if (!data) return;
    auto visit = [](const LayoutEntry& entry, std::byte* field, const std::byte*) {
        operations_for(entry.kind).relink(field);
    };
    walk_fields(layout, static_cast<std::byte*>(data), nullptr, visit, 0);
}

void CopyStructure(void* destination, int64_t size, const int64_t* layout, const void* source) {
    if (destination == source || !destination || !source || size < 0) return;
    if (layout) FreeStructure(destination, layout);
    std::memcpy(destination, source, static_cast<size_t>(size));
    if (!layout) return;
    auto visit = [](const LayoutEntry& entry, std::byte* field, const std::byte* source_field) {
        operations_for(entry.kind).copy(entry, field, source_field);
    };
    walk_fields(layout, static_cast<std::byte*>(destination), static_cast<const std::byte*>(source),
                visit, 0);
}

TypeProcedures& type_procedures() {
    static TypeProcedures table;
    return table;
}

void free_block_chain(void* chain) {
    while (chain) {
        void* next = nullptr;
        std::memcpy(&next, chain, sizeof next);
        FreeBlock(chain);
        chain = next;
    }
}

} // namespace rt

#pragma once
// Structure layouts: the word lists that tell the containers where strings, lists, maps, arrays
// and nested structures lie inside an element, so that an element can be created, copied, freed
// and moved as a whole.
//
// A layout is a read-only sequence of signed 64-bit words ended by LayoutEnd. Each entry starts
// with a word that gives its kind (a string field's first word is its byte offset, 0 or more);
// the words that follow are listed by k_layout_kinds. Sub-layouts are stored as words holding the
// sub-layout's address (layout_word).
//
// Structure handling reaches the containers only through the type-procedure table, which
// InitLists, InitArrays and InitMaps fill at start-up: the layout walker stays below the
// containers, and a container kind that was never started is simply left alone (its fields stay
// null on InitStructure and are not touched by FreeStructure).
//
// Words that make no sense are handled without touching memory outside the fields they name: an
// unknown kind ends the layout, an entry with a negative offset is skipped, a fixed array with a
// count below 1 has no elements, and embedded structures nest at most k_max_layout_depth deep (a
// layout that embeds itself would otherwise recurse forever).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace rt {

struct ListHeader;
struct ListVariable;
struct MapHeader;

inline constexpr int64_t LayoutEnd = -1;
inline constexpr int k_max_layout_depth = 32;

enum class LayoutKind : uint8_t {
    String,           // a string variable (char16_t*, a malloc block) at the offset
    FixedArray,       // `count` structures, `size` bytes apart, each described by `layout`
    Structure,        // an embedded structure of `size` bytes described by `layout`
    Array,            // an array variable
    List,             // a list variable (ListVariable: two words)
    Map,              // a map variable
    DimensionedArray, // an array variable followed by one stride word per dimension
};

// Where each value sits in an entry, as an index into the entry's words (0 is the kind word);
// -1 when the kind has no such value. A list's flags travel in `type`; a fixed array's stride in
// `size`; a string's offset is its kind word.
struct LayoutKindInfo {
    LayoutKind kind;
    int64_t first_word; // 0 stands for "0 or more"
    int8_t words;       // a dimensioned array has one more word per dimension
    int8_t offset;
    int8_t size;
    int8_t count;
    int8_t type;
    int8_t layout;
    int8_t buckets;
    int8_t dimensions;
    bool creates_container; // the entry makes a layout need initialisation by itself
};

inline constexpr LayoutKindInfo k_layout_kinds[] = {
    // kind                         word words off size cnt type lay bkt dims container
    {LayoutKind::String, 0, 1, 0, -1, -1, -1, -1, -1, -1, false},
    {LayoutKind::FixedArray, -2, 5, 2, 3, 1, -1, 4, -1, -1, false},
    {LayoutKind::Structure, -3, 4, 1, 2, -1, -1, 3, -1, -1, false},
    {LayoutKind::Array, -4, 6, 1, 2, 3, 4, 5, -1, -1, true},
    {LayoutKind::List, -5, 5, 1, 2, -1, 4, 3, -1, -1, true},
    {LayoutKind::Map, -6, 6, 1, 2, -1, 3, 4, 5, -1, true},
    {LayoutKind::DimensionedArray, -7, 6, 1, 3, -1, 4, 5, -1, 2, true},
};

// The row for an entry's kind word, or null for a word that names no kind (including LayoutEnd).
constexpr const LayoutKindInfo* find_layout_kind(int64_t first_word) {
    if (first_word >= 0) return &k_layout_kinds[0];
    for (const LayoutKindInfo& info : k_layout_kinds) {
        if (info.first_word == first_word) return &info;
    }
    return nullptr;
}

constexpr const LayoutKindInfo& layout_kind_info(LayoutKind kind) {
    return k_layout_kinds[static_cast<size_t>(kind)];
}

// One decoded entry. Values the kind does not have are 0 (null for `layout`).
struct LayoutEntry {
    LayoutKind kind = LayoutKind::String;
    int64_t offset = 0;
    int64_t size = 0; // element size; structure size; fixed-array stride
    int64_t count = 0;
    int32_t type = 0; // element type; list flags
    const int64_t* layout = nullptr;
    int32_t buckets = 0;
    std::span<const int64_t> dimensions; // a dimensioned array's sizes, inside the layout
    int64_t words = 1;                   // words the entry takes in the layout
};

// Decodes the entry that starts at `words`; nothing for LayoutEnd or an unknown kind.
std::optional<LayoutEntry> decode_layout_entry(const int64_t* words);

// A sub-layout's address as a layout word, and back.
inline int64_t layout_word(const int64_t* layout) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(layout));
}
inline const int64_t* layout_from_word(int64_t word) {
    return reinterpret_cast<const int64_t*>(static_cast<intptr_t>(word));
}

// 1 when the layout holds a list, map or array field, directly or inside an embedded structure
// or fixed array; 0 for a null layout.
int LayoutNeedsInit(const int64_t* layout);
// Creates the lists, maps and arrays the layout declares in zero-filled data.
void InitStructure(void* data, const int64_t* layout);
// Frees the strings, lists, maps and arrays the layout declares and clears their fields.
void FreeStructure(void* data, const int64_t* layout);
// Deep copy of `size` bytes: the destination's own strings and containers are freed first, and
// it receives fresh copies of the source's. Nothing happens when both are the same.
void CopyStructure(void* destination, int64_t size, const int64_t* layout, const void* source);
// After the structure's bytes have moved, points its lists', maps' and arrays' back-references
// at the fields' new places.
void RelinkStructure(void* data, const int64_t* layout);

// The ten process-wide slots through which structure handling reaches the containers.
using ArrayAllocateProcedure = void* (*)(int64_t element_size, int64_t count, int32_t element_type,
                                         const int64_t* layout, void** variable);
using ArrayAllocateDimsProcedure = void* (*)(int32_t dimension_count, int64_t element_size,
                                             int32_t element_type, const int64_t* layout,
                                             void** descriptor);
using ListCreateProcedure = ListHeader* (*)(int64_t element_size, ListVariable* variable,
                                            const int64_t* layout, uint32_t flags);
using MapCreateProcedure = MapHeader* (*)(int64_t element_size, int32_t element_type,
                                          const int64_t* layout, MapHeader** variable,
                                          int32_t bucket_count);
using ArrayCopyProcedure = int (*)(void* source, void* destination, int reallocate);
using ListCopyProcedure = int (*)(ListHeader* source, uint32_t source_type, ListHeader* destination,
                                  uint32_t destination_type, int clear);
using MapCopyProcedure = int (*)(MapHeader* source, int32_t source_type, MapHeader* destination,
                                 int32_t destination_type, int clear);
using ArrayFreeProcedure = void (*)(void* array);
using ListFreeProcedure = void (*)(ListHeader* list);
using MapFreeProcedure = void (*)(MapHeader* map);

struct TypeProcedures {
    ArrayAllocateProcedure array_allocate = nullptr;
    ArrayAllocateDimsProcedure array_allocate_dims = nullptr;
    ListCreateProcedure list_create = nullptr;
    MapCreateProcedure map_create = nullptr;
    ArrayCopyProcedure array_copy = nullptr;
    ListCopyProcedure list_copy = nullptr;
    MapCopyProcedure map_copy = nullptr;
    ArrayFreeProcedure array_free = nullptr;
    ListFreeProcedure list_free = nullptr;
    MapFreeProcedure map_free = nullptr;
};

// The process-wide table; filled by the containers' start-up steps.
TypeProcedures& type_procedures();

// Frees a chain of runtime heap blocks linked through their first word (a container's spare
// chain); null is an empty chain.
void free_block_chain(void* chain);

} // namespace rt

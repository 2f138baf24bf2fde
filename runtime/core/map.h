#pragma once
// Hash maps with string or integer keys and fixed-size elements, chained in a fixed number of
// buckets. Nodes come from the shared block pool of their size; a string key is a runtime heap
// copy of the key. Beside each chain an index of its nodes and their keys' hashes serves lookups
// (map_chain_index.h).
//
// A map has a current node: the one last found, added or walked to. MapDeleteCurrent removes it
// and steps back, so that a walk with MapNext can delete as it goes and continue where it was.
//
// Key kind and case are fixed while the map is empty, with MapSetKeyFlags after MapCreate:
// changing them under existing keys would mis-hash or mis-free those keys. Operations of the other
// key kind (MapAddString on an integer-keyed map, ...) find nothing and add nothing.

#include <cstddef>
#include <cstdint>

namespace rt {

struct BlockPool;

// An integer key's word holds the integer; a string key's word holds the address of the key's
// runtime heap copy. Read nodes with map_node_next, map_node_text and map_node_integer.
struct MapNode {
    MapNode* next; // in the bucket chain
    uintptr_t key;
    // element data follows
};
static_assert(sizeof(MapNode) == 16);

enum MapFlags : uint32_t {
    MapKeysWithoutCase = 1, // string keys compared after towlower of each unit
    MapNeedsInit = 2,       // elements hold containers
    MapIntegerKeys = 4,
};

struct MapHeader {
    MapNode* current;
    MapNode** buckets; // followed in the same block by a ChainIndex per bucket
    MapNode* previous; // the node before the current one in iteration order, or null
    void* default_element;
    const int64_t* layout;
    int32_t bucket_index; // of the current node; -1 before the first
    int32_t saved_bucket_index;
    int64_t element_size;
    int32_t element_type;
    int32_t bucket_count;
    int32_t count;
    uint32_t flags;
    MapHeader** variable;
    void* spare_chain; // nothing in this runtime adds to it
    BlockPool* pool;
};

inline constexpr int64_t k_map_node_links = sizeof(MapNode);

inline void* map_node_data(MapNode* node) {
    return node ? reinterpret_cast<std::byte*>(node) + sizeof(MapNode) : nullptr;
}
inline MapNode* map_node_next(const MapNode* node) {
    return node->next;
}
inline const char16_t* map_node_text(const MapNode* node) {
    return reinterpret_cast<const char16_t*>(node->key);
}
inline int64_t map_node_integer(const MapNode* node) {
    return static_cast<int64_t>(node->key);
}

// Frees the map the variable holds (the variable may be null), then makes an empty map of at
// least one bucket with string keys compared exactly; null for a negative element size or when
// memory runs out.
MapHeader* MapCreate(int64_t element_size, int32_t element_type, const int64_t* layout,
                     MapHeader** variable, int32_t bucket_count);
// Sets MapKeysWithoutCase and MapIntegerKeys (other bits are ignored). 1 on success; 0 for a null
// map or one that already holds elements.
int MapSetKeyFlags(MapHeader* map, uint32_t key_flags);
// Data of the element for the key, which becomes current: with replace, an existing element is
// emptied and re-initialised; otherwise a new element is added in front of any older one with the
// same key. Null when memory runs out. A null key is the empty string.
void* MapAddString(MapHeader* map, const char16_t* key, int replace);
void* MapAddInteger(MapHeader* map, int64_t key, int replace);
// Data of the newest element with the key, which becomes current; null when there is none, in
// which case the current position is unchanged.
void* MapFind(MapHeader* map, const char16_t* key);
void* MapFindInteger(MapHeader* map, int64_t key);
// Removes the current element; the one before it in its bucket becomes current, or at the head of
// a bucket the node a walk last left (null after a find), and its data is returned (null when
// there is none), so that MapNext continues with the element after the removed one.
void* MapDeleteCurrent(MapHeader* map);
void MapRewind(MapHeader* map);
// Data of the next element in bucket order, or null at the end (then again null until a rewind).
void* MapNext(MapHeader* map);
void MapClear(MapHeader* map);
// Frees the map and its elements and clears its variable; null does nothing.
void MapFree(MapHeader* map);
// Adds deep copies of the source's elements under their keys, clearing the destination first
// when asked; the source's position is unchanged. 0 when a map is null, the types differ, or the
// maps differ in element size, layout or key kind; 1 otherwise. A map copied onto itself is left
// as is.
int MapCopy(MapHeader* source, int32_t source_type, MapHeader* destination,
            int32_t destination_type, int clear);
// Fills the map slots of the type-procedure table.
void InitMaps();

} // namespace rt

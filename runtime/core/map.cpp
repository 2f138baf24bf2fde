#include "runtime/core/map.h"

#include "runtime/core/block_pool.h"
#include "runtime/core/layout.h"
#include "runtime/core/map_chain_index.h"
#include "runtime/core/memory.h"

#include <cstring>
#include <cwctype>
#include <memory>

namespace rt {

namespace {

constexpr int32_t k_pool_initial_blocks = 16;
constexpr int32_t k_pool_maximum_blocks = 65536;
constexpr int64_t k_largest_element = int64_t{1} << 40;
constexpr uint32_t k_key_flags = MapKeysWithoutCase | MapIntegerKeys;
constexpr uint32_t k_hash_factor = 65599;

bool has_integer_keys(const MapHeader* map) {
    return (map->flags & MapIntegerKeys) != 0;
}
bool compares_without_case(const MapHeader* map) {
    return (map->flags & MapKeysWithoutCase) != 0;
}

char16_t lower_unit(char16_t unit) {
    return static_cast<char16_t>(std::towlower(unit));
}

// A string key's hash, and its length in units found on the way.
struct KeyHash {
    uint32_t hash;
    uint64_t units;
};

// h = h * 65599 + unit over the units, four units per step: the same value, with one multiply
// instead of four on the chain of dependent steps.
template <class Unit>
KeyHash hash_units(const char16_t* key, Unit unit) {
    constexpr uint32_t f1 = k_hash_factor, f2 = f1 * f1, f3 = f2 * f1, f4 = f3 * f1;
    uint32_t hash = 0;
    for (const char16_t* p = key;; p += 4) {
        const auto done = static_cast<uint64_t>(p - key);
        const uint32_t a = p[0] ? unit(p[0]) : 0;
        if (!a) return {hash, done};
        const uint32_t b = p[1] ? unit(p[1]) : 0;
        if (!b) return {hash * f1 + a, done + 1};
        const uint32_t c = p[2] ? unit(p[2]) : 0;
        if (!c) return {hash * f2 + a * f1 + b, done + 2};
        const uint32_t d = p[3] ? unit(p[3]) : 0;
        if (!d) return {hash * f3 + a * f2 + b * f1 + c, done + 3};
        hash = hash * f4 + (a * f3 + b * f2 + c * f1 + d);
    }
}

KeyHash string_hash(const MapHeader* map, const char16_t* key) {
    if (compares_without_case(map)) return hash_units(key, lower_unit);
    return hash_units(key, [](char16_t unit) { return unit; });
}

int32_t string_bucket(const MapHeader* map, uint32_t hash) {
    const auto buckets = static_cast<uint32_t>(map->bucket_count);
    const bool power_of_two = (buckets & (buckets - 1)) == 0;
    return static_cast<int32_t>(power_of_two ? hash & (buckets - 1) : hash % buckets);
}

uint64_t key_bytes(uint64_t units) {
    return (units + 1) * sizeof(char16_t);
}

// A key copy is a runtime heap block of exactly its units and terminator, so its size tells
// keys of another length apart, and one of the same length compares as bytes.
bool equal_exact(const char16_t* stored, const char16_t* key, uint64_t units) {
    const uint64_t bytes = key_bytes(units);
    return BlockSize(stored) == bytes && std::memcmp(stored, key, bytes) == 0;
}

bool equal_without_case(const char16_t* a, const char16_t* b) {
    for (; *a == *b || lower_unit(*a) == lower_unit(*b); ++a, ++b) {
        if (*a == 0) return true;
    }
    return false;
}

// Negative keys would give a negative remainder; they are folded into the buckets as well.
int32_t integer_bucket(const MapHeader* map, int64_t key) {
    const int64_t buckets = map->bucket_count;
    return static_cast<int32_t>(((key % buckets) + buckets) % buckets);
}

// An integer key's hash in its chain index: both halves, so that keys that differ only in their
// high bits are told apart without reading their nodes.
uint32_t integer_hash(int64_t key) {
    const auto bits = static_cast<uint64_t>(key);
    return static_cast<uint32_t>(bits ^ (bits >> 32));
}

// The chain indexes follow the bucket array in its block.
ChainIndex& chain_of(const MapHeader* map, int32_t bucket) {
    return reinterpret_cast<ChainIndex*>(map->buckets + map->bucket_count)[bucket];
}

// A node found in a bucket chain, with the node before it (null at the chain head).
struct Found {
    MapNode* node;
    MapNode* before;
    int32_t bucket;
};

template <class Equal>
Found search_chain(const MapHeader* map, int32_t bucket, uint32_t hash, Equal equal) {
    const ChainMatch match = chain_find(chain_of(map, bucket), hash, equal);
    return {match.node, match.before, bucket};
}

Found find_exact(const MapHeader* map, const char16_t* key, KeyHash hashed) {
    return search_chain(map, string_bucket(map, hashed.hash), hashed.hash,
                        [key, units = hashed.units](const MapNode* node) {
                            return equal_exact(map_node_text(node), key, units);
                        });
}

// Kept out of line: its calls to towlower would otherwise crowd the registers of the exact
// search's loop.
[[gnu::noinline]] Found find_without_case(const MapHeader* map, const char16_t* key,
                                          KeyHash hashed) {
    return search_chain(
        map, string_bucket(map, hashed.hash), hashed.hash,
        [key](const MapNode* node) { return equal_without_case(map_node_text(node), key); });
}

Found find_string(const MapHeader* map, const char16_t* key, KeyHash hashed) {
    if (compares_without_case(map)) return find_without_case(map, key, hashed);
    return find_exact(map, key, hashed);
}

Found find_integer(const MapHeader* map, int64_t key) {
    return search_chain(map, integer_bucket(map, key), integer_hash(key),
                        [key](const MapNode* node) { return map_node_integer(node) == key; });
}

// The position a later MapNext or MapDeleteCurrent continues from: `before` is the node before
// the current one in iteration order; at a chain head there is none, and the bucket before
// stands in for it.
void make_current(MapHeader* map, const Found& found) {
    map->current = found.node;
    map->bucket_index = found.bucket;
    map->previous = found.before;
    map->saved_bucket_index = found.before ? found.bucket : found.bucket - 1;
}

void* element_of(MapNode* node) {
    return map_node_data(node);
}

// Empties an element that is being reused for its key.
void* renew_element(MapHeader* map, MapNode* node) {
    void* data = element_of(node);
    if (map->layout) FreeStructure(data, map->layout);
    std::memset(data, 0, static_cast<size_t>(map->element_size));
    if (map->flags & MapNeedsInit) InitStructure(data, map->layout);
    return data;
}

// The key's runtime heap copy as a key word, or 0 when memory runs out.
uintptr_t copy_key(const char16_t* key, uint64_t units) {
    const uint64_t bytes = key_bytes(units);
    void* copy = AllocateBlockRaw(bytes);
    if (!copy) return 0;
    std::memcpy(copy, key, bytes);
    return reinterpret_cast<uintptr_t>(copy);
}

MapNode* new_node(MapHeader* map) {
    void* block = PoolAllocateZeroed(map->pool);
    return block ? std::construct_at(static_cast<MapNode*>(block)) : nullptr;
}

// The bucket's chain index must have room for the node (chain_reserve).
void* push_node(MapHeader* map, MapNode* node, int32_t bucket, uint32_t hash) {
    node->next = map->buckets[bucket];
    map->buckets[bucket] = node;
    chain_push(chain_of(map, bucket), node, hash);
    make_current(map, {node, nullptr, bucket});
    ++map->count;
    void* data = element_of(node);
    if (map->flags & MapNeedsInit) InitStructure(data, map->layout);
    return data;
}

void release_node(MapHeader* map, MapNode* node) {
    if (!has_integer_keys(map)) FreeBlock(const_cast<char16_t*>(map_node_text(node)));
    if (map->layout) FreeStructure(element_of(node), map->layout);
    PoolFree(map->pool, node);
}

void free_header(MapHeader* map) {
    if (map->pool) FreeBlockPool(map->pool);
    FreeBlock(map->buckets);
    FreeBlock(map->default_element);
    free_block_chain(map->spare_chain);
    FreeBlock(map);
}

MapHeader* new_header(int64_t element_size, int32_t bucket_count) {
    void* memory = AllocateBlock(sizeof(MapHeader));
    if (!memory) return nullptr;
    MapHeader* map = std::construct_at(static_cast<MapHeader*>(memory));
    const auto node_size = static_cast<uint64_t>(element_size + k_map_node_links);
    map->bucket_count = bucket_count;
    map->buckets = static_cast<MapNode**>(AllocateBlock(static_cast<uint64_t>(bucket_count) *
                                                        (sizeof(MapNode*) + sizeof(ChainIndex))));
    map->default_element = AllocateBlock(node_size);
    map->pool =
        CreateBlockPool(node_size, k_pool_initial_blocks, k_pool_maximum_blocks, PoolShared);
    if (map->buckets && map->default_element && map->pool) return map;
    free_header(map);
    return nullptr;
}

// Every node in iteration order, in a scratch block the caller frees; null when memory runs out.
MapNode** collect_nodes(const MapHeader* map) {
    auto* nodes = static_cast<MapNode**>(
        AllocateBlockRaw(static_cast<uint64_t>(map->count) * sizeof(MapNode*) + 1));
    if (!nodes) return nullptr;
    int32_t filled = 0;
    for (int32_t bucket = 0; bucket < map->bucket_count; ++bucket) {
        for (MapNode* node = map->buckets[bucket]; node; node = map_node_next(node))
            nodes[filled++] = node;
    }
    return nodes;
}

bool copyable(const MapHeader* source, const MapHeader* destination) {
    return source->element_size == destination->element_size &&
           source->layout == destination->layout &&
           has_integer_keys(source) == has_integer_keys(destination);
}

} // namespace

MapHeader* MapCreate(int64_t element_size, int32_t element_type, const int64_t* layout,
                     MapHeader** variable, int32_t bucket_count) {
    if (variable && *variable) MapFree(*variable);
    if (element_size < 0 || element_size > k_largest_element) return nullptr;
    MapHeader* map = new_header(element_size, bucket_count < 1 ? 1 : bucket_count);
    if (!map) return nullptr;
    map->layout = layout;
    map->element_size = element_size;
    map->element_type = element_type;
    map->flags = LayoutNeedsInit(layout) ? uint32_t{MapNeedsInit} : 0u;
    map->variable = variable;
    MapRewind(map);
    if (variable) *variable = map;
    return map;
}

int MapSetKeyFlags(MapHeader* map, uint32_t key_flags) {
    if (!map || map->count != 0) return 0;
    map->flags = (map->flags & ~k_key_flags) | (key_flags & k_key_flags);
    return 1;
}

void* MapAddString(MapHeader* map, const char16_t* key, int replace) {
    if (!map || has_integer_keys(map)) return nullptr;
    if (!key) key = u"";
    const KeyHash hashed = string_hash(map, key);
    const Found found = replace ? find_string(map, key, hashed)
                                : Found{nullptr, nullptr, string_bucket(map, hashed.hash)};
    if (found.node) {
        make_current(map, found);
        return renew_element(map, found.node);
    }
    if (!chain_reserve(chain_of(map, found.bucket))) return nullptr;
    MapNode* node = new_node(map);
    if (!node) return nullptr;
    node->key = copy_key(key, hashed.units);
    if (!node->key) {
        PoolFree(map->pool, node);
        return nullptr;
    }
    return push_node(map, node, found.bucket, hashed.hash);
}

void* MapAddInteger(MapHeader* map, int64_t key, int replace) {
    if (!map || !has_integer_keys(map)) return nullptr;
    const Found found =
        replace ? find_integer(map, key) : Found{nullptr, nullptr, integer_bucket(map, key)};
    if (found.node) {
        make_current(map, found);
        return renew_element(map, found.node);
    }
    if (!chain_reserve(chain_of(map, found.bucket))) return nullptr;
    MapNode* node = new_node(map);
    if (!node) return nullptr;
    node->key = static_cast<uintptr_t>(key);
    return push_node(map, node, found.bucket, integer_hash(key));
}

void* MapFind(MapHeader* map, const char16_t* key) {
    if (!map || has_integer_keys(map)) return nullptr;
    if (!key) key = u"";
    const Found found = find_string(map, key, string_hash(map, key));
    if (!found.node) return nullptr;
    make_current(map, found);
    return element_of(found.node);
}

void* MapFindInteger(MapHeader* map, int64_t key) {
    if (!map || !has_integer_keys(map)) return nullptr;
    const Found found = find_integer(map, key);
    if (!found.node) return nullptr;
    make_current(map, found);
    return element_of(found.node);
}

void* MapDeleteCurrent(MapHeader* map) {
    if (!map || !map->current) return nullptr;
    MapNode* node = map->current;
    const int32_t bucket = map->bucket_index;
    MapNode* before = chain_remove(chain_of(map, bucket), node);
    if (before) {
        before->next = node->next;
        map->current = before;
    } else {
        map->buckets[bucket] = node->next;
        map->current = map->previous; // null, or the last node of an earlier bucket
        map->bucket_index = map->saved_bucket_index;
    }
    map->previous = nullptr;
    map->saved_bucket_index = map->bucket_index - 1;
    --map->count;
    release_node(map, node);
    return element_of(map->current);
}

void MapRewind(MapHeader* map) {
    if (!map) return;
    map->current = nullptr;
    map->previous = nullptr;
    map->bucket_index = -1;
    map->saved_bucket_index = -1;
}

void* MapNext(MapHeader* map) {
    if (!map) return nullptr;
    map->previous = map->current;
    map->saved_bucket_index = map->bucket_index;
    if (map->current && map_node_next(map->current)) {
        map->current = map_node_next(map->current);
        return element_of(map->current);
    }
    for (int64_t bucket = int64_t{map->bucket_index} + 1; bucket < map->bucket_count; ++bucket) {
        if (!map->buckets[bucket]) continue;
        map->current = map->buckets[bucket];
        map->bucket_index = static_cast<int32_t>(bucket);
        return element_of(map->current);
    }
    map->current = nullptr;
    map->bucket_index = map->bucket_count;
    return nullptr;
}

void MapClear(MapHeader* map) {
    if (!map) return;
    for (int32_t bucket = 0; bucket < map->bucket_count; ++bucket) {
        for (MapNode* node = map->buckets[bucket]; node;) {
            MapNode* next = map_node_next(node);
            release_node(map, node);
            node = next;
        }
        map->buckets[bucket] = nullptr;
        chain_release(chain_of(map, bucket));
    }
    map->count = 0;
    MapRewind(map);
}

void MapFree(MapHeader* map) {
    if (!map) return;
    MapClear(map);
    if (map->variable && *map->variable == map) *map->variable = nullptr;
    free_header(map);
}

int MapCopy(MapHeader* source, int32_t source_type, MapHeader* destination,
            int32_t destination_type, int clear) {
    if (!source || !destination || source_type != destination_type) return 0;
    if (source == destination) return 1;
    if (!copyable(source, destination)) return 0;
    MapNode** nodes = collect_nodes(source);
    if (!nodes) return 0;
    if (clear) MapClear(destination);
    // Adding in reverse keeps the newer of two equal keys in front, as in the source.
    int result = 1;
    for (int32_t i = source->count - 1; i >= 0 && result; --i) {
        MapNode* node = nodes[i];
        void* data = has_integer_keys(source)
                         ? MapAddInteger(destination, map_node_integer(node), 0)
                         : MapAddString(destination, map_node_text(node), 0);
        if (!data)
            result = 0;
        else
            CopyStructure(data, source->element_size, source->layout, element_of(node));
    }
    FreeBlock(nodes);
    return result;
}

void InitMaps() {
    TypeProcedures& procedures = type_procedures();
    procedures.map_create = MapCreate;
    procedures.map_copy = MapCopy;
    procedures.map_free = MapFree;
}

} // namespace rt

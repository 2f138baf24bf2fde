#include "runtime/core/map_chain_index.h"

#include "runtime/core/memory.h"

#include <cstring>

namespace rt {

namespace {

constexpr int32_t k_first_capacity = 4;

// Position of the node in the array, searched newest first; -1 when it is not there.
int32_t position_of(const ChainIndex& chain, const MapNode* node) {
    for (int32_t i = chain.count - 1; i >= 0; --i) {
        if (chain.entries[i].node == node) return i;
    }
    return -1;
}

} // namespace

bool chain_reserve(ChainIndex& chain) {
    if (chain.count < chain.capacity) return true;
    if (chain.capacity > INT32_MAX / 2) return false;
    const int32_t capacity = chain.capacity ? chain.capacity * 2 : k_first_capacity;
    const uint64_t bytes = static_cast<uint64_t>(capacity) * sizeof(ChainEntry);
    void* entries =
        chain.entries ? ReallocateBlockRaw(chain.entries, bytes) : AllocateBlockRaw(bytes);
    if (!entries) return false;
    chain.entries = static_cast<ChainEntry*>(entries);
    chain.capacity = capacity;
    return true;
}

void chain_push(ChainIndex& chain, MapNode* node, uint32_t hash) {
    chain.entries[chain.count++] = {node, hash};
}

MapNode* chain_remove(ChainIndex& chain, const MapNode* node) {
    const int32_t position = position_of(chain, node);
    if (position < 0) return nullptr;
    const auto later = static_cast<size_t>(chain.count - position - 1);
    MapNode* before = later ? chain.entries[position + 1].node : nullptr;
    std::memmove(chain.entries + position, chain.entries + position + 1,
                 later * sizeof(ChainEntry));
    if (--chain.count == 0) chain_release(chain);
    return before;
}

void chain_release(ChainIndex& chain) {
    FreeBlock(chain.entries);
    chain = {};
}

} // namespace rt

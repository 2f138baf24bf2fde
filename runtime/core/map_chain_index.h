#pragma once
// The nodes of one map bucket chain with their keys' hashes, in an array beside the chain. A
// lookup compares hashes in this one small block and reads a node's key only when its hash
// matches, instead of following the links from node to node, each a likely cache miss.
//
// The array runs oldest first, so that a node added at the chain head is appended: the chain is
// the array read backwards.

#include <cstdint>

namespace rt {

struct MapNode;

struct ChainEntry {
    MapNode* node;
    uint32_t hash;
};

struct ChainIndex {
    ChainEntry* entries; // a runtime heap block, or null while the chain is empty
    int32_t count;
    int32_t capacity;
};

// A node found through the index, with the node before it in the chain (null at the head).
struct ChainMatch {
    MapNode* node;
    MapNode* before;
};

// Makes room for one more entry; false when memory runs out, the index unchanged.
bool chain_reserve(ChainIndex& chain);
// Records a node added at the chain head; chain_reserve must have made room.
void chain_push(ChainIndex& chain, MapNode* node, uint32_t hash);
// Forgets a node that is being unlinked from the chain, and answers the node before it in the
// chain: null at the head, or when the node is not there. The block is freed with the last entry.
MapNode* chain_remove(ChainIndex& chain, const MapNode* node);
void chain_release(ChainIndex& chain);

// The newest node whose hash is `hash` and that `matches`, or none.
template <class Matches>
ChainMatch chain_find(const ChainIndex& chain, uint32_t hash, Matches matches) {
    MapNode* before = nullptr;
    for (int32_t i = chain.count - 1; i >= 0; --i) {
        const ChainEntry& entry = chain.entries[i];
        if (entry.hash == hash && matches(entry.node)) return {entry.node, before};
        before = entry.node;
    }
    return {nullptr, nullptr};
}

} // namespace rt

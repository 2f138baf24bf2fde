#pragma once
// Block pools: equal-sized blocks carved from larger chunks, so that list elements, map entries
// and event records cost no heap call in the common case. A chunk starts at the pool's initial
// block count and grows with the pool to a sixteenth of its blocks, in steps of 16, up to the
// maximum; a chunk whose blocks are all free again goes back to the heap at once.

#include <cstdint>

namespace rt {

struct BlockPool;

enum PoolFlags : uint32_t {
    PoolLocked = 1,   // the pool has its own recursive mutex
    PoolUnlocked = 2, // used by one thread only
    PoolShared = 4,   // pools of equal stride and equal flags are one, reference-counted pool
};

// A pool of blocks of `block_size` usable bytes (8-byte aligned), or null when it cannot be
// allocated or when a chunk block count is below 1.
BlockPool* CreateBlockPool(uint64_t block_size, int32_t initial_chunk_blocks,
                           int32_t maximum_chunk_blocks, uint32_t flags);
// The usable part of a block (contents undefined), or null.
void* PoolAllocate(BlockPool* pool);
void* PoolAllocateZeroed(BlockPool* pool);
// Gives a block back to the pool it came from; null is ignored. A block of another pool is a
// programmer error: it asserts in debug builds and is ignored otherwise.
void PoolFree(BlockPool* pool, void* block);
// Frees every chunk; the pool stays usable and every block it handed out is invalid.
void ClearBlockPool(BlockPool* pool);
// Releases the pool; for a shared pool, one reference.
void FreeBlockPool(BlockPool* pool);

// Introspection for tests and benchmarks. A new chunk's capacity shows as the growth of
// total_blocks on the allocation that made it.
struct BlockPoolStats {
    uint64_t total_blocks;
    uint64_t block_stride;
    int64_t chunk_count;       // open and full chunks
    int64_t open_chunk_count;  // chunks with a block available
    int64_t shared_references; // users of a shared pool; 0 for a private pool
};
BlockPoolStats GetBlockPoolStats(const BlockPool* pool);

} // namespace rt

#include "runtime/core/block_pool.h"

#include "runtime/core/locks.h"
#include "runtime/core/memory.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>

// The only place that knows whether AddressSanitizer is present. Blocks that sit free in a pool
// are poisoned, so that the sanitizer build reports a use after PoolFree as it would after free.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZERARAZI_POOL_POISONING 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(ZERARAZI_POOL_POISONING)
#define ZERARAZI_POOL_POISONING 1
#endif
#ifdef ZERARAZI_POOL_POISONING
#include <sanitizer/asan_interface.h>
#endif

namespace rt {

namespace {

void poison(const void* at, uint64_t bytes) {
#ifdef ZERARAZI_POOL_POISONING
    __asan_poison_memory_region(at, bytes);
#else
    (void)at;
    (void)bytes;
#endif
}

void unpoison(const void* at, uint64_t bytes) {
#ifdef ZERARAZI_POOL_POISONING
    __asan_unpoison_memory_region(at, bytes);
#else
    (void)at;
    (void)bytes;
#endif
}

constexpr uint64_t word_bytes = sizeof(void*);

// A chunk is one runtime heap block: this header, then `capacity` blocks of the pool's stride.
// Each block starts with a header word: its chunk's address while the block is in use, the
// next block of the chunk's free list while it is free.
struct Chunk {
    Chunk* next;
    Chunk* previous;
    std::byte* free_list; // start of the most recently freed block, or null
    int32_t capacity;
    int32_t handed_out; // blocks ever taken from the fresh area: the index of the next fresh one
    int32_t free_count;
    uint32_t pool_tag; // lives in what would be padding: which pool the chunk belongs to
};
static_assert(sizeof(Chunk) == 40);

struct SharedEntry {
    SharedEntry* next;
    SharedEntry* previous;
    BlockPool* pool;
    uint64_t stride;
    uint32_t flags;
    int64_t references;
};

} // namespace

// The open list's order decides which block PoolAllocate gives out; the full list's order is
// never observed. So a full chunk that gets a block back does not move to the open list at once:
// it becomes the pool's `reopened` chunk, which stands first in the open list while it stays
// linked in the full list. A pool that is full and churns (free one block, take one) then moves no
// chunk between lists. The reopened chunk moves for real only when another full chunk reopens.
struct BlockPool {
    Chunk* full;
    Chunk* open;
    Chunk* reopened; // null, or the open list's first chunk, still linked in the full list
    SharedEntry* shared_entry;
    uint64_t total_blocks;
    uint64_t stride;
    int32_t initial_chunk_blocks;
    int32_t maximum_chunk_blocks;
    uint32_t locked;
    uint32_t tag;
    pthread_mutex_t mutex;
};

namespace {

std::atomic<uint32_t> next_pool_tag{1};

pthread_once_t shared_once = PTHREAD_ONCE_INIT;
pthread_mutex_t shared_mutex;
bool shared_mutex_ready = false;
SharedEntry* shared_head = nullptr;

void init_shared_mutex() {
    shared_mutex_ready = InitRecursiveMutex(&shared_mutex) == 0;
}

pthread_mutex_t* mutex_of(BlockPool* pool) {
    return pool->locked ? &pool->mutex : nullptr;
}

void* read_word(const std::byte* at) {
    void* word = nullptr;
    std::memcpy(&word, at, sizeof word);
    return word;
}

void write_word(std::byte* at, const void* word) {
    std::memcpy(at, &word, sizeof word);
}

std::byte* first_block(Chunk* chunk) {
    return reinterpret_cast<std::byte*>(chunk + 1);
}

std::byte* block_at(Chunk* chunk, int32_t index, uint64_t stride) {
    return first_block(chunk) + static_cast<uint64_t>(index) * stride;
}

bool is_full(const Chunk* chunk) {
    return chunk->free_count == 0 && chunk->handed_out == chunk->capacity;
}

// Doubly linked chunk lists.
void push_front(Chunk*& head, Chunk* chunk) {
    chunk->previous = nullptr;
    chunk->next = head;
    if (head) head->previous = chunk;
    head = chunk;
}

void unlink(Chunk*& head, Chunk* chunk) {
    if (chunk->previous)
        chunk->previous->next = chunk->next;
    else
        head = chunk->next;
    if (chunk->next) chunk->next->previous = chunk->previous;
}

int64_t count_chunks(const Chunk* chunk) {
    int64_t count = 0;
    for (; chunk; chunk = chunk->next)
        ++count;
    return count;
}

uint64_t chunk_bytes(const BlockPool* pool, const Chunk* chunk) {
    return sizeof(Chunk) + static_cast<uint64_t>(chunk->capacity) * pool->stride;
}

void free_chunk(BlockPool* pool, Chunk* chunk) {
    unpoison(chunk, chunk_bytes(pool, chunk));
    FreeBlock(chunk);
}

void free_chunk_list(BlockPool* pool, Chunk*& head) {
    while (head) {
        Chunk* next = head->next;
        free_chunk(pool, head);
        head = next;
    }
}

void free_all_chunks(BlockPool* pool) {
    free_chunk_list(pool, pool->open);
    free_chunk_list(pool, pool->full);
    pool->reopened = nullptr;
    pool->total_blocks = 0;
}

// Starts at the initial count and follows the pool's size: a sixteenth of its blocks, in steps
// of 16, up to the maximum.
int32_t next_chunk_capacity(const BlockPool* pool) {
    const uint64_t count = (pool->total_blocks / 16) & ~uint64_t{15};
    if (count < static_cast<uint64_t>(pool->initial_chunk_blocks)) {
        return pool->initial_chunk_blocks;
    }
    return static_cast<int32_t>(std::min(count, static_cast<uint64_t>(pool->maximum_chunk_blocks)));
}

Chunk* allocate_chunk(const BlockPool* pool, int32_t capacity) {
    const uint64_t limit =
        (std::numeric_limits<uint64_t>::max() - sizeof(Chunk)) / static_cast<uint64_t>(capacity);
    if (pool->stride > limit) return nullptr;
    void* memory = AllocateBlock(sizeof(Chunk) + static_cast<uint64_t>(capacity) * pool->stride);
    if (!memory) return nullptr;
    return std::construct_at(static_cast<Chunk*>(memory),
                             Chunk{nullptr, nullptr, nullptr, capacity, 1, 0, pool->tag});
}

// Marks a block as in use by its chunk and gives out its usable part.
void* hand_out(const BlockPool* pool, Chunk* chunk, std::byte* block) {
    unpoison(block, pool->stride);
    write_word(block, chunk);
    return block + word_bytes;
}

// Makes a chunk with its block 0 already taken, and returns that block.
void* take_from_new_chunk(BlockPool* pool) {
    int32_t capacity = next_chunk_capacity(pool);
    Chunk* chunk = allocate_chunk(pool, capacity);
    if (!chunk && capacity > 1) {
        capacity = 1;
        chunk = allocate_chunk(pool, capacity);
    }
    if (!chunk) return nullptr;
    pool->total_blocks += static_cast<uint64_t>(capacity);
    push_front(capacity == 1 ? pool->full : pool->open, chunk);
    std::byte* fresh_area = block_at(chunk, 1, pool->stride);
    poison(fresh_area, static_cast<uint64_t>(capacity - 1) * pool->stride);
    return hand_out(pool, chunk, first_block(chunk));
}

// The most recently freed block of a chunk with one available, else its next fresh one.
std::byte* take_block(const BlockPool* pool, Chunk* chunk) {
    if (chunk->free_count == 0) return block_at(chunk, chunk->handed_out++, pool->stride);
    std::byte* block = chunk->free_list;
    chunk->free_list = static_cast<std::byte*>(read_word(block));
    --chunk->free_count;
    return block;
}

// A reopened chunk that fills up again is where a full chunk belongs already.
void* take_from_reopened_chunk(BlockPool* pool, Chunk* chunk) {
    std::byte* block = take_block(pool, chunk);
    if (is_full(chunk)) pool->reopened = nullptr;
    return hand_out(pool, chunk, block);
}

void* take_from_open_chunk(BlockPool* pool, Chunk* chunk) {
    std::byte* block = take_block(pool, chunk);
    if (is_full(chunk)) {
        unlink(pool->open, chunk);
        push_front(pool->full, chunk);
    }
    return hand_out(pool, chunk, block);
}

[[maybe_unused]] bool chunk_is_listed(const Chunk* head, const Chunk* chunk) {
    for (; head; head = head->next) {
        if (head == chunk) return true;
    }
    return false;
}

// Debug builds walk the lists, so that a stray pointer is caught before it is followed; the
// tag check alone would read through it.
bool pool_owns(const BlockPool* pool, const Chunk* chunk) {
    assert((chunk_is_listed(pool->open, chunk) || chunk_is_listed(pool->full, chunk)) &&
           "PoolFree: the block does not belong to this pool, or was freed already");
    return chunk && chunk->pool_tag == pool->tag;
}

// Frees a chunk whose blocks are all free again; `in_full_list` says which list links it (it does
// for a one-block chunk and for the reopened chunk).
void release_chunk(BlockPool* pool, Chunk* chunk, bool in_full_list) {
    if (chunk == pool->reopened) pool->reopened = nullptr;
    unlink(in_full_list ? pool->full : pool->open, chunk);
    pool->total_blocks -= static_cast<uint64_t>(chunk->capacity);
    free_chunk(pool, chunk);
}

// The previously reopened chunk takes its place in the open list, second after this one.
void reopen(BlockPool* pool, Chunk* chunk) {
    if (Chunk* previous = pool->reopened) {
        unlink(pool->full, previous);
        push_front(pool->open, previous);
    }
    pool->reopened = chunk;
}

void return_block(BlockPool* pool, Chunk* chunk, std::byte* block) {
    const bool was_full = is_full(chunk);
    write_word(block, chunk->free_list);
    chunk->free_list = block;
    ++chunk->free_count;
    poison(block + word_bytes, pool->stride - word_bytes);
    if (chunk->free_count == chunk->handed_out) {
        release_chunk(pool, chunk, was_full || chunk == pool->reopened);
        return;
    }
    if (was_full) reopen(pool, chunk);
}

BlockPool* create_private_pool(uint64_t stride, int32_t initial, int32_t maximum, uint32_t flags) {
    void* memory = AllocateBlock(sizeof(BlockPool));
    if (!memory) return nullptr;
    auto* pool = std::construct_at(static_cast<BlockPool*>(memory));
    pool->stride = stride;
    pool->initial_chunk_blocks = initial;
    pool->maximum_chunk_blocks = maximum;
    pool->tag = next_pool_tag.fetch_add(1, std::memory_order_relaxed);
    if ((flags & 3u) == PoolLocked) {
        if (InitRecursiveMutex(&pool->mutex) != 0) {
            FreeBlock(pool);
            return nullptr;
        }
        pool->locked = 1;
    }
    return pool;
}

void free_private_pool(BlockPool* pool) {
    {
        ScopedMutex lock(mutex_of(pool));
        free_all_chunks(pool);
    }
    if (pool->locked) pthread_mutex_destroy(&pool->mutex);
    std::destroy_at(pool);
    FreeBlock(pool);
}

SharedEntry* find_shared_entry(uint64_t stride, uint32_t flags) {
    for (SharedEntry* entry = shared_head; entry; entry = entry->next) {
        if (entry->stride == stride && entry->flags == flags) return entry;
    }
    return nullptr;
}

// Called with the shared mutex held.
BlockPool* create_shared_entry(uint64_t stride, int32_t initial, int32_t maximum, uint32_t flags) {
    void* memory = AllocateBlock(sizeof(SharedEntry));
    if (!memory) return nullptr;
    BlockPool* pool = create_private_pool(stride, initial, maximum, flags & ~uint32_t{PoolShared});
    if (!pool) {
        FreeBlock(memory);
        return nullptr;
    }
    auto* entry = std::construct_at(static_cast<SharedEntry*>(memory),
                                    SharedEntry{shared_head, nullptr, pool, stride, flags, 1});
    if (shared_head) shared_head->previous = entry;
    shared_head = entry;
    pool->shared_entry = entry;
    return pool;
}

BlockPool* create_shared_pool(uint64_t stride, int32_t initial, int32_t maximum, uint32_t flags) {
    RunOnce(&shared_once, init_shared_mutex);
    if (!shared_mutex_ready) return nullptr;
    ScopedMutex lock(&shared_mutex);
    if (SharedEntry* entry = find_shared_entry(stride, flags)) {
        ++entry->references;
        return entry->pool;
    }
    return create_shared_entry(stride, initial, maximum, flags);
}

void release_shared_pool(BlockPool* pool) {
    ScopedMutex lock(&shared_mutex);
    SharedEntry* entry = pool->shared_entry;
    if (--entry->references > 0) return;
    if (entry->previous)
        entry->previous->next = entry->next;
    else
        shared_head = entry->next;
    if (entry->next) entry->next->previous = entry->previous;
    free_private_pool(pool);
    FreeBlock(entry);
}

} // namespace

BlockPool* CreateBlockPool(uint64_t block_size, int32_t initial_chunk_blocks,
                           int32_t maximum_chunk_blocks, uint32_t flags) {
    if (initial_chunk_blocks < 1 || maximum_chunk_blocks < 1) return nullptr;
    if (block_size > std::numeric_limits<uint64_t>::max() - 2 * word_bytes) return nullptr;
    const uint64_t stride = ((block_size + word_bytes - 1) & ~(word_bytes - 1)) + word_bytes;
    if (flags & PoolShared) {
        return create_shared_pool(stride, initial_chunk_blocks, maximum_chunk_blocks, flags);
    }
    return create_private_pool(stride, initial_chunk_blocks, maximum_chunk_blocks, flags);
}

void* PoolAllocate(BlockPool* pool) {
    if (!pool) return nullptr;
    ScopedMutex lock(mutex_of(pool));
    if (pool->reopened) return take_from_reopened_chunk(pool, pool->reopened);
    if (pool->open) return take_from_open_chunk(pool, pool->open);
    return take_from_new_chunk(pool);
}

void* PoolAllocateZeroed(BlockPool* pool) {
    void* block = PoolAllocate(pool);
    if (block) std::memset(block, 0, pool->stride - word_bytes);
    return block;
}

void PoolFree(BlockPool* pool, void* block) {
    if (!pool || !block) return;
    ScopedMutex lock(mutex_of(pool));
    std::byte* start = static_cast<std::byte*>(block) - word_bytes;
    auto* chunk = static_cast<Chunk*>(read_word(start));
    if (!pool_owns(pool, chunk)) return;
    return_block(pool, chunk, start);
}

void ClearBlockPool(BlockPool* pool) {
    if (!pool) return;
    ScopedMutex lock(mutex_of(pool));
    free_all_chunks(pool);
}

void FreeBlockPool(BlockPool* pool) {
    if (!pool) return;
    if (pool->shared_entry) {
        release_shared_pool(pool);
        return;
    }
    free_private_pool(pool);
}

BlockPoolStats GetBlockPoolStats(const BlockPool* pool) {
    if (!pool) return {};
    // The shared mutex first, as FreeBlockPool takes them.
    ScopedMutex shared_lock(pool->shared_entry ? &shared_mutex : nullptr);
    ScopedMutex lock(mutex_of(const_cast<BlockPool*>(pool)));
    const int64_t listed_open = count_chunks(pool->open);
    const int64_t open = listed_open + (pool->reopened ? 1 : 0);
    const int64_t references = pool->shared_entry ? pool->shared_entry->references : 0;
    return {pool->total_blocks, pool->stride, listed_open + count_chunks(pool->full), open,
            references};
}

} // namespace rt

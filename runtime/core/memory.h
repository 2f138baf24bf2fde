#pragma once
// Runtime heap blocks: allocations that carry their usable size in an 8-byte header in front of
// the address the caller sees. Every runtime table, record, list, pool and chunk is one. String
// variables and UTF-8 copies are plain malloc blocks instead; the two kinds are never mixed.
// A block's address is aligned to 8 bytes (not to alignof(std::max_align_t)). A size so large
// that the header cannot be added to it gives null.

#include <cstddef>
#include <cstdint>

namespace rt {

// The memory start-up step: sets the heap's policy for the pools. A pool's chunks grow to a few
// megabytes and are freed when they empty, so a burst that fills and empties a pool would
// otherwise map, fault in and unmap its largest chunks every time. Chunk-sized blocks (up to
// HeapMapThreshold) come from the heap instead, and the heap keeps up to HeapTrimThreshold of
// freed memory at its top for the next burst. Idempotent; 1.
inline constexpr int HeapMapThreshold = 4 << 20;
inline constexpr int HeapTrimThreshold = 8 << 20;
int InitMemory();

// A zero-filled block of `size` usable bytes, or null.
void* AllocateBlock(uint64_t size);
// As AllocateBlock, contents undefined.
void* AllocateBlockRaw(uint64_t size);
// Grows or shrinks a block; bytes added by growth are zero. A null block gives null: it does not
// allocate. On failure the old block stays valid and null is returned.
void* ReallocateBlock(void* block, uint64_t new_size);
// As ReallocateBlock without zero-filling the added bytes.
void* ReallocateBlockRaw(void* block, uint64_t new_size);
// Frees a runtime heap block; null is ignored.
void FreeBlock(void* block);
// The usable size recorded in a block's header; 0 for null.
uint64_t BlockSize(const void* block);

using StateInitProcedure = void (*)(void* state);
using StateReleaseProcedure = void (*)(void* state);
// A zero-filled block on which `init`, if any, has been called. `release` is accepted for the
// libraries that name one, and never called: state blocks live as long as the process.
void* AllocateStateBlock(uint64_t size, StateInitProcedure init, StateReleaseProcedure release);

// Memory offered to the application program: runtime heap blocks, null for a size below 1.
void* AllocateAppMemory(int64_t size);
inline constexpr int MemoryFlagUndefinedContents = 1;
void* AllocateMemoryFlags(int64_t size, int flags);
void FreeAppMemory(void* block);

// Frees a plain malloc block (a string variable, a UTF-8 copy) when the pointer is non-null.
void FreeIfSet(void* pointer);

// Plain-heap helpers: malloc and zero-fill; realloc and zero-fill the bytes added. Both give null
// only on failure (a size of 0 gives a valid one-byte block); on failure the old block stays.
void* CallocPlain(size_t size);
void* ReallocPlainZero(void* pointer, size_t old_size, size_t new_size);

} // namespace rt

#include "runtime/core/memory.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <malloc.h>

namespace rt {

namespace {

constexpr uint64_t header_bytes = sizeof(uint64_t);

// The largest usable size whose header-plus-size sum still fits the platform's size_t.
constexpr uint64_t largest_block_size =
    static_cast<uint64_t>(std::numeric_limits<size_t>::max()) - header_bytes;

std::byte* header_of(const void* block) {
    return static_cast<std::byte*>(const_cast<void*>(block)) - header_bytes;
}

void* finish_block(void* base, uint64_t size) {
    std::memcpy(base, &size, sizeof size);
    return static_cast<std::byte*>(base) + header_bytes;
}

void* reallocate_block(void* block, uint64_t new_size, bool zero_growth) {
    if (!block || new_size > largest_block_size) return nullptr;
    const uint64_t old_size = BlockSize(block);
    void* base = std::realloc(header_of(block), static_cast<size_t>(new_size + header_bytes));
    if (!base) return nullptr;
    void* grown = finish_block(base, new_size);
    if (zero_growth && new_size > old_size) {
        std::memset(static_cast<std::byte*>(grown) + old_size, 0, new_size - old_size);
    }
    return grown;
}

} // namespace

int InitMemory() {
    mallopt(M_MMAP_THRESHOLD, HeapMapThreshold);
    mallopt(M_TRIM_THRESHOLD, HeapTrimThreshold);
    return 1;
}

void* AllocateBlock(uint64_t size) {
    if (size > largest_block_size) return nullptr;
    void* base = std::calloc(1, static_cast<size_t>(size + header_bytes));
    if (!base) return nullptr;
    return finish_block(base, size);
}

void* AllocateBlockRaw(uint64_t size) {
    if (size > largest_block_size) return nullptr;
    void* base = std::malloc(static_cast<size_t>(size + header_bytes));
    if (!base) return nullptr;
    return finish_block(base, size);
}

void* ReallocateBlock(void* block, uint64_t new_size) {
    return reallocate_block(block, new_size, true);
}

void* ReallocateBlockRaw(void* block, uint64_t new_size) {
    return reallocate_block(block, new_size, false);
}

void FreeBlock(void* block) {
    if (!block) return;
    std::free(header_of(block));
}

uint64_t BlockSize(const void* block) {
    if (!block) return 0;
    uint64_t size = 0;
    std::memcpy(&size, header_of(block), sizeof size);
    return size;
}

void* AllocateStateBlock(uint64_t size, StateInitProcedure init, StateReleaseProcedure) {
    void* state = AllocateBlock(size);
    if (state && init) init(state);
    return state;
}

void* AllocateAppMemory(int64_t size) {
    if (size < 1) return nullptr;
    return AllocateBlock(static_cast<uint64_t>(size));
}

void* AllocateMemoryFlags(int64_t size, int flags) {
    if (size < 1) return nullptr;
    if (flags & MemoryFlagUndefinedContents) return AllocateBlockRaw(static_cast<uint64_t>(size));
    return AllocateBlock(static_cast<uint64_t>(size));
}

void FreeAppMemory(void* block) {
    FreeBlock(block);
}

void FreeIfSet(void* pointer) {
    if (pointer) std::free(pointer);
}

// A size of 0 still asks for one byte, so that null always means failure: realloc to 0 bytes
// may free the block and answer null, which a caller would take for a failure and free again.
void* CallocPlain(size_t size) {
    return std::calloc(1, size ? size : 1);
}

void* ReallocPlainZero(void* pointer, size_t old_size, size_t new_size) {
    void* grown = std::realloc(pointer, new_size ? new_size : 1);
    if (!grown) return nullptr;
    if (new_size > old_size) {
        std::memset(static_cast<std::byte*>(grown) + old_size, 0, new_size - old_size);
    }
    return grown;
}

} // namespace rt

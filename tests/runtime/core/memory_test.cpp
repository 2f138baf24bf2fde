#include "runtime/core/memory.h"

#include "runtime/core/locks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

namespace rt {
namespace {

bool all_bytes_are(const void* block, uint64_t from, uint64_t to, unsigned char value) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    return std::all_of(bytes + from, bytes + to, [value](unsigned char b) { return b == value; });
}

TEST(Memory, AppMemoryGivesZeroFilledBlocksOnlyForPositiveSizes) {
    constexpr int raw = MemoryFlagUndefinedContents;
    const std::pair<int64_t, int> cases[] = {
        {0, 0}, {-1, 0}, {1, 0}, {4096, 0}, {0, raw}, {1, raw}, {10, raw},
    };
    for (const auto& [size, flags] : cases) {
        void* block = flags ? AllocateMemoryFlags(size, flags) : AllocateAppMemory(size);
        ASSERT_EQ(block != nullptr, size > 0) << size << " flags " << flags;
        if (!block) continue;
        EXPECT_EQ(BlockSize(block), static_cast<uint64_t>(size));
        EXPECT_TRUE(flags || all_bytes_are(block, 0, static_cast<uint64_t>(size), 0));
        std::memset(block, 0x5A, static_cast<size_t>(size)); // the whole size is writable
        FreeAppMemory(block);
    }
}

TEST(Memory, SizesWhoseHeaderWouldOverflowGiveNull) {
    const uint64_t max = std::numeric_limits<uint64_t>::max();
    for (uint64_t size : {max, max - 1, max - 7}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(AllocateBlock(size), nullptr);
        EXPECT_EQ(AllocateBlockRaw(size), nullptr);
        void* block = AllocateBlock(4);
        EXPECT_EQ(ReallocateBlock(block, size), nullptr);
        EXPECT_EQ(ReallocateBlockRaw(block, size), nullptr);
        EXPECT_EQ(BlockSize(block), 4u);
        FreeBlock(block);
    }
    // Null blocks are handled without allocating.
    EXPECT_EQ(ReallocateBlock(nullptr, 16), nullptr);
    EXPECT_EQ(ReallocateBlockRaw(nullptr, 16), nullptr);
    EXPECT_EQ(BlockSize(nullptr), 0u);
    FreeBlock(nullptr), FreeAppMemory(nullptr), FreeIfSet(nullptr);
}

TEST(Memory, ReallocationKeepsTheOldBytesAndZeroesOnlyTheGrowth) {
    const std::pair<uint64_t, uint64_t> resizes[] = {{16, 32}, {16, 8}, {0, 24}, {1000, 1}};
    for (const auto& [old_size, new_size] : resizes) {
        for (bool zero_growth : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << old_size << " -> " << new_size << (zero_growth ? " zeroing" : " raw"));
            void* block = AllocateBlockRaw(old_size);
            std::memset(block, 0xA5, old_size);
            block = zero_growth ? ReallocateBlock(block, new_size)
                                : ReallocateBlockRaw(block, new_size);
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(BlockSize(block), new_size);
            const uint64_t kept = std::min(old_size, new_size);
            EXPECT_TRUE(all_bytes_are(block, 0, kept, 0xA5));
            EXPECT_TRUE(!zero_growth || all_bytes_are(block, kept, new_size, 0));
            FreeBlock(block);
        }
    }
    // Growth zeroes from the recorded size, not from whatever the heap kept behind a shrink.
    void* block = AllocateBlock(16);
    std::memset(block, 0xFF, 16);
    block = ReallocateBlock(ReallocateBlock(block, 8), 16);
    EXPECT_TRUE(all_bytes_are(block, 0, 8, 0xFF));
    EXPECT_TRUE(all_bytes_are(block, 8, 16, 0));
    FreeBlock(block);
}

TEST(Memory, PlainBlocksAreZeroFilledAndZeroTheirGrowth) {
    auto* bytes = static_cast<unsigned char*>(CallocPlain(0)); // still a block
    ASSERT_NE(bytes, nullptr);
    free(bytes);
    bytes = static_cast<unsigned char*>(CallocPlain(24));
    ASSERT_TRUE(bytes && all_bytes_are(bytes, 0, 24, 0));
    std::memset(bytes, 0x77, 24);
    bytes = static_cast<unsigned char*>(ReallocPlainZero(bytes, 24, 4000));
    ASSERT_NE(bytes, nullptr);
    EXPECT_TRUE(all_bytes_are(bytes, 0, 24, 0x77));
    EXPECT_TRUE(all_bytes_are(bytes, 24, 4000, 0));
    bytes = static_cast<unsigned char*>(ReallocPlainZero(bytes, 4000, 8));
    ASSERT_NE(bytes, nullptr);
    EXPECT_TRUE(all_bytes_are(bytes, 0, 8, 0x77));
    FreeIfSet(bytes);
}

std::vector<void*> initialised_states;

void record_state(void* state) {
    EXPECT_TRUE(all_bytes_are(state, 0, BlockSize(state), 0)) << "init saw a dirty block";
    initialised_states.push_back(state);
}

TEST(Memory, StateBlocksAreZeroFilledAndInitialisedOnce) {
    initialised_states.clear();
    void* with_init = AllocateStateBlock(608, record_state, nullptr);
    void* without_init = AllocateStateBlock(32, nullptr, nullptr);
    EXPECT_EQ(
        std::tuple(initialised_states, BlockSize(with_init), all_bytes_are(without_init, 0, 32, 0)),
        std::tuple(std::vector<void*>{with_init}, 608u, true));
    FreeBlock(with_init);
    FreeBlock(without_init);
}

// Every runtime mutex may be taken again by the thread that holds it.
TEST(Locks, RecursiveMutexCanBeTakenAgainByItsHolder) {
    pthread_mutex_t mutex;
    ASSERT_EQ(InitRecursiveMutex(&mutex), 0);
    {
        ScopedMutex outer(&mutex);
        EXPECT_EQ(pthread_mutex_trylock(&mutex), 0);
        pthread_mutex_unlock(&mutex);
    }
    EXPECT_EQ(pthread_mutex_trylock(&mutex), 0) << "the scope gave the mutex back";
    pthread_mutex_unlock(&mutex);
    pthread_mutex_destroy(&mutex);
}

} // namespace
} // namespace rt

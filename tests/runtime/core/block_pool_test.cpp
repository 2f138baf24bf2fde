#include "runtime/core/block_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

namespace rt {
namespace {

using PoolHandle = std::unique_ptr<BlockPool, decltype(&FreeBlockPool)>;

PoolHandle make_pool(uint64_t size, int32_t initial, int32_t maximum, uint32_t flags) {
    return PoolHandle(CreateBlockPool(size, initial, maximum, flags), FreeBlockPool);
}

// Capacities of the chunks made while allocating `count` blocks, as (capacity, run length).
using Runs = std::vector<std::pair<uint64_t, int>>;

Runs chunk_runs(BlockPool* pool, int count, std::vector<void*>& blocks) {
    Runs runs;
    for (int i = 0; i < count; ++i) {
        const uint64_t before = GetBlockPoolStats(pool).total_blocks;
        blocks.push_back(PoolAllocate(pool));
        const uint64_t made = GetBlockPoolStats(pool).total_blocks - before;
        if (made == 0) continue;
        if (!runs.empty() && runs.back().first == made)
            ++runs.back().second;
        else
            runs.emplace_back(made, 1);
    }
    return runs;
}

TEST(BlockPool, StrideIsTheSizeRoundedUpToEightPlusTheHeaderWord) {
    const std::pair<uint64_t, uint64_t> cases[] = {{0, 8}, {1, 16}, {8, 16}, {9, 24}, {56, 64}};
    for (const auto& [size, stride] : cases) {
        PoolHandle pool = make_pool(size, 16, 256, PoolUnlocked);
        ASSERT_NE(pool, nullptr);
        EXPECT_EQ(GetBlockPoolStats(pool.get()).block_stride, stride) << "size " << size;
    }
    // Chunk counts below one and sizes that overflow are refused.
    EXPECT_NE(make_pool(16, 1, 1, PoolUnlocked), nullptr);
    EXPECT_EQ(CreateBlockPool(16, 0, 256, PoolUnlocked), nullptr);
    EXPECT_EQ(CreateBlockPool(16, 16, 0, PoolUnlocked), nullptr);
    EXPECT_EQ(CreateBlockPool(16, -1, 256, PoolUnlocked), nullptr);
    EXPECT_EQ(CreateBlockPool(UINT64_MAX - 8, 16, 256, PoolUnlocked), nullptr);
}

TEST(BlockPool, ChunksGrowWithThePoolInStepsOfSixteenUpToTheMaximum) {
    const std::tuple<int32_t, int32_t, int, Runs> cases[] = {
        {16, 65536, 1056, {{16, 32}, {32, 8}, {48, 6}}},
        {16, 32, 2016, {{16, 32}, {32, 47}}},
        {128, 1024, 2448, {{128, 18}, {144, 1}}},
        {1, 4, 264, {{1, 256}, {4, 2}}} // one-block chunks go straight to the full list
    };
    for (const auto& [initial, maximum, count, expected] : cases) {
        SCOPED_TRACE(testing::Message() << "initial " << initial << " maximum " << maximum);
        PoolHandle pool = make_pool(24, initial, maximum, PoolUnlocked);
        std::vector<void*> blocks;
        EXPECT_EQ(chunk_runs(pool.get(), count, blocks), expected);
        for (void* block : blocks)
            PoolFree(pool.get(), block);
        const BlockPoolStats stats = GetBlockPoolStats(pool.get());
        EXPECT_EQ(stats.total_blocks, 0u);
        EXPECT_EQ(stats.chunk_count, 0);
    }
}

// Chunks of four 32-byte blocks. A chunk gives its most recently freed block first, then its
// fresh area in order; a chunk whose blocks are all free again goes.
TEST(BlockPool, GivesOutBlocksInTheOrderOfItsChunkLists) {
    PoolHandle pool = make_pool(24, 4, 4, PoolUnlocked);
    auto take = [&] { return static_cast<char*>(PoolAllocate(pool.get())); };
    auto counts = [&] {
        const BlockPoolStats stats = GetBlockPoolStats(pool.get());
        return std::pair{stats.chunk_count, stats.open_chunk_count};
    };
    char* a[4];
    for (int i = 0; i < 4; ++i) {
        a[i] = take();
        ASSERT_EQ(a[i], a[0] + 32 * i);
    }
    char* b0 = take();
    EXPECT_EQ(counts(), (std::pair<int64_t, int64_t>{2, 1}));
    PoolFree(pool.get(), a[2]);
    PoolFree(pool.get(), a[0]);
    EXPECT_EQ(counts(), (std::pair<int64_t, int64_t>{2, 2}));
    EXPECT_EQ(take(), a[0]);
    EXPECT_EQ(take(), a[2]);
    EXPECT_EQ(take(), b0 + 32);
    PoolFree(pool.get(), b0 + 32);
    PoolFree(pool.get(), b0);
    EXPECT_EQ(counts(), (std::pair<int64_t, int64_t>{1, 0}));
    for (char* block : a)
        PoolFree(pool.get(), block);
    EXPECT_EQ(counts(), (std::pair<int64_t, int64_t>{0, 0}));
}

// Random takes and gives back: no block is handed out twice or overlaps another, what a block
// holds stays while it is out, and a pool whose blocks all came back holds no chunk.
TEST(BlockPool, ChurnKeepsBlocksApartAndGivesEveryChunkBack) {
    for (const uint32_t flags : {PoolUnlocked, PoolLocked}) {
        PoolHandle pool = make_pool(24, 4, 64, flags);
        std::mt19937 random(flags);
        std::map<uint64_t*, uint64_t> live;
        for (uint64_t step = 0; step < 20000; ++step) {
            if (live.empty() || random() % 5 < 3 - (step / 5000) % 2 * 2) {
                auto* block = static_cast<uint64_t*>(PoolAllocate(pool.get()));
                ASSERT_NE(block, nullptr);
                ASSERT_FALSE(live.contains(block)) << "handed out twice at step " << step;
                std::fill(block, block + 3, step);
                live[block] = step;
                continue;
            }
            auto at = std::next(live.begin(), static_cast<long>(random() % live.size()));
            ASSERT_EQ(std::vector<uint64_t>(at->first, at->first + 3),
                      std::vector<uint64_t>(3, at->second))
                << "overwritten while out, step " << step;
            PoolFree(pool.get(), at->first);
            live.erase(at);
        }
        EXPECT_GE(GetBlockPoolStats(pool.get()).total_blocks, live.size());
        for (const auto& [block, step] : live)
            PoolFree(pool.get(), block);
        const BlockPoolStats stats = GetBlockPoolStats(pool.get());
        EXPECT_EQ(std::tuple(stats.total_blocks, stats.chunk_count, stats.open_chunk_count),
                  std::tuple(0u, 0, 0));
    }
}

// Sizes no other pool of the process uses, so that the reference counts are these pools' alone.
TEST(BlockPool, SharedPoolsOfOneStrideAndFlagsAreOne) {
    PoolHandle first = make_pool(997, 16, 256, PoolShared);
    BlockPool* second = CreateBlockPool(1000, 4, 8, PoolShared);
    PoolHandle locked = make_pool(1000, 16, 256, PoolShared | PoolLocked);
    PoolHandle plain = make_pool(1000, 16, 256, PoolUnlocked);
    EXPECT_EQ(first.get(), second);
    EXPECT_NE(first.get(), locked.get());
    const auto references = [](BlockPool* pool) {
        return GetBlockPoolStats(pool).shared_references;
    };
    EXPECT_EQ(
        std::tuple(references(first.get()), references(locked.get()), references(plain.get())),
        std::tuple(2, 1, 0));
    void* block = PoolAllocate(second);
    FreeBlockPool(second); // one reference given back: the pool and its block stay
    EXPECT_EQ(references(first.get()), 1);
    EXPECT_EQ(GetBlockPoolStats(first.get()).chunk_count, 1);
    PoolFree(first.get(), block);
}

TEST(BlockPool, ZeroesRecycledBlocksClearsChunksAndIgnoresNullsAndForeignBlocks) {
    PoolHandle pool = make_pool(40, 16, 256, PoolUnlocked);
    PoolHandle other = make_pool(40, 16, 256, PoolUnlocked);
    void* keep = PoolAllocate(pool.get()); // keeps the chunk alive across the free
    void* block = PoolAllocate(pool.get());
    ASSERT_NE(keep, nullptr);
    std::memset(block, 0xEE, 40);
    PoolFree(pool.get(), block);
    auto* zeroed = static_cast<unsigned char*>(PoolAllocateZeroed(pool.get()));
    ASSERT_EQ(zeroed, block);
    EXPECT_EQ(std::vector<unsigned char>(zeroed, zeroed + 40), std::vector<unsigned char>(40));

    for (int i = 0; i < 40; ++i)
        PoolAllocate(pool.get());
    EXPECT_EQ(GetBlockPoolStats(pool.get()).chunk_count, 3);
    ClearBlockPool(pool.get());
    EXPECT_EQ(GetBlockPoolStats(pool.get()).chunk_count, 0);
    EXPECT_EQ(GetBlockPoolStats(pool.get()).total_blocks, 0u);
    void* mine = PoolAllocate(pool.get());
    ASSERT_NE(mine, nullptr);
    PoolFree(pool.get(), nullptr);
    PoolFree(nullptr, mine);
    EXPECT_EQ(PoolAllocate(nullptr), nullptr);
    void* foreign = PoolAllocate(other.get());
#ifdef NDEBUG
    PoolFree(pool.get(), foreign);
    EXPECT_EQ(GetBlockPoolStats(other.get()).chunk_count, 1);
    EXPECT_EQ(GetBlockPoolStats(pool.get()).chunk_count, 1);
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(PoolFree(pool.get(), foreign), "does not belong to this pool");
#endif
    PoolFree(pool.get(), mine);
    PoolFree(other.get(), foreign);
    EXPECT_EQ(GetBlockPoolStats(pool.get()).chunk_count, 0);
}

} // namespace
} // namespace rt

// Pool blocks against the system heap, in three patterns over N live blocks of 32 bytes (the
// size of a small list element): churn, where one block in a scattered position is freed and a
// new one taken per step; queue, the same with the oldest block freed each step (as an event
// queue does); and burst, where N blocks are taken and then all given back. Also the two
// object-table lookups. Both sources run under the heap policy of the memory start-up step, as
// the application does.

#include "runtime/core/block_pool.h"
#include "runtime/core/memory.h"
#include "runtime/core/object_table.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr uint64_t block_size = 32;

struct PoolSource {
    rt::BlockPool* pool;
    explicit PoolSource(uint32_t flags)
        : pool((rt::InitMemory(), rt::CreateBlockPool(block_size, 16, 65536, flags))) {}
    ~PoolSource() { rt::FreeBlockPool(pool); }
    void* take() { return rt::PoolAllocate(pool); }
    void give(void* block) { rt::PoolFree(pool, block); }
};

struct HeapSource {
    explicit HeapSource(uint32_t) { rt::InitMemory(); }
    void* take() { return std::malloc(block_size); }
    void give(void* block) { std::free(block); }
};

// Visits every index of a power-of-two sized array once per round, in a scattered order.
size_t next_index(size_t index, size_t count) {
    return (index * 5 + 1) & (count - 1);
}

size_t next_in_order(size_t index, size_t count) {
    return (index + 1) & (count - 1);
}

template <typename Source, size_t (*advance)(size_t, size_t) = next_index>
void churn(benchmark::State& state, uint32_t flags) {
    Source source(flags);
    const auto count = static_cast<size_t>(state.range(0));
    std::vector<void*> live(count);
    for (void*& block : live)
        block = source.take();
    size_t index = 0;
    for (auto _ : state) {
        source.give(live[index]);
        void* block = source.take();
        *static_cast<uint64_t*>(block) = index;
        live[index] = block;
        index = advance(index, count);
    }
    for (void* block : live)
        source.give(block);
    state.SetItemsProcessed(state.iterations());
}

template <typename Source>
void burst(benchmark::State& state) {
    Source source(rt::PoolUnlocked);
    const auto count = static_cast<size_t>(state.range(0));
    std::vector<void*> live(count);
    for (auto _ : state) {
        for (size_t i = 0; i < count; ++i) {
            live[i] = source.take();
            *static_cast<uint64_t*>(live[i]) = i;
        }
        for (size_t i = 0, index = 0; i < count; ++i, index = next_index(index, count)) {
            source.give(live[index]);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(count));
}

void BM_PoolAllocateFree(benchmark::State& state) {
    churn<PoolSource>(state, rt::PoolUnlocked);
}
void BM_LockedPoolAllocateFree(benchmark::State& state) {
    churn<PoolSource>(state, rt::PoolLocked);
}
void BM_MallocFree(benchmark::State& state) {
    churn<HeapSource>(state, 0);
}
void BM_PoolQueue(benchmark::State& state) {
    churn<PoolSource, next_in_order>(state, rt::PoolUnlocked);
}
void BM_MallocQueue(benchmark::State& state) {
    churn<HeapSource, next_in_order>(state, 0);
}
void BM_PoolBurst(benchmark::State& state) {
    burst<PoolSource>(state);
}
void BM_MallocBurst(benchmark::State& state) {
    burst<HeapSource>(state);
}

BENCHMARK(BM_PoolAllocateFree)->Arg(1024)->Arg(65536);
BENCHMARK(BM_LockedPoolAllocateFree)->Arg(1024)->Arg(65536);
BENCHMARK(BM_MallocFree)->Arg(1024)->Arg(65536);
BENCHMARK(BM_PoolQueue)->Arg(64)->Arg(1024);
BENCHMARK(BM_MallocQueue)->Arg(64)->Arg(1024);
BENCHMARK(BM_PoolBurst)->Arg(1024)->Arg(65536);
BENCHMARK(BM_MallocBurst)->Arg(1024)->Arg(65536);

// Tables of 64 fixed and 64 AutoNumber objects, looked up round-robin.
struct LookupFixture {
    rt::ObjectTable* table = rt::CreateObjectTable(48, 16, nullptr);
    std::vector<rt::ObjectNumber> fixed;
    std::vector<rt::ObjectNumber> automatic;
    LookupFixture() {
        for (rt::ObjectNumber number = 0; number < 64; ++number) {
            mark(rt::AllocateObject(table, number));
            fixed.push_back(number);
            void* record = rt::AllocateObject(table, rt::AutoNumber);
            mark(record);
            automatic.push_back(static_cast<rt::ObjectNumber>(reinterpret_cast<uintptr_t>(record)));
        }
    }
    ~LookupFixture() { rt::DestroyObjectTable(table); }
    static void mark(void* record) { *static_cast<uint64_t*>(record) = 1; }
};

void lookup(benchmark::State& state, bool use_auto) {
    LookupFixture fixture;
    const auto& numbers = use_auto ? fixture.automatic : fixture.fixed;
    size_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(rt::LookupObject(fixture.table, numbers[index]));
        index = (index + 1) & 63;
    }
}

void BM_LookupObjectFixed(benchmark::State& state) {
    lookup(state, false);
}
void BM_LookupObjectAuto(benchmark::State& state) {
    lookup(state, true);
}

BENCHMARK(BM_LookupObjectFixed);
BENCHMARK(BM_LookupObjectAuto);

} // namespace

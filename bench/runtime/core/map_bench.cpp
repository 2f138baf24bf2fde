// MapFind on a map shaped like the event binding table (1,024 buckets, "kind:window:object"
// keys), against std::unordered_map with the same keys looked up in the same order.

#include "runtime/core/map.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int k_key_count = 10000;
constexpr int32_t k_buckets = 1024;

struct Binding {
    void* first_callback;
    int64_t window;
};

std::u16string widen(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// Unique (kind, window, object) triples; every other object number is address-like, as the
// numbers the runtime chooses itself are.
std::vector<std::u16string> make_keys() {
    std::vector<std::u16string> keys;
    for (int i = 0; i < k_key_count; ++i) {
        const int kind = 1 + i % 18;
        const int window = (i / 18) % 25 - 1;
        const int64_t slot = i / 450;
        const int64_t object = slot % 2 ? 0x7f3a5c001000 + slot * 0x40 : slot;
        keys.push_back(widen(std::to_string(kind) + ":" + std::to_string(window) + ":" +
                             std::to_string(object)));
    }
    return keys;
}

const std::vector<std::u16string>& keys() {
    static const std::vector<std::u16string> all = make_keys();
    return all;
}

// The lookup order: every key once, in a fixed shuffled order.
const std::vector<int>& probe_order() {
    static const std::vector<int> order = [] {
        std::vector<int> indices(k_key_count);
        for (int i = 0; i < k_key_count; ++i)
            indices[i] = i;
        std::shuffle(indices.begin(), indices.end(), std::mt19937(12345));
        return indices;
    }();
    return order;
}

// Looks the keys up in a runtime map with the given key flags, in the shuffled order.
void run_map_find(benchmark::State& state, uint32_t key_flags, int32_t buckets = k_buckets) {
    rt::InitMaps();
    rt::MapHeader* map = rt::MapCreate(sizeof(Binding), 7, nullptr, nullptr, buckets);
    if (key_flags) rt::MapSetKeyFlags(map, key_flags);
    for (const std::u16string& key : keys())
        rt::MapAddString(map, key.c_str(), 0);
    const std::vector<int>& order = probe_order();
    size_t next = 0;
    for (auto _ : state) {
        void* found = rt::MapFind(map, keys()[order[next]].c_str());
        benchmark::DoNotOptimize(found);
        if (++next == order.size()) next = 0;
    }
    rt::MapFree(map);
}

void BM_MapFind(benchmark::State& state) {
    run_map_find(state, 0);
}
BENCHMARK(BM_MapFind);

// With `buckets`, the table is held near that many buckets instead of growing with its keys.
void run_unordered_map_find(benchmark::State& state, size_t buckets = 0) {
    std::unordered_map<std::u16string, Binding> map;
    if (buckets) {
        map.max_load_factor(static_cast<float>(k_key_count));
        map.rehash(buckets);
    }
    for (const std::u16string& key : keys())
        map.emplace(key, Binding{});
    const std::vector<int>& order = probe_order();
    size_t next = 0;
    for (auto _ : state) {
        auto found = map.find(keys()[order[next]]);
        benchmark::DoNotOptimize(found);
        if (++next == order.size()) next = 0;
    }
    state.counters["buckets"] = static_cast<double>(map.bucket_count());
}

void BM_UnorderedMapFind(benchmark::State& state) {
    run_unordered_map_find(state);
}
BENCHMARK(BM_UnorderedMapFind);

// Case-insensitive lookups, for reference: each unit goes through towlower.
void BM_MapFindWithoutCase(benchmark::State& state) {
    run_map_find(state, rt::MapKeysWithoutCase);
}
BENCHMARK(BM_MapFindWithoutCase);

// For reference, the cost of the chain length: a runtime map's 1,024 buckets give chains of
// about ten keys, where the standard map grows to about one key per bucket. The same keys in a
// runtime map of 16,384 buckets, and in a standard map held at 1,024 buckets.
void BM_MapFindShortChains(benchmark::State& state) {
    run_map_find(state, 0, 16384);
}
BENCHMARK(BM_MapFindShortChains);

void BM_UnorderedMapFindLongChains(benchmark::State& state) {
    run_unordered_map_find(state, k_buckets);
}
BENCHMARK(BM_UnorderedMapFindLongChains);

} // namespace

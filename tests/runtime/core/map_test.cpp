#include "runtime/core/map.h"

#include "runtime/core/array.h"
#include "runtime/core/block_pool.h"
#include "runtime/core/layout.h"
#include "runtime/core/list.h"
#include "runtime/core/temp_area.h"
#include "runtime/core/typed_containers.h"
#include "tests/runtime/core/heap_growth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

using rt::LayoutEnd;
using rt::TypedMap;

[[maybe_unused]] const bool maps_started =
    (rt::InitMaps(), rt::InitArrays(), rt::InitLists(), true);

std::u16string key_name(int i) {
    const std::string digits = "key" + std::to_string(i);
    return std::u16string(digits.begin(), digits.end());
}

int64_t value_at(const int64_t* value) {
    return value ? *value : -1;
}

// Expected buckets computed apart from the code: h = h * 65599 + unit, in unsigned 32 bits. The
// keys cover every length modulo 4; 65521 buckets take the remainder, 1024 the low bits.
TEST(Map, HashesEveryUnitIntoItsBucket) {
    constexpr uint32_t nc = rt::MapKeysWithoutCase; // no case
    const std::tuple<const char16_t*, uint32_t, int32_t, int32_t> rows[] = {
        {u"", 0, 65521, 0},         {u"Zerarazi", 0, 65521, 64385}, {u"3:-1:-1", 0, 65521, 30775},
        {u"abcde", 0, 65521, 6328}, {u"abcdef", 0, 65521, 62296},   {u"ZERARAZI", nc, 65521, 62693},
        {u"ab", 0, 1024, 65},       {u"ZeraRAZI", nc, 1024, 696},
    };
    for (const auto& [key, flags, buckets, bucket] : rows) {
        TypedMap<int64_t> map(buckets, flags);
        ASSERT_NE(map.add(key), nullptr);
        EXPECT_EQ(map.header()->bucket_index, bucket)
            << ::testing::PrintToString(key) << " in " << buckets;
        EXPECT_EQ(map.header()->buckets[bucket], map.header()->current);
        EXPECT_EQ(std::u16string(rt::map_node_text(map.header()->current)), key);
    }
}

uint32_t reference_hash(const std::u16string& key) {
    uint32_t hash = 0;
    for (const char16_t unit : key)
        hash = hash * 65599u + unit;
    return hash;
}

TEST(Map, KeysWithoutCaseAreOneKey) {
    const std::tuple<uint32_t, const char16_t*, const char16_t*, bool> rows[] = {
        {rt::MapKeysWithoutCase, u"Battery", u"BATTERY", true},
        {rt::MapKeysWithoutCase, u"Battery", u"batter", false},
        {0, u"Battery", u"battery", false},
        {0, nullptr, u"", true},
    };
    for (const auto& [flags, stored, probe, found] : rows) {
        TypedMap<int64_t> map(16, flags);
        *map.add(stored) = 1;
        EXPECT_EQ(map.find(probe) != nullptr, found) << ::testing::PrintToString(probe);
    }
    TypedMap<int64_t> map(16, rt::MapKeysWithoutCase);
    int64_t* first = map.add(u"Key");
    *first = 4;
    EXPECT_EQ(map.add(u"KEY", true), first); // replace reuses the element and empties it
    EXPECT_EQ(*first, 0);
    *map.add(u"kEY") = 5; // without replace the newer element shadows the older one
    EXPECT_EQ(value_at(map.find(u"key")), 5);
    map.delete_current();
    EXPECT_EQ(map.find(u"key"), first);
}

// What a map should hold: per bucket, its elements newest first, which is also the walk order.
template <class Key>
struct MapModel {
    std::vector<std::vector<std::pair<Key, int64_t>>> buckets;
    std::function<int32_t(const Key&)> bucket_of;

    std::pair<Key, int64_t>* newest(const Key& key) {
        for (auto& element : buckets[static_cast<size_t>(bucket_of(key))])
            if (element.first == key) return &element;
        return nullptr;
    }
    void add(const Key& key, int64_t value, bool replace) {
        auto& chain = buckets[static_cast<size_t>(bucket_of(key))];
        if (auto* found = newest(key); replace && found)
            found->second = value;
        else
            chain.insert(chain.begin(), {key, value});
    }
    std::vector<int64_t> walk() const {
        std::vector<int64_t> values;
        for (const auto& chain : buckets)
            for (const auto& element : chain)
                values.push_back(element.second);
        return values;
    }
    // Erases the element and gives the one that becomes current, or -1: during a walk the one
    // before it in walk order; after a find the one before it in its chain, none at the head.
    int64_t erase_value(int64_t value, bool walking) {
        const std::vector<int64_t> order = walk();
        const auto at = std::find(order.begin(), order.end(), value);
        int64_t before = at == order.begin() ? -1 : *(at - 1);
        for (auto& chain : buckets) {
            if (!walking && !chain.empty() && chain.front().second == value) before = -1;
            std::erase_if(chain, [value](const auto& element) { return element.second == value; });
        }
        return before;
    }
};

std::vector<int64_t> walk(TypedMap<int64_t>& map) {
    std::vector<int64_t> values;
    map.rewind();
    while (const int64_t* value = map.next())
        values.push_back(*value);
    return values;
}

// Random adds (with and without replace, often of a key already there), finds, deletions after a
// find and during walks, and clears; after each step the map must answer as the model does.
template <class Key>
void check_against_model(TypedMap<int64_t>& map, MapModel<Key>& model, const std::vector<Key>& keys,
                         uint32_t seed) {
    auto key_of = [](const Key& key) {
        if constexpr (std::is_same_v<Key, std::u16string>)
            return key.c_str();
        else
            return key;
    };
    std::mt19937 random(seed);
    int64_t next_value = 0;
    for (int step = 0; step < 3000; ++step) {
        const Key& key = keys[random() % keys.size()];
        const unsigned choice = random() % 100;
        if (choice < 45) {
            const bool replace = choice % 3 == 0;
            *map.add(key_of(key), replace) = next_value;
            model.add(key, next_value, replace);
            // The element added or renewed is the current one.
            ASSERT_EQ(value_at(static_cast<int64_t*>(rt::map_node_data(map.header()->current))),
                      next_value++);
        } else if (choice < 75) {
            const auto* expected = model.newest(key);
            ASSERT_EQ(value_at(map.find(key_of(key))), expected ? expected->second : -1)
                << "step " << step;
        } else if (choice < 90) {
            if (const int64_t* found = map.find(key_of(key))) {
                const int64_t before = model.erase_value(*found, false);
                ASSERT_EQ(value_at(map.delete_current()), before) << "step " << step;
            }
        } else if (choice < 99) {
            const unsigned every = 2 + random() % 5;
            map.rewind();
            while (const int64_t* value = map.next()) {
                if (*value % every != 0) continue;
                const int64_t before = model.erase_value(*value, true);
                ASSERT_EQ(value_at(map.delete_current()), before) << "step " << step;
            }
            ASSERT_EQ(map.next(), nullptr) << "a walk stays at its end";
            ASSERT_EQ(map.delete_current(), nullptr);
        } else {
            map.clear();
            model.buckets.assign(model.buckets.size(), {});
        }
        ASSERT_EQ(walk(map), model.walk()) << "step " << step;
        ASSERT_EQ(static_cast<size_t>(map.size()), model.walk().size());
    }
}

TEST(Map, AgreesWithAModelThroughAddsFindsDeletionsAndClears) {
    // Keys are told apart by their text, not their hash. Each pair hashes alike: 65599² - 126 ×
    // 65599 + 3969 = 2^32 for the first, 65599² + 65599 + 1 = 126 × 65599 + 61631 for the second.
    std::vector<std::u16string> names = {{66, 65, 4096}, {65, 191, 127}, {1, 1, 1}, {126, 61631}};
    ASSERT_EQ(reference_hash(names[0]), reference_hash(names[1]));
    ASSERT_EQ(reference_hash(names[2]), reference_hash(names[3]));
    for (int i = 0; i < 40; ++i)
        names.push_back(key_name(i));
    std::vector<int64_t> integers;
    for (int64_t i = -20; i < 20; ++i)
        integers.push_back(i % 2 ? i : i * (int64_t{1} << 32)); // some alike in their low half
    for (const int64_t extreme :
         {std::numeric_limits<int64_t>::min(), int64_t{-1025}, std::numeric_limits<int64_t>::max()})
        integers.push_back(extreme);
    for (const int32_t buckets : {1, 3, 64}) {
        SCOPED_TRACE(std::to_string(buckets) + " buckets");
        const size_t count = static_cast<size_t>(buckets);
        TypedMap<int64_t> strings(buckets);
        MapModel<std::u16string> string_model{
            decltype(string_model.buckets)(count), [buckets](const std::u16string& key) {
                return static_cast<int32_t>(reference_hash(key) % static_cast<uint32_t>(buckets));
            }};
        check_against_model(strings, string_model, names, 7u + static_cast<uint32_t>(buckets));
        TypedMap<int64_t> numbers(buckets, rt::MapIntegerKeys);
        MapModel<int64_t> number_model{
            decltype(number_model.buckets)(count), [buckets](const int64_t& key) {
                return static_cast<int32_t>((key % buckets + buckets) % buckets);
            }};
        check_against_model(numbers, number_model, integers, 11u + static_cast<uint32_t>(buckets));
    }
}

struct Entry {
    char16_t* label;
    rt::ListVariable history; // of int64_t
};
const int64_t k_entry_layout[] = {
    offsetof(Entry, label), -5, offsetof(Entry, history), 8, 0, 0, LayoutEnd};

Entry* add_entry(rt::MapHeader* map, const char16_t* key, const char16_t* label, int64_t value) {
    auto* entry = static_cast<Entry*>(rt::MapAddString(map, key, 0));
    rt::AssignString(&entry->label, label);
    *static_cast<int64_t*>(rt::ListAppend(entry->history.list)) = value;
    return entry;
}

TEST(Map, CopyIsDeepAndRefusesMismatches) {
    rt::MapHeader* source = rt::MapCreate(sizeof(Entry), 3, k_entry_layout, nullptr, 5);
    rt::MapHeader* copy = rt::MapCreate(sizeof(Entry), 3, k_entry_layout, nullptr, 11);
    const int64_t chunks = rt::GetBlockPoolStats(source->pool).chunk_count;
    for (int i = 0; i < 20; ++i)
        add_entry(source, key_name(i).c_str(), u"old", i);
    Entry* shadowing = add_entry(source, u"key3", u"new", 300);
    ASSERT_EQ(rt::MapCopy(source, 3, copy, 3, 1), 1);
    EXPECT_EQ(copy->count, 21);
    auto* entry = static_cast<Entry*>(rt::MapFind(copy, u"key3")); // still the newer one
    rt::AssignString(&entry->label, u"changed");
    rt::ListAppend(entry->history.list);
    EXPECT_EQ(std::u16string(shadowing->label), u"new");
    EXPECT_EQ(shadowing->history.list->count, 1);

    // Mismatches are refused and change nothing; a copy onto itself has nothing to do.
    rt::MapHeader* narrow = rt::MapCreate(8, 3, k_entry_layout, nullptr, 4);
    rt::MapHeader* integers = rt::MapCreate(sizeof(Entry), 3, k_entry_layout, nullptr, 4);
    rt::MapSetKeyFlags(integers, rt::MapIntegerKeys);
    EXPECT_EQ(rt::MapCopy(source, 3, copy, 4, 1), 0);
    EXPECT_EQ(rt::MapCopy(source, 3, narrow, 3, 1), 0);
    EXPECT_EQ(rt::MapCopy(source, 3, integers, 3, 1), 0);
    EXPECT_EQ(copy->count + narrow->count + integers->count, 21);
    EXPECT_EQ(rt::MapCopy(source, 3, source, 3, 1), 1);
    EXPECT_EQ(source->count, 21);

    // Replacing gives a freshly initialised element.
    entry = static_cast<Entry*>(rt::MapAddString(copy, u"key3", 1));
    EXPECT_EQ(entry->label, nullptr);
    EXPECT_EQ(entry->history.list->count, 0);
    EXPECT_EQ(entry->history.list->variable, &entry->history);
    for (rt::MapHeader* map : {source, copy, narrow})
        rt::MapFree(map);
    EXPECT_EQ(rt::GetBlockPoolStats(integers->pool).chunk_count, chunks) << "entries given back";
    rt::MapFree(integers);
}

TEST(Map, KeyKindIsFixedOnceTheMapHoldsElementsAndCreateReplacesTheVariablesMap) {
    rt::MapHeader* variable = nullptr;
    rt::MapHeader* first = rt::MapCreate(8, 0, nullptr, &variable, 0);
    EXPECT_EQ(first->bucket_count, 1);                  // at least one bucket
    EXPECT_EQ(rt::MapAddInteger(first, 5, 0), nullptr); // string keys: integer calls do nothing
    rt::MapAddString(first, u"x", 0);
    EXPECT_EQ(rt::MapSetKeyFlags(first, rt::MapIntegerKeys), 0);
    rt::MapHeader* second = rt::MapCreate(8, 0, nullptr, &variable, 4); // frees the first
    EXPECT_EQ(variable, second);
    EXPECT_EQ(rt::MapSetKeyFlags(second, rt::MapIntegerKeys), 1);
    EXPECT_EQ(rt::MapAddString(second, u"x", 0), nullptr);
    EXPECT_NE(rt::MapAddInteger(second, 5, 0), nullptr);
    rt::MapFree(second);
    EXPECT_EQ(variable, nullptr);
    // Cleared, replaced and freed maps give back their nodes, keys and elements' contents.
    EXPECT_LT(rt::heap_growth_per_step([&] {
                  rt::MapCreate(sizeof(Entry), 3, k_entry_layout, &variable, 5);
                  add_entry(variable, u"a", u"label", 1);
                  add_entry(variable, u"a", u"label", 2);
                  rt::MapClear(variable);
                  add_entry(variable, u"b", u"label", 3);
                  rt::MapAddString(variable, u"b", 1);
                  rt::MapCreate(sizeof(Entry), 3, k_entry_layout, &variable, 5);
                  add_entry(variable, u"c", u"label", 4);
                  rt::MapFree(variable);
              }),
              16u);
}

} // namespace

#include "runtime/core/map.h"

#include "runtime/core/array.h"
#include "runtime/core/layout.h"
#include "runtime/core/list.h"
#include "runtime/core/temp_area.h"
#include "runtime/core/typed_containers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstddef>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

using rt::LayoutEnd;
using rt::TypedMap;

[[maybe_unused]] const bool started = (rt::InitMaps(), rt::InitArrays(), rt::InitLists(), true);

std::u16string key_name(int i) {
    const std::string digits = std::to_string(i);
    return u"key" + std::u16string(digits.begin(), digits.end());
}

int64_t value_at(const int64_t* value) {
    return value ? *value : -1;
}

// Expected buckets computed apart from the code: h = h * 65599 + unit, in unsigned 32 bits. The
// keys cover every length modulo 4; 65521 buckets take the remainder, 1024 the low bits.
TEST(Map, HashesEveryUnitIntoItsBucket) {
    constexpr uint32_t kNoCase = rt::MapKeysWithoutCase;
    struct Row {
        const char16_t* key;
        uint32_t flags;
        int32_t buckets, bucket;
    };
    const Row rows[] = {
        {u"", 0, 65521, 0},
        {u"a", 0, 65521, 97},
        {u"ab", 0, 65521, 7664},
        {u"Zerarazi", 0, 65521, 64385},
        {u"3:-1:-1", 0, 65521, 30775},
        {u"abcde", 0, 65521, 6328},
        {u"abcdef", 0, 65521, 62296},
        {u"abcdefg", 0, 65521, 14730},
        {u"abcdefgh", 0, 65521, 35114},
        {u"12:140737488355328:-1", 0, 65521, 3138},
        {u"ZERARAZI", kNoCase, 65521, 62693},
        {u"ab", 0, 1024, 65},
        {u"Zerarazi", 0, 1024, 728},
        {u"ZeraRAZI", kNoCase, 1024, 696},
    };
    for (const Row& row : rows) {
        TypedMap<int64_t> map(row.buckets, row.flags);
        ASSERT_NE(map.add(row.key), nullptr);
        EXPECT_EQ(map.header()->bucket_index, row.bucket)
            << ::testing::PrintToString(row.key) << " in " << row.buckets;
        EXPECT_EQ(map.header()->buckets[row.bucket], map.header()->current);
        EXPECT_EQ(std::u16string(rt::map_node_text(map.header()->current)), row.key);
    }
}

uint32_t reference_hash(const std::u16string& key) {
    uint32_t hash = 0;
    for (const char16_t unit : key)
        hash = hash * 65599u + unit;
    return hash;
}

// Lookups pass over keys whose top six hash bits differ; keys that share those bits, one the
// other's prefix, must still be told apart by their text.
TEST(Map, KeysThatShareHashBitsAndAPrefixStayApart) {
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
    for (int i = 0; i < 100000 && pairs.size() < 3; ++i) {
        const std::u16string shorter = key_name(i);
        const std::u16string longer = shorter + u"x";
        if (reference_hash(shorter) >> 26 == reference_hash(longer) >> 26)
            pairs.emplace_back(shorter, longer);
    }
    ASSERT_EQ(pairs.size(), 3u);
    for (const auto& [shorter, longer] : pairs) {
        SCOPED_TRACE(::testing::PrintToString(longer));
        TypedMap<int64_t> map(1);
        *map.add(shorter.c_str()) = 1;
        EXPECT_EQ(map.find(longer.c_str()), nullptr);
        *map.add(longer.c_str()) = 2;
        EXPECT_EQ(value_at(map.find(shorter.c_str())), 1);
        EXPECT_EQ(value_at(map.find(longer.c_str())), 2);
        TypedMap<int64_t> only_longer(1);
        *only_longer.add(longer.c_str()) = 2;
        EXPECT_EQ(only_longer.find(shorter.c_str()), nullptr);
    }
}

TEST(Map, KeysWithoutCaseAreOneKey) {
    struct Row {
        uint32_t flags;
        const char16_t *stored, *probe;
        bool found;
    };
    const Row rows[] = {
        {rt::MapKeysWithoutCase, u"Battery", u"BATTERY", true},
        {rt::MapKeysWithoutCase, u"Battery", u"batter", false},
        {0, u"Battery", u"battery", false},
        {0, nullptr, u"", true},
    };
    for (const Row& row : rows) {
        TypedMap<int64_t> map(16, row.flags);
        *map.add(row.stored) = 1;
        EXPECT_EQ(map.find(row.probe) != nullptr, row.found) << ::testing::PrintToString(row.probe);
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

    // Beyond ASCII, lower-casing follows the character locale the runtime starts with.
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    if (!std::setlocale(LC_CTYPE, "C.UTF-8")) GTEST_SKIP() << "no UTF-8 locale";
    *map.add(u"\u00c9t\u00e9") = 1;
    const bool found = map.find(u"\u00e9T\u00c9") != nullptr;
    std::setlocale(LC_CTYPE, saved.c_str());
    EXPECT_TRUE(found);
}

TEST(Map, NegativeIntegerKeysLandInValidBuckets) {
    const int64_t keys[] = {-1,
                            -7,
                            -1024,
                            -1025,
                            std::numeric_limits<int64_t>::min(),
                            std::numeric_limits<int64_t>::max(),
                            0,
                            5};
    for (int32_t buckets : {1, 7, 1024}) {
        TypedMap<int64_t> map(buckets, rt::MapIntegerKeys);
        for (int64_t key : keys)
            *map.add(key) = key / 2;
        for (int64_t key : keys) {
            EXPECT_EQ(value_at(map.find(key)), key / 2) << key << " in " << buckets;
            EXPECT_GE(map.header()->bucket_index, 0);
            EXPECT_LT(map.header()->bucket_index, buckets);
        }
    }
    TypedMap<int64_t> map(7, rt::MapIntegerKeys);
    map.add(-1);
    EXPECT_EQ(map.header()->bucket_index, 6); // -1 follows 6 as 6 follows 5
}

TEST(Map, DeletingDuringAWalkVisitsEveryElementOnce) {
    // One bucket: every key in one chain, deleted at its head, middle and tail.
    const std::pair<int32_t, int> rows[] = {{1, 3}, {2, 3}, {7, 2}, {64, 5}, {7, 1}, {1, 1}};
    for (const auto& [buckets, every] : rows) {
        SCOPED_TRACE(std::to_string(buckets) + " buckets, deleting every " + std::to_string(every));
        TypedMap<int64_t> map(buckets);
        for (int i = 0; i < 60; ++i)
            *map.add(key_name(i).c_str()) = i;
        std::map<int64_t, int> visits;
        map.rewind();
        while (const int64_t* value = map.next()) {
            if (++visits[*value] > 1) FAIL() << *value << " visited twice";
            if (*value % every == 0) map.delete_current();
        }
        EXPECT_EQ(visits.size(), 60u);
        EXPECT_EQ(map.size(), 60 - (59 / every + 1));
        for (int i = 0; i < 60; ++i) {
            EXPECT_EQ(map.find(key_name(i).c_str()) != nullptr, i % every != 0) << i;
        }
    }
}

// In a one-bucket map the walk order is newest first: key4, key3, key2, key1, key0.
TEST(Map, DeleteCurrentStepsBackSoThatNextContinues) {
    struct Row {
        const char* name;
        std::vector<const char16_t*> deleted; // found first, or (null) the current one
        int nexts_before;
        int64_t current_after, next_after;
    };
    const Row rows[] = {
        {"found head", {u"key4"}, 0, -1, 3},
        {"found middle", {u"key2"}, 0, 3, 1},
        {"found tail", {u"key0"}, 0, 1, -1},
        {"walked to second, deleted twice", {nullptr, nullptr}, 2, -1, 2},
        {"walked to third, deleted twice", {nullptr, nullptr}, 3, 4, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TypedMap<int64_t> map(1);
        for (int i = 0; i < 5; ++i)
            *map.add(key_name(i).c_str()) = i;
        map.rewind();
        for (int i = 0; i < row.nexts_before; ++i)
            map.next();
        const int64_t* current = nullptr;
        for (const char16_t* key : row.deleted) {
            if (key) map.find(key);
            current = map.delete_current();
        }
        EXPECT_EQ(value_at(current), row.current_after);
        EXPECT_EQ(value_at(map.next()), row.next_after);
    }
    // Across buckets: deleting the head of bucket 1 steps back to the end of bucket 0.
    TypedMap<int64_t> map(4, rt::MapIntegerKeys);
    for (int64_t key : {6, 1, 4, 3})
        *map.add(key) = key;
    std::vector<int64_t> order;
    map.rewind();
    while (const int64_t* value = map.next())
        order.push_back(*value);
    EXPECT_EQ(order, (std::vector<int64_t>{4, 1, 6, 3})); // buckets 0, 1, 2, 3
    EXPECT_EQ(map.next(), nullptr);                       // and stays at the end
    EXPECT_EQ(map.delete_current(), nullptr);
    map.rewind();
    map.next();
    map.next();
    EXPECT_EQ(value_at(map.delete_current()), 4);
    EXPECT_EQ(value_at(map.next()), 6);
}

struct Entry {
    char16_t* label;
    rt::ListVariable history; // of int64_t
};
const int64_t kEntryLayout[] = {
    offsetof(Entry, label), -5, offsetof(Entry, history), 8, 0, 0, LayoutEnd};

Entry* add_entry(rt::MapHeader* map, const char16_t* key, const char16_t* label, int64_t value) {
    auto* entry = static_cast<Entry*>(rt::MapAddString(map, key, 0));
    rt::AssignString(&entry->label, label);
    *static_cast<int64_t*>(rt::ListAppend(entry->history.list)) = value;
    return entry;
}

TEST(Map, CopyIsDeepAndKeepsTheSourcePosition) {
    rt::MapHeader* source = rt::MapCreate(sizeof(Entry), 3, kEntryLayout, nullptr, 5);
    rt::MapHeader* copy = rt::MapCreate(sizeof(Entry), 3, kEntryLayout, nullptr, 11);
    for (int i = 0; i < 20; ++i)
        add_entry(source, key_name(i).c_str(), u"old", i);
    Entry* shadowing = add_entry(source, u"key3", u"new", 300);
    rt::MapRewind(source);
    for (int i = 0; i < 7; ++i)
        rt::MapNext(source);
    const rt::MapNode* position = source->current;
    const int32_t bucket = source->bucket_index;

    ASSERT_EQ(rt::MapCopy(source, 3, copy, 3, 1), 1);
    EXPECT_EQ(source->current, position);
    EXPECT_EQ(source->bucket_index, bucket);
    EXPECT_EQ(copy->count, 21);
    auto* entry = static_cast<Entry*>(rt::MapFind(copy, u"key3")); // still the newer one
    EXPECT_EQ(std::u16string(entry->label), u"new");
    EXPECT_EQ(*static_cast<int64_t*>(rt::ListSelect(entry->history.list, 0)), 300);
    rt::AssignString(&entry->label, u"changed");
    rt::ListAppend(entry->history.list);
    EXPECT_EQ(std::u16string(shadowing->label), u"new");
    EXPECT_EQ(shadowing->history.list->count, 1);

    // Mismatches are refused and change nothing; a copy onto itself has nothing to do.
    rt::MapHeader* narrow = rt::MapCreate(8, 3, kEntryLayout, nullptr, 4);
    rt::MapHeader* integers = rt::MapCreate(sizeof(Entry), 3, kEntryLayout, nullptr, 4);
    rt::MapSetKeyFlags(integers, rt::MapIntegerKeys);
    EXPECT_EQ(rt::MapCopy(source, 3, copy, 4, 1), 0);
    EXPECT_EQ(rt::MapCopy(source, 3, narrow, 3, 1), 0);
    EXPECT_EQ(rt::MapCopy(source, 3, integers, 3, 1), 0);
    EXPECT_EQ(rt::MapCopy(nullptr, 3, copy, 3, 1), 0);
    EXPECT_EQ(copy->count + narrow->count + integers->count, 21);
    EXPECT_EQ(rt::MapCopy(source, 3, source, 3, 1), 1);
    EXPECT_EQ(source->count, 21);
    for (rt::MapHeader* map : {source, copy, narrow, integers})
        rt::MapFree(map);
}

TEST(Map, ReplaceGivesAFreshlyInitialisedElement) {
    rt::MapHeader* map = rt::MapCreate(sizeof(Entry), 0, kEntryLayout, nullptr, 4);
    add_entry(map, u"k", u"label", 1);
    auto* entry = static_cast<Entry*>(rt::MapAddString(map, u"k", 1));
    EXPECT_EQ(map->count, 1);
    EXPECT_EQ(entry->label, nullptr);
    EXPECT_EQ(entry->history.list->count, 0);
    EXPECT_EQ(entry->history.list->variable, &entry->history);
    rt::MapFree(map);
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
}

} // namespace

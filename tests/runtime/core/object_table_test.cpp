#include "runtime/core/object_table.h"

#include "tests/runtime/core/heap_growth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <tuple>
#include <vector>

namespace rt {
namespace {

using TableHandle = std::unique_ptr<ObjectTable, decltype(&DestroyObjectTable)>;

constexpr uint32_t record_size = 32;

// A kind in the way the runtime's kinds are written: its free procedure looks the object up,
// ignores a dead one, and releases a live one. The procedure can only reach the table through
// a global, as the real kinds do.
ObjectTable* kind_table = nullptr;
std::vector<ObjectNumber> freed;

void free_kind_object(ObjectNumber number) {
    if (!LookupObject(kind_table, number)) return;
    freed.push_back(number);
    ReleaseObject(kind_table, number);
}

// A careless kind that forgets to release what it frees.
void free_without_release(ObjectNumber number) {
    freed.push_back(number);
}

TableHandle make_table(FreeObjectProcedure procedure = free_kind_object, int32_t growth = 16) {
    TableHandle table(CreateObjectTable(record_size, growth, procedure), DestroyObjectTable);
    kind_table = table.get();
    freed.clear();
    return table;
}

// Allocates and marks live, as a creating operation does; gives the object's number.
ObjectNumber create(ObjectTable* table, ObjectNumber number, uint64_t mark = 0x1234) {
    void* record = AllocateObject(table, number);
    if (!record) return 0;
    std::memcpy(record, &mark, sizeof mark);
    return number == AutoNumber ? static_cast<ObjectNumber>(reinterpret_cast<uintptr_t>(record))
                                : number;
}

std::vector<ObjectNumber> enumerate(ObjectTable* table) {
    std::vector<ObjectNumber> numbers;
    ResetObjectEnumeration(table);
    ObjectNumber number = 0;
    while (NextObject(table, &number))
        numbers.push_back(number);
    return numbers;
}

TEST(ObjectTable, SlotArrayGrowsToTheNumberPlusTheGrowthStep) {
    const std::tuple<int32_t, std::vector<ObjectNumber>, int64_t> cases[] = {
        {16, {}, 16},
        {16, {15}, 16},
        {16, {16}, 32},
        {16, {1000}, 1016},
        {8, {3, 100, 50}, 108},
        {16, {MaximumSlotCount - 1}, MaximumSlotCount}, // clamped at the limit
    };
    for (const auto& [growth, numbers, slot_count] : cases) {
        TableHandle table = make_table(free_kind_object, growth);
        for (ObjectNumber number : numbers)
            create(table.get(), number);
        EXPECT_EQ(GetObjectTableStats(table.get()).slot_count, slot_count) << slot_count;
        std::vector<ObjectNumber> ascending = numbers;
        std::sort(ascending.begin(), ascending.end());
        EXPECT_EQ(enumerate(table.get()), ascending);
    }
}

TEST(ObjectTable, RefusesBadSizesAndNumbersBeyondTheLimitAndCreatesOnce) {
    TableHandle table = make_table();
    for (ObjectNumber number : {ObjectNumber{-2}, std::numeric_limits<ObjectNumber>::min(),
                                MaximumSlotCount, std::numeric_limits<ObjectNumber>::max()}) {
        EXPECT_EQ(AllocateObject(table.get(), number), nullptr) << number;
    }
    EXPECT_EQ(GetObjectTableStats(table.get()).slot_count, 16); // not grown by a refusal
    EXPECT_EQ(CreateObjectTable(4, 16, nullptr), nullptr) << "no room for the mark";
    EXPECT_EQ(CreateObjectTable(16, 0, nullptr), nullptr);
    ObjectTable* variable = nullptr;
    ObjectTable* first = CreateObjectTableOnce(&variable, 8, 1, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(variable, first);
    EXPECT_EQ(CreateObjectTableOnce(&variable, 64, 32, nullptr), first);
    DestroyObjectTable(variable);
}

// A fixed number's record is reused, zeroed: recreated while live it frees the old object first;
// released, it calls into no object.
TEST(ObjectTable, AFixedNumberComesBackAsTheSameZeroedRecord) {
    TableHandle table = make_table();
    const std::vector<unsigned char> zero(record_size, 0);
    for (const bool released : {false, true}) {
        SCOPED_TRACE(released ? "released" : "live");
        freed.clear();
        void* record = AllocateObject(table.get(), 3);
        std::memset(record, 0x5C, record_size);
        if (released) ReleaseObject(table.get(), 3);
        EXPECT_EQ(LookupObject(table.get(), 3) != nullptr, !released);
        EXPECT_EQ(ValidateObject(table.get(), 3) != nullptr, !released);
        void* again = AllocateObject(table.get(), 3);
        EXPECT_EQ(freed, released ? std::vector<ObjectNumber>{} : std::vector<ObjectNumber>{3});
        EXPECT_EQ(again, record);
        EXPECT_EQ(std::memcmp(again, zero.data(), record_size), 0);
    }
}

// Numbers that name no object must be rejected before anything is read through them.
TEST(ObjectTable, NumbersThatAreNoObjectFindNothingAndReleaseNothing) {
    TableHandle table = make_table();
    create(table.get(), 1000); // slots below it stay empty
    void* fixed_record = AllocateObject(table.get(), 2);
    std::memset(fixed_record, 0x42, record_size);
    const ObjectNumber live_auto = create(table.get(), AutoNumber);
    const ObjectNumber released_auto = create(table.get(), AutoNumber);
    ReleaseObject(table.get(), released_auto);
    const ObjectNumber fixed_address =
        static_cast<ObjectNumber>(reinterpret_cast<uintptr_t>(fixed_record));
    // The slot count, a released AutoNumber object, a live fixed record's address, and an address
    // inside a live AutoNumber record are among them.
    const ObjectNumber low = std::numeric_limits<ObjectNumber>::min(), far = ObjectNumber{1} << 40;
    const ObjectNumber high = std::numeric_limits<ObjectNumber>::max(), inside = live_auto + 8;
    const ObjectNumber strangers[] = {
        AutoNumber, -2, low, 0, 999, 1001, 1016, far, high, released_auto, fixed_address, inside};
    for (ObjectNumber number : strangers) {
        SCOPED_TRACE(number);
        EXPECT_EQ(LookupObject(table.get(), number), nullptr);
        EXPECT_EQ(ValidateObject(table.get(), number), nullptr);
        ReleaseObject(table.get(), number);
    }
    EXPECT_NE(LookupObject(table.get(), 2), nullptr) << "the fixed record was released";
    EXPECT_EQ(static_cast<unsigned char*>(fixed_record)[record_size - 1], 0x42);
    EXPECT_GE(live_auto, MaximumSlotCount);
    const auto live = reinterpret_cast<void*>(live_auto);
    EXPECT_EQ(std::tuple(LookupObject(table.get(), live_auto),
                         ValidateObject(table.get(), live_auto),
                         GetObjectTableStats(table.get()).auto_object_count),
              std::tuple(live, live, 1));
}

// Enumeration gives fixed numbers ascending, then AutoNumber objects oldest first; FreeAllObjects
// frees the fixed ones ascending, then the others newest first.
TEST(ObjectTable, EnumerationAndFreeAllGoByNumberThenByAge) {
    TableHandle table = make_table();
    create(table.get(), 7);
    const ObjectNumber oldest = create(table.get(), AutoNumber);
    create(table.get(), 0);
    create(table.get(), 3);
    ReleaseObject(table.get(), 3); // dead records are skipped
    const ObjectNumber middle = create(table.get(), AutoNumber);
    create(table.get(), 5);
    const ObjectNumber newest = create(table.get(), AutoNumber);
    EXPECT_EQ(enumerate(table.get()), (std::vector<ObjectNumber>{0, 5, 7, oldest, middle, newest}));
    FreeAllObjects(table.get());
    EXPECT_EQ(freed, (std::vector<ObjectNumber>{0, 5, 7, newest, middle, oldest}));
    EXPECT_EQ(GetObjectTableStats(table.get()).auto_object_count, 0);
    EXPECT_TRUE(enumerate(table.get()).empty());

    // Releasing the next auto object during an enumeration skips it; the walk used to hold the
    // node it was about to return, freed under it.
    const ObjectNumber first_auto = create(table.get(), AutoNumber);
    const ObjectNumber second_auto = create(table.get(), AutoNumber);
    const ObjectNumber third_auto = create(table.get(), AutoNumber);
    ResetObjectEnumeration(table.get());
    ObjectNumber first = 0, next = 0;
    ASSERT_NE(NextObject(table.get(), &first), nullptr);
    ReleaseObject(table.get(), second_auto);
    ASSERT_NE(NextObject(table.get(), &next), nullptr);
    EXPECT_EQ(std::tuple(first, next), std::tuple(first_auto, third_auto));
    EXPECT_EQ(NextObject(table.get(), &next), nullptr);
    FreeAllObjects(table.get());

    // It ends even when the free procedure releases nothing, and without one leaves everything.
    TableHandle careless = make_table(free_without_release);
    create(careless.get(), 1);
    const ObjectNumber older = create(careless.get(), AutoNumber);
    const ObjectNumber newer = create(careless.get(), AutoNumber);
    FreeAllObjects(careless.get());
    EXPECT_EQ(freed, (std::vector<ObjectNumber>{1, newer, older}));
    EXPECT_EQ(GetObjectTableStats(careless.get()).auto_object_count, 0);
    TableHandle without = make_table(nullptr);
    create(without.get(), 1);
    create(without.get(), AutoNumber);
    FreeAllObjects(without.get());
    EXPECT_EQ(enumerate(without.get()).size(), 2u);
}

TEST(ObjectTable, ReleasedAndDestroyedObjectsGiveTheirMemoryBack) {
    TableHandle table = make_table(nullptr);
    EXPECT_LT(heap_growth_per_step([&] {
                  ReleaseObject(table.get(), create(table.get(), AutoNumber));
                  create(table.get(), 5);
                  TableHandle other = make_table(nullptr);
                  create(other.get(), 40);
                  create(other.get(), AutoNumber);
              }),
              16u);
}

} // namespace
} // namespace rt

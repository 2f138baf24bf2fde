#include "runtime/core/temp_area.h"

#include "tests/runtime/core/heap_growth.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace rt {
namespace {

// Each step (what it does, the step, the capacity and position after it) runs on the area the
// previous steps left, and leaves a terminator at the position.
using SizeStep = std::tuple<const char*, std::function<void()>, int64_t, int64_t>;

void check_steps(const std::vector<SizeStep>& steps) {
    InitStrings();
    for (const auto& [what, run, capacity, position] : steps) {
        run();
        const TempAreaStats stats = GetTempAreaStats();
        EXPECT_EQ(std::tuple(stats.capacity, stats.position, *TempAddress(stats.position + 1)),
                  std::tuple(capacity, position, 0))
            << what;
    }
}

void append_units(size_t units, char16_t unit) {
    AppendTemp(std::u16string(units, unit).c_str());
}

TEST(TempArea, GrowsWhenTheNeedReachesFourBytesBelowCapacityInOneStep) {
    check_steps({
        {"5 units fit in 16 bytes", [] { append_units(5, u'a'); }, 16, 10},
        {"1 more unit needs 12 >= 16 - 4", [] { append_units(1, u'b'); }, 12 + 16384, 12},
        {"back to the start", [] { SetEmptyResult(0); }, 16396, 0},
        {"20,000 units in one step", [] { append_units(20000, u'x'); }, 40000 + 16384, 40000},
    });
}

TEST(TempArea, ShrinksBackTowardsOneMebibyteOnceALargeValueIsConsumed) {
    constexpr int64_t mebibyte = 1048576;
    check_steps({
        {"600,000 units", [] { append_units(600000, u'x'); }, 1200000 + 16384, 1200000},
        {"a reservation above 1 MiB that fits keeps what is in use",
         [] {
             SetEmptyResult(1000000);
             ReserveTemp(50000, 1000000)[50000] = 0;
         },
         1100000, 1100000},
        {"the need counts from the position, not from the result offset",
         [] { ReserveTemp(3, 0)[3] = 0; }, 1100006 + 16384, 6},
        {"a small reservation shrinks to 1 MiB",
         [] {
             SetEmptyResult(0);
             ReserveTemp(3, 0)[3] = 0;
         },
         mebibyte, 6},
        {"and then the area stays", [] { append_units(10, u'y'); }, mebibyte, 26},
    });
}

TEST(TempArea, AppendsATextThatLiesInTheAreaAcrossAGrowth) {
    InitStrings();
    append_units(6000, u'z');
    const int64_t before = GetTempAreaStats().capacity;
    // The source moves with the block while it is being appended to itself.
    AppendTemp(TempAddress(1));
    AppendTemp(TempAddress(1));
    EXPECT_GT(GetTempAreaStats().capacity, before);
    EXPECT_EQ(std::u16string(TempAddress(1)), std::u16string(24000, u'z'));
}

TEST(TempArea, FollowsTheResultProtocol) {
    InitStrings();
    AppendTemp(u"older");
    SaveTempPosition();
    AppendTemp(u"Time ");
    AppendTemp(nullptr);
    SaveTempPosition();
    char16_t* digits = ReserveTemp(5, PopTempPosition());
    digits[0] = u'1', digits[1] = u':', digits[2] = u'0', digits[3] = u'5';
    ShrinkTemp(1);
    digits[4] = 0;
    SaveTempPosition();
    AppendTemp(u" left");
    EXPECT_EQ(std::u16string(RestoreTempPointer()), u" left");
    EXPECT_EQ(GetTempAreaStats().position, 28);
    char16_t* variable = nullptr;
    TakeTempString(&variable, PopTempPosition());
    EXPECT_EQ(std::u16string(variable), u"Time 1:05");
    EXPECT_EQ(GetTempAreaStats().position, 10);
    EXPECT_EQ(GetTempAreaStats().stack_depth, 0);
    std::free(variable);
}

TEST(TempArea, PopFromAnEmptyStackIsCaughtInDebugBuildsAndGivesOffsetZero) {
    InitStrings();
    AppendTemp(u"abc");
    TempOffset popped = -1;
    EXPECT_DEBUG_DEATH(popped = PopTempPosition(), "pop from an empty position stack");
#ifdef NDEBUG
    EXPECT_EQ(popped, 0);
#else
    EXPECT_EQ(popped, -1) << "the pop ran in the dying child only";
#endif
    EXPECT_EQ(GetTempAreaStats().stack_depth, 0);
    EXPECT_DEATH(ReserveTemp(INT64_MAX / 2, 0), "out of memory");
}

TEST(TempArea, ComparesStringsUnitByUnitWithNullAsEmpty) {
    const std::tuple<const char16_t*, const char16_t*, int> rows[] = {
        {nullptr, u"", 1},  {u"", nullptr, 1},  {nullptr, nullptr, 1}, {u"ab", u"ab", 1},
        {u"ab", u"abc", 0}, {u"abc", u"ab", 0}, {u"ab", u"aB", 0},     {nullptr, u"a", 0}};
    for (const auto& [a, b, expected] : rows) {
        EXPECT_EQ(StringEqual(a, b), expected)
            << (a ? "text" : "null") << " vs " << (b ? "text" : "null");
    }
}

TEST(TempArea, AssignsAndCopiesStringVariables) {
    char16_t* variable = nullptr;
    EXPECT_EQ(AssignString(&variable, u"Good"), 10);
    EXPECT_EQ(std::u16string(variable), u"Good");
    EXPECT_EQ(AssignString(&variable, u"Fair condition"), 30);
    // Assigning a tail of the variable's own text, which realloc may move.
    EXPECT_EQ(AssignString(&variable, variable + 5), 20);
    EXPECT_EQ(std::u16string(variable), u"condition");
    EXPECT_EQ(AssignString(&variable, nullptr), 2);
    EXPECT_EQ(variable, nullptr);
    EXPECT_LT(heap_growth_per_step([&] {
                  AssignString(&variable, u"text");
                  AssignString(&variable, nullptr);
              }),
              16u)
        << "a text assigned null is given back";
}

} // namespace
} // namespace rt

#include "runtime/core/rt_string.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <utility>

namespace rt {

void PrintTo(const String& text, std::ostream* out) {
    *out << '"' << text.utf8() << '"';
}

namespace {

// Leaves a live temporary and a saved position in the area, as an expression being evaluated
// would, and checks that they are untouched when the test ends.
class RuntimeString : public ::testing::Test {
  protected:
    void SetUp() override {
        InitStrings();
        SaveTempPosition();
        AppendTemp(u"live");
        ReserveTemp(1, GetTempAreaStats().position); // the terminator belongs to the value
        m_before = GetTempAreaStats();
    }
    void TearDown() override {
        const TempAreaStats after = GetTempAreaStats();
        EXPECT_EQ(after.position, m_before.position);
        EXPECT_EQ(after.stack_depth, m_before.stack_depth);
        EXPECT_EQ(std::u16string(TempAddress(1)), u"live");
    }

  private:
    TempAreaStats m_before{};
};

TEST_F(RuntimeString, ConcatenatesWithStringsAndLiteralsAndKeepsEmptyAsNull) {
    const String percent = u"85";
    const String none;
    const String from_null = static_cast<const char16_t*>(nullptr);
    EXPECT_EQ(from_null.data(), nullptr);
    EXPECT_EQ(none.c_str()[0], 0);
    EXPECT_FALSE(percent.empty());
    const std::tuple<String, const char16_t*> rows[] = {
        {from_null, u""},
        {u"Charge " + percent, u"Charge 85"},
        {none + u"x" + none, u"x"},
        {u"Currently on " + String(u"Battery") + u" \u2022 " + percent + u"%",
         u"Currently on Battery \u2022 85%"}};
    for (const auto& [actual, expected] : rows) {
        EXPECT_EQ(actual, expected) << String(expected).utf8();
        EXPECT_EQ(actual.length(), String(expected).length());
    }
}

TEST_F(RuntimeString, CopiesMovesAndAssignsIndependentBlocks) {
    String original = u"Good";
    String copy = original;
    copy += u" condition";
    EXPECT_EQ(original, u"Good");

    String moved = std::move(copy);
    EXPECT_EQ(copy.data(), nullptr); // NOLINT(bugprone-use-after-move): moved-from is empty
    moved = original;
    String& same = moved;
    moved = same; // self-assignment keeps the text
    EXPECT_EQ(moved, u"Good");
    moved += moved;
    EXPECT_EQ(moved, u"GoodGood");
    moved = u"Fair";
    original = std::move(moved);
    EXPECT_EQ(original, u"Fair");
}

TEST_F(RuntimeString, RoundTripsThroughUtf8AndViews) {
    const std::pair<std::string, std::u16string_view> rows[] = {
        {"", u""},
        {"Temperature 31.5 \302\260C", u"Temperature 31.5 \u00B0C"},
        {"\xE2\x8C\x98I \xF0\x9F\x94\x8B", u"\u2318I \U0001F50B"}};
    for (const auto& [utf8, units] : rows) {
        const String from_utf8 = String::from_utf8(utf8);
        EXPECT_TRUE(from_utf8.view() == units) << utf8;
        EXPECT_EQ(std::tuple(from_utf8.utf8(), String(units), from_utf8.length()),
                  std::tuple(utf8, from_utf8, std::ssize(units)));
    }
    // A runtime string ends at its first zero unit.
    EXPECT_EQ(String(std::u16string_view(u"ab\0cd", 5)), u"ab");
    // Plain ASCII before the zero widens as it is, whatever follows.
    EXPECT_EQ(String::from_utf8(std::string_view("DesignCapacity\0\xFF", 16)), u"DesignCapacity");
    EXPECT_EQ(String::from_utf8(std::string_view("\xC2\xB0\0ab", 5)), u"\u00B0");
}

TEST_F(RuntimeString, ComparesWithUtf8UpToItsFirstZero) {
    const std::tuple<const char16_t*, std::string_view, bool> rows[] = {
        {u"Cycle", "Cycle", true},
        {u"Cycle", "Cycles", false},
        {u"Cycles", "Cycle", false},
        {u"Cycle", "Cyclf", false},
        {u"", "", true},
        {u"", "x", false},
        {u"Cycle", {"Cycle\0x", 7}, true},
        {u"31.5 \u00B0C", "31.5 \u00B0C", true},
        {u"31.5 \u00B0F", "31.5 \u00B0C", false}};
    for (const auto& [units, utf8, same] : rows)
        EXPECT_EQ(String(units).same_as_utf8(utf8), same) << utf8;
}

} // namespace
} // namespace rt

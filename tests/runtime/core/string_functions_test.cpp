#include "runtime/core/string_functions.h"

#include "tests/runtime/core/temp_result.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace rt {
namespace {

std::u16string number(int64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// One call of a string function: a string-valued one through the result protocol, a
// number-valued one as text.
struct Row {
    const char* call;
    std::function<std::u16string()> run;
    std::u16string expected;
};

// clang-format off
#define STRING_ROW(expression, expected) \
    Row{#expression, [] { return result_above_live([](TempOffset p) { return expression; }); }, \
        expected}
#define NUMBER_ROW(expression, expected) \
    Row{#expression, [] { return number(expression); }, number(expected)}
// clang-format on

TEST(StringFunctions, GiveTheDocumentedResults) {
    const Row rows[] = {
        NUMBER_ROW(TextLength(nullptr), 0),
        STRING_ROW(LeftText(u"abc", 5, p), u"abc"),
        STRING_ROW(LeftText(u"abc", -1, p), u""),
        STRING_ROW(LeftText(nullptr, 3, p), u""),
        STRING_ROW(InsertText(u"abc", u"X", 1, p), u"Xabc"),
        STRING_ROW(InsertText(u"abc", u"X", 3, p), u"abXc"),
        STRING_ROW(InsertText(u"abc", u"X", 9, p), u"abcX"),
        STRING_ROW(InsertText(nullptr, u"X", 9, p), u"X"),
        STRING_ROW(InsertText(u"abc", nullptr, 2, p), u"abc"),
        NUMBER_ROW(FindText(u"hello", u"l", -7), 3),
        NUMBER_ROW(FindText(u"hello", u"", 1), 0),
        NUMBER_ROW(FindText(u"hello", u"lo", 1), 4),
        NUMBER_ROW(FindTextFromStart(u"abcabc", u"ca"), 3),
        NUMBER_ROW(FindTextMode(u"Hello", u"LL", 1, 0), 0),
        NUMBER_ROW(FindTextMode(u"Hello", u"LL", 1, text_mode_ignore_case), 3),
        STRING_ROW(PadTextLeft(u"5", 2, u"0", p), u"05"),
        STRING_ROW(PadTextLeft(u"123", 2, u"0", p), u"12"),
        STRING_ROW(PadTextLeft(u"5", 2, u"", p), u""),
        STRING_ROW(PadTextLeft(nullptr, 3, u"*-", p), u"***"),
        STRING_ROW(RemoveText(u"a-b--c", u"-", p), u"abc"),
        STRING_ROW(RemoveText(u"aaa", u"aa", p), u"a"),
        STRING_ROW(RemoveText(nullptr, u"a", p), u""),
        STRING_ROW(RemoveTextEx(u"a-b-c-d", u"-", 0, 1, 2, p), u"abc-d"),
        STRING_ROW(RemoveTextEx(u"aXbxc", u"x", text_mode_ignore_case, 1, -1, p), u"abc"),
        STRING_ROW(ReplaceText(u"aaa", u"aa", u"b", p), u"ba"),
        STRING_ROW(ReplaceText(u"x{id}y{id}", u"{id}", u"", p), u"xy"),
        STRING_ROW(ReplaceText(u"abc", u"b", nullptr, p), u"ac"),
        STRING_ROW(ReplaceTextEx(u"a.b.c.d", u".", u"+", 0, 1, 0, p), u"a.b.c.d"),
        STRING_ROW(ReplaceTextEx(u"a.b.c.d", u".", u"+", 0, 50, -1, p), u"a.b.c.d"),
        STRING_ROW(ReplaceTextEx(u"Ab ab AB", u"ab", u"x", text_mode_ignore_case, 1, -1, p),
                   u"x x x"),
        STRING_ROW(TextField(u"a,b,,d", 3, u",", p), u""),
        STRING_ROW(TextField(u"a,b,,d", 4, u",", p), u"d"),
        STRING_ROW(TextField(u"a::b:c", 2, u"::", p), u"b:c"),
        STRING_ROW(TextField(u"abc", 1, u"", p), u"abc"),
        STRING_ROW(TextField(nullptr, 1, u",", p), u""),
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.run(), row.expected) << row.call;
}

TEST(StringFunctions, ReplaceManyOccurrencesBeyondTheRememberedOnes) {
    // More matches than the writing pass remembers from the counting pass.
    std::u16string text, expected;
    for (int i = 0; i < 300; ++i) {
        text += u"ab";
        expected += u"xyzb";
    }
    InitStrings();
    EXPECT_EQ(ReplaceText(text.c_str(), u"a", u"xyz", 0), expected);
    EXPECT_EQ(GetTempAreaStats().position, static_cast<TempOffset>(expected.size() * 2));
}

TEST(StringFunctions, ReplaceTextExInPlaceOverwritesTheTextItself) {
    // A replace of another length would not fit the text's storage: nothing happens.
    const std::pair<const char16_t*, std::u16string> rows[] = {
        {u"-", u"a-b-c"}, {u"--", u"a.b.c"}, {u"", u"a.b.c"}};
    for (const auto& [replace, expected] : rows) {
        InitStrings();
        std::u16string storage = u"a.b.c";
        EXPECT_EQ(ReplaceTextEx(storage.data(), u".", replace, text_mode_in_place, 1, -1, 0),
                  storage.data());
        EXPECT_EQ(storage, expected) << testing::PrintToString(std::u16string(replace));
        EXPECT_EQ(GetTempAreaStats().position, 0) << "the area is not used";
    }
}

// An argument built in the temporary area, as an expression passes it, must give the result it
// gives from a variable: where the result is written over it, where it lies below the result,
// and when the area grows (and may move) during the call.
struct AreaRow {
    const char* call;
    std::vector<std::u16string> arguments;
    std::function<char16_t*(const std::vector<const char16_t*>& arguments, TempOffset p)> run;
};

// inside_argument puts the result offset one unit into the first argument, which no expression
// does; the result must still come out right.
enum class Placement { variables, at_result_offset, below_result_offset, inside_argument };

std::u16string run_placed(const AreaRow& row, Placement placement, bool* grew) {
    InitStrings();
    std::vector<const char16_t*> arguments;
    for (const std::u16string& argument : row.arguments)
        arguments.push_back(argument.c_str());
    if (placement != Placement::variables) {
        // Building a later argument may move the area: addresses are taken at the end.
        std::vector<TempOffset> offsets;
        for (const char16_t* argument : arguments) {
            offsets.push_back(GetTempAreaStats().position);
            AppendTemp(argument);
            ReserveTemp(1, GetTempAreaStats().position);
        }
        for (size_t i = 0; i < offsets.size(); ++i)
            arguments[i] = TempAddress(offsets[i] + 1);
    }
    TempOffset p = placement == Placement::inside_argument ? 2 : 0;
    if (placement == Placement::below_result_offset) p = GetTempAreaStats().position;
    const int64_t capacity = GetTempAreaStats().capacity;
    row.run(arguments, p);
    *grew = GetTempAreaStats().capacity != capacity;
    return std::u16string(TempAddress(p + 1),
                          static_cast<size_t>(GetTempAreaStats().position - p) / 2);
}

void check_area_rows(const std::vector<AreaRow>& rows, bool must_grow) {
    for (const AreaRow& row : rows) {
        bool grew = false;
        const std::u16string expected = run_placed(row, Placement::variables, &grew);
        for (const Placement placement :
             {Placement::at_result_offset, Placement::below_result_offset,
              Placement::inside_argument}) {
            const std::u16string actual = run_placed(row, placement, &grew);
            // Compared as a whole: printing a 20,000-unit text helps nobody.
            EXPECT_TRUE(actual == expected) << row.call << " placement " << int(placement);
            if (must_grow && placement == Placement::at_result_offset) {
                EXPECT_TRUE(grew) << row.call << " did not make the area grow";
            }
        }
    }
}

std::vector<AreaRow> area_rows(const std::u16string& text, const std::u16string& other) {
    using Args = std::vector<const char16_t*>;
    const int64_t size = static_cast<int64_t>(text.size());
    // clang-format off
#define AREA_ROW(call, ...) \
    AreaRow{#call, {__VA_ARGS__}, [=](const Args& a, TempOffset p) { return call; }}
    // clang-format on
    return {
        AREA_ROW(LeftText(a[0], size - 3, p), text),
        AREA_ROW(InsertText(a[0], a[1], size / 2, p), text, other),
        AREA_ROW(PadTextLeft(a[0], size + 7, a[1], p), text, u"#"),
        AREA_ROW(RemoveText(a[0], a[1], p), text, u"b"),
        AREA_ROW(RemoveTextEx(a[0], a[1], 1, 5, 3, p), text, u"C"),
        AREA_ROW(ReplaceText(a[0], a[1], a[2], p), text, u"b", u"<b>"),
        AREA_ROW(ReplaceTextEx(a[0], a[1], a[2], 1, 4, -1, p), text, u"C", u"[c]"),
        AREA_ROW(TextField(a[0], 2, a[1], p), text, u"|"),
    };
}

TEST(StringFunctions, ArgumentsBuiltInTheAreaGiveTheSameResultsAndSurviveItsGrowth) {
    check_area_rows(area_rows(u"abc|cab|bcab|x", u"<inserted>"), false);
    std::u16string text = u"head|";
    while (text.size() < 20000)
        text += u"abcABC";
    text += u"|tail";
    check_area_rows(area_rows(text, std::u16string(9000, u'-')), true);
}

} // namespace
} // namespace rt

#include "platform/display/terminal/terminal_text.h"

#include <gtest/gtest.h>

TEST(TerminalText, MeasuresColumnsOnScreen) {
    struct Row {
        std::string text;
        size_t columns;
    };
    const Row rows[] = {
        {"", 0},  {"78%", 3}, {"[███ ]", 6}, {"⌘I", 2},
        {"⚡", 2}, {"🔌", 2},   {"日本", 4},   {"\x1b[1mbold\x1b[0m", 4},
    };
    for (const auto& row : rows)
        EXPECT_EQ(display_width(row.text), row.columns) << row.text;
}

TEST(TerminalText, CutsLinesToTheWidthWithAnEllipsis) {
    struct Row {
        std::string line;
        size_t columns;
        std::string expected;
    };
    const Row rows[] = {
        {"abcdef", 6, "abcdef"},
        {"abcdef", 5, "abcd…"},
        {"abcdef", 1, "…"},
        {"abcdef", 0, ""},
        {"ab⚡cd", 4, "ab…"}, // a wide character that does not fit is left out whole
        {"\x1b[1mabcdef\x1b[0m", 4, "\x1b[1mabc…\x1b[0m"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(fit_to_width(row.line, row.columns), row.expected) << row.line;
}

TEST(TerminalText, SplitsAtEveryKindOfLineBreak) {
    using Lines = std::vector<std::string>;
    struct Row {
        std::string text;
        Lines expected;
    };
    const Row rows[] = {
        {"one", {"one"}},     {"a\nb", {"a", "b"}},       {"a\r\nb", {"a", "b"}},
        {"a\rb", {"a", "b"}}, {"a\n\nb", {"a", "", "b"}}, {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n", {"a", ""}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(split_lines(row.text), row.expected) << row.text;
}

TEST(TerminalText, StylesOnlyWithColourAndBlanksControlCharactersButKeepsLineBreaks) {
    EXPECT_EQ(styled("x", TextStyle::bold, false), "x");
    EXPECT_EQ(styled("x", TextStyle::plain, true), "x");
    EXPECT_EQ(styled("x", TextStyle::dim, true), "\x1b[2mx\x1b[0m");
    EXPECT_EQ(printable("a\x1b[2Jb\tc\nd"), "a [2Jb c\nd");
    EXPECT_EQ(pad_right("⌘I", 4), "⌘I  ");
    EXPECT_EQ(pad_right("long", 2), "long");
}

TEST(TerminalText, WrapsWordsToTheWidth) {
    using Lines = std::vector<std::string>;
    struct Row {
        std::string text;
        size_t columns;
        Lines expected;
    };
    const Row rows[] = {
        {"Health 91 %: −2.1 % in 6 months", 12, {"Health 91 %:", "−2.1 % in 6", "months"}},
        {"Health 91 %: −2.1 % in 6 months", 40, {"Health 91 %: −2.1 % in 6 months"}},
        {"one  two", 7, {"one two"}},
        {"a abcdefgh b", 4, {"a", "abc…", "b"}}, // a word wider than a line is cut
        {"  ", 10, {}},
        {"", 10, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(wrap_words(row.text, row.columns), row.expected) << row.text;
    EXPECT_EQ(one_line("a\r\nb\tc"), "a  b c");
}

#include "platform/display/driver/json_text.h"

#include <gtest/gtest.h>

TEST(JsonText, EscapesWhatJsonRequiresAndKeepsUtf8) {
    struct Case {
        std::string text;
        std::string json;
    };
    const Case cases[] = {
        {"", R"("")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"a\\b", R"("a\\b")"},
        {"line\nnext\ttab\r", R"("line\nnext\ttab\r")"},
        {std::string("nul\0end", 7), R"("nul\u0000end")"},
        {"\x01\x1f\x7f", R"("\u0001\u001f\u007f")"},
        {"\b\f", R"("\b\f")"},
        {"\xC3\xA9t\xC3\xA9", "\"\xC3\xA9t\xC3\xA9\""},               // é: two bytes
        {"\xE2\x8C\x98I", "\"\xE2\x8C\x98I\""},                       // ⌘: three bytes
        {"\xF0\x9F\x94\x8B", "\"\xF0\x9F\x94\x8B\""},                 // four bytes
        {"a\xFFz", "\"a\xEF\xBF\xBDz\""},                             // stray byte
        {"\xC3", "\"\xEF\xBF\xBD\""},                                 // cut short at the end
        {"\xC3(", "\"\xEF\xBF\xBD(\""},                               // bad continuation
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                 // overlong '/'
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // encoded surrogate
        {"\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // > U+10FFFF
    };
    for (const auto& c : cases) {
        std::string out;
        append_json_string(out, c.text);
        EXPECT_EQ(out, c.json) << "text: " << testing::PrintToString(c.text);
    }
}

TEST(JsonText, ReadsStringLiteralsAndRejectsMalformedOnes) {
    struct Case {
        std::string literal;
        std::optional<std::string> value;
        size_t used;
    };
    const Case cases[] = {
        {R"("")", "", 2},
        {R"("abc" rest)", "abc", 5},
        {R"("a\"b\\c\/d")", "a\"b\\c/d", 12},
        {R"("\b\f\n\r\t")", "\b\f\n\r\t", 12},
        {R"("\u0041\u00e9")", "A\xC3\xA9", 14},
        {R"("\ud83d\udd0b")", "\xF0\x9F\x94\x8B", 14},
        {"\"\xC3\xA9\"", "\xC3\xA9", 4},
        {R"("unterminated)", std::nullopt, 0},
        {R"("bad \x escape")", std::nullopt, 0},
        {R"("\u12")", std::nullopt, 0},
        {R"("\ud83d")", std::nullopt, 0},       // high surrogate alone
        {R"("\ud83d\u0041")", std::nullopt, 0}, // high surrogate, then no low one
        {R"("\udd0b")", std::nullopt, 0},       // low surrogate alone
        {"\"tab\there\"", std::nullopt, 0},     // raw control character
        {"\"\xFF\"", std::nullopt, 0},          // invalid UTF-8
        {R"("ends with \)", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        size_t used = 0;
        auto value = read_json_string(c.literal, used);
        EXPECT_EQ(value, c.value) << "literal: " << c.literal;
        if (c.value) {
            EXPECT_EQ(used, c.used) << "literal: " << c.literal;
        }
    }
}

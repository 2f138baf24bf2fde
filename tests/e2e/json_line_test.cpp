// The reader of the driver's output lines, checked on its own so that a failure of the
// application is never a misreading of its output.

#include "tests/e2e/json_line.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

struct StringFieldCase {
    const char* line;
    std::optional<std::string> title;
};

TEST(JsonLine, DecodesStringFields) {
    const StringFieldCase cases[] = {
        {R"({"title":"78%"})", "78%"},
        {R"({"title":"a\nb\r\tc\\d\"e\/f"})", "a\nb\r\tc\\d\"e/f"},
        {R"({"title":"\u2022 \u00e9"})", "\xE2\x80\xA2 \xC3\xA9"},
        {R"({"title":"\ud83d\ude00"})", "\xF0\x9F\x98\x80"},
        {R"({"title":"• raw UTF-8"})", "• raw UTF-8"},
        {R"({"title":null})", std::nullopt},
        {R"({"title":12})", std::nullopt},
        {R"({"other":"x"})", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        auto value = parse_json(c.line);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->string("title"), c.title);
    }
}

TEST(JsonLine, RejectsBrokenLines) {
    for (const char* line : {"", "{", R"({"a":})", R"({"a":1,})", R"({"a":"x)", R"({"a":1} x)",
                             R"({"a":"\q"})", R"({"a":"\ud83d"})", "[1 2]"}) {
        EXPECT_FALSE(parse_json(line)) << line;
    }
}

TEST(JsonLine, ReadsNumbersFlagsNullsAndNestedItems) {
    auto value = parse_json(R"({"event":"menu","t":-25,"ok":true,"tooltip":null,)"
                            R"("items":[{"number":1,"enabled":false},{"separator":true}],)"
                            R"("x":1.5})");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->event(), "menu");
    EXPECT_EQ(value->integer("t"), -25);
    EXPECT_EQ(value->boolean("ok"), true);
    EXPECT_TRUE(value->is_null("tooltip"));
    EXPECT_FALSE(value->is_null("ok"));
    EXPECT_EQ(value->integer("x"), std::nullopt) << "not a whole number";
    const JsonValue* items = value->field("items");
    ASSERT_TRUE(items);
    ASSERT_EQ(items->items.size(), 2u);
    EXPECT_EQ(items->items[0].integer("number"), 1);
    EXPECT_EQ(items->items[0].boolean("enabled"), false);
    EXPECT_EQ(items->items[1].boolean("separator"), true);
}

} // namespace
} // namespace e2e

// Texts brought up to date in place: what they read afterwards, and that a text of the same
// length keeps its string's block while a longer one, or one built from the string's own units,
// is made afresh.

#include "battery/text_update.h"

#include <gtest/gtest.h>

namespace battery {
namespace {

TEST(TextUpdate, WritesChangedTextsOverTheirOwnBlockWhenTheyFit) {
    rt::String text(u"12:34 left");
    const char16_t* block = text.data();
    const struct {
        std::u16string_view first, second;
        const char16_t* reads;
        bool same_block;
    } cases[] = {
        {u"12:35", u" left", u"12:35 left", true},
        {u"9", u"%", u"9%", true},
        {u"", u"", u"", false},
        {u"100", u"% and more", u"100% and more", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(rt::String(c.reads).utf8());
        block = text.data();
        const std::u16string_view pieces[] = {c.first, c.second};
        update_joined(text, pieces);
        EXPECT_EQ(text.view(), c.reads);
        EXPECT_EQ(text.data() == block, c.same_block);
    }
    // Pieces taken from the string itself are read before it is written.
    rt::String echo(u"abcdef");
    const std::u16string_view own[] = {echo.view().substr(3), echo.view().substr(0, 2)};
    assign_joined(echo, own);
    EXPECT_EQ(echo.view(), u"defab");
}

TEST(TextUpdate, WritesIntegersInDecimal) {
    NumberRoom room;
    for (const int64_t number : {int64_t{0}, int64_t{-805}, int64_t{11800000}, INT64_MIN}) {
        EXPECT_EQ(rt::String(decimal_units(number, room)).utf8(), std::to_string(number));
    }
}

} // namespace
} // namespace battery

#include "runtime/ui/menu_title.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using namespace rt;

std::string printable(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) {
        if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
            continue;
        }
        char escaped[12];
        std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
        out += escaped;
    }
    return out;
}

} // namespace

namespace rt {
std::ostream& operator<<(std::ostream& out, const MenuTitle& title) {
    return out << "{title \"" << printable(title.title) << "\", key \""
               << printable(title.key_equivalent) << "\", mask 0x" << std::hex
               << title.modifier_mask << std::dec << "}";
}
} // namespace rt

namespace {

constexpr uint64_t cmd = MenuModifierCommand;
constexpr uint64_t shift = MenuModifierShift;
constexpr uint64_t alt = MenuModifierOption;
constexpr uint64_t ctrl = MenuModifierControl;

TEST(MenuTitle, SplitsTheTitleFromItsShortcutText) {
    struct Case {
        std::u16string text;
        MenuTitle expected;
    } cases[] = {
        {u"Quit Zerarazi\tcmd+q", {u"Quit Zerarazi", u"q", cmd}},
        {u"Quit Zerarazi\tCMD+Q", {u"Quit Zerarazi", u"q", cmd}},
        {u"Quit Zerarazi\tCmd+Q", {u"Quit Zerarazi", u"q", cmd}},
        {u"Reload\tCMD+SHIFT+F5", {u"Reload", u"\uF708", cmd | shift}},
        {u"First\tf1", {u"First", u"\uF704", 0}},
        {u"Last\tF12", {u"Last", u"\uF70F", 0}},
        {u"Beyond\tF13", {u"Beyond", u"f13", 0}},
        {u"Odd\tCtrl+Alt+X", {u"Odd", u"x", ctrl | alt}},
        {u"Twice\tcmd+cmd+k", {u"Twice", u"k", cmd}},
        {u"Last key wins\ta+cmd+b", {u"Last key wins", u"b", cmd}},
        {u"Second tab\tcmd+g\tcmd+shift+h", {u"Second tab", u"g", cmd}},
        {u"Modifiers only\tshift", {u"Modifiers only", u"", shift}},
        {u"Empty shortcut\t", {u"Empty shortcut", u"", 0}},
        {u"Comma\tcmd+,", {u"Comma", u",", cmd}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse_menu_title(c.text), c.expected) << printable(c.text);
}

TEST(MenuTitle, DropsEveryAmpersandBeforeSplitting) {
    struct Case {
        std::u16string text;
        MenuTitle expected;
    } cases[] = {
        {u"Save &As...", {u"Save As...", u"", 0}},
        {u"&&Both&", {u"Both", u"", 0}},
        {u"&Open\t&Cmd+&O", {u"Open", u"o", cmd}},
        {u"&", {u"", u"", 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse_menu_title(c.text), c.expected) << printable(c.text);
}

TEST(MenuTitle, AnEmptyTextGivesAnEmptyTitle) {
    EXPECT_EQ(parse_menu_title(u""), (MenuTitle{}));
}

} // namespace

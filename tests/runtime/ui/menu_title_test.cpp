#include "runtime/ui/menu_title.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using namespace rt;

// A parsed title as "title|key|modifier mask in hex", non-ASCII units as \uXXXX.
std::string shown(const MenuTitle& title) {
    std::string text;
    for (std::u16string_view part : {std::u16string_view(title.title), std::u16string_view(u"|"),
                                     std::u16string_view(title.key_equivalent)}) {
        for (char16_t unit : part) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
            text += unit >= 0x20 && unit < 0x7F ? std::string(1, static_cast<char>(unit)) : escaped;
        }
    }
    char mask[24];
    std::snprintf(mask, sizeof mask, "|%llx", static_cast<unsigned long long>(title.modifier_mask));
    return text + mask;
}

TEST(MenuTitle, SplitsTheTitleFromItsShortcutTextAfterDroppingEveryAmpersand) {
    const struct {
        std::u16string text;
        const char* expected;
    } cases[] = {
        {u"Quit Zerarazi\tcmd+q", "Quit Zerarazi|q|100000"},
        {u"Quit Zerarazi\tCMD+Q", "Quit Zerarazi|q|100000"},
        {u"Quit Zerarazi\tCmd+Q", "Quit Zerarazi|q|100000"},
        {u"Reload\tCMD+SHIFT+F5", "Reload|\\uF708|120000"},
        {u"First\tf1", "First|\\uF704|0"},
        {u"Last\tF12", "Last|\\uF70F|0"},
        {u"Beyond\tF13", "Beyond|f13|0"},
        {u"Odd\tCtrl+Alt+X", "Odd|x|c0000"},
        {u"Twice\tcmd+cmd+k", "Twice|k|100000"},
        {u"Last key wins\ta+cmd+b", "Last key wins|b|100000"},
        {u"Second tab\tcmd+g\tcmd+shift+h", "Second tab|g|100000"},
        {u"Modifiers only\tshift", "Modifiers only||20000"},
        {u"Empty shortcut\t", "Empty shortcut||0"},
        {u"Comma\tcmd+,", "Comma|,|100000"},
        {u"Save &As...", "Save As...||0"},
        {u"&&Both&", "Both||0"},
        {u"&Open\t&Cmd+&O", "Open|o|100000"},
        {u"&", "||0"},
        {u"", "||0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(parse_menu_title(c.text)), c.expected) << c.expected;
}

} // namespace

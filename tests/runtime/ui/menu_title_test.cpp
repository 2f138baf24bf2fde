#include "runtime/ui/menu_title.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using namespace rt;

// A parsed title as "title|key|modifier mask in hex".
std::u16string shown(const MenuTitle& title) {
    char mask[24];
    std::snprintf(mask, sizeof mask, "|%llx", static_cast<unsigned long long>(title.modifier_mask));
    return title.title + u"|" + title.key_equivalent +
           std::u16string(mask, mask + std::strlen(mask));
}

TEST(MenuTitle, SplitsTheTitleFromItsShortcutTextAfterDroppingEveryAmpersand) {
    const struct {
        std::u16string text;
        std::u16string expected;
    } cases[] = {
        {u"Quit Zerarazi\tcmd+q", u"Quit Zerarazi|q|100000"},
        {u"Quit Zerarazi\tCMD+Q", u"Quit Zerarazi|q|100000"},
        {u"Reload\tCMD+SHIFT+F5", u"Reload|\uF708|120000"},
        {u"First\tf1", u"First|\uF704|0"},
        {u"Last\tF12", u"Last|\uF70F|0"},
        {u"Beyond\tF13", u"Beyond|f13|0"},
        {u"Odd\tCtrl+Alt+X", u"Odd|x|c0000"},
        {u"Twice\tcmd+cmd+k", u"Twice|k|100000"},
        {u"Last key wins\ta+cmd+b", u"Last key wins|b|100000"},
        {u"Second tab\tcmd+g\tcmd+shift+h", u"Second tab|g|100000"},
        {u"Modifiers only\tshift", u"Modifiers only||20000"},
        {u"Empty shortcut\t", u"Empty shortcut||0"},
        {u"Comma\tcmd+,", u"Comma|,|100000"},
        {u"Save &As...", u"Save As...||0"},
        {u"&&Both&", u"Both||0"},
        {u"&Open\t&Cmd+&O", u"Open|o|100000"},
        {u"&", u"||0"},
        {u"", u"||0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(parse_menu_title(c.text)), c.expected);
}

} // namespace

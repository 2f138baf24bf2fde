#include "app/status_item.h"

#include "runtime/core/temp_area.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(ShortcutLabel, PutsAPlusAfterEachSymbolAndNamesTheSymbols) {
    rt::InitStrings();
    struct Row {
        const char16_t* symbols;
        const char* label;
    };
    const Row rows[] = {
        {u"⌘I", "Cmd+I"},
        {u"⌘Q", "Cmd+Q"},
        {u"⇧⌘Z", "Shift+Cmd+Z"},
        {u"⌃⌥⌘K", "Ctrl+Alt+Cmd+K"},
        // Other lengths get no "+", only the names.
        {u"I", "I"},
        {u"⌃⌥⇧⌘K", "CtrlAltShiftCmdK"},
        {u"", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ShortcutLabel(row.symbols).utf8(), row.label) << rt::String(row.symbols).utf8();
}

} // namespace
} // namespace app

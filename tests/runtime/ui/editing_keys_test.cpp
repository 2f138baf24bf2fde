#include "runtime/ui/editing_keys.h"

#include <gtest/gtest.h>

#include <string>

namespace rt {
namespace {

TEST(EditingKeys, FindsTheActionOfCommandKeysOnKeyDown) {
    constexpr uint64_t command = 0x100000, shift = 0x20000, option = 0x80000;
    const struct {
        int64_t type;
        uint64_t modifiers;
        std::u16string characters;
        const char* action; // "" for none
        bool passed_on;
    } cases[] = {
        {10, command, u"c", "copy:", false},
        {10, command, u"z", "undo:", true},
        {10, command | shift, u"z", "redo:", false},
        // Device-dependent bits below the mask and bits above 32 do not count.
        {10, command | 0x108 | (uint64_t{1} << 40), u"c", "copy:", false},
        {10, command | shift, u"c", "", false},
        {10, command | option, u"z", "", false},
        {10, command, u"Z", "", false},
        {10, 0, u"x", "", false},
        {11, command, u"x", "", false},
    };
    for (const auto& c : cases) {
        const EditingKey* key = find_editing_key(c.type, c.modifiers, c.characters);
        const std::string action = key ? std::string(key->action) : "";
        EXPECT_EQ(action, c.action) << "modifiers " << std::hex << c.modifiers;
        if (key) {
            EXPECT_EQ(key->always_passed_on, c.passed_on) << action;
        }
    }
}

} // namespace
} // namespace rt

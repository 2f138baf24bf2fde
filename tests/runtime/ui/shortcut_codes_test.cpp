#include "runtime/ui/shortcut_codes.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace rt;

// The window system's modifier flags.
constexpr uint64_t flag_shift = 1 << 17;
constexpr uint64_t flag_control = 1 << 18;
constexpr uint64_t flag_option = 1 << 19;
constexpr uint64_t flag_command = 1 << 20;

TEST(ShortcutCodes, ShiftChangesOnlyLettersAndAFewMarks) {
    const std::tuple<char16_t, char16_t> cases[] = {
        {u'\t', 25},  {u'+', u'*'}, {u',', u';'}, {u'-', u'_'}, {u'.', u':'}, {u'a', u'A'},
        {u'z', u'Z'}, {u'A', u'A'}, {u'1', u'1'}, {u'/', u'/'}, {u'`', u'`'}, {u'{', u'{'},
    };
    for (const auto& [plain, shifted] : cases)
        EXPECT_EQ(shifted_shortcut_character(plain), shifted)
            << "plain 0x" << std::hex << static_cast<unsigned>(plain);
}

TEST(ShortcutCodes, TranslatesACodeIntoWhatAKeyDownIsComparedWith) {
    // 524393 is the indicator's Command+I; bits above the modifiers (0x100000) are no modifier.
    struct Case {
        uint32_t code;
        ShortcutPattern expected;
    } cases[] = {
        {524393, {ShortcutCommand, u'i', 0}},
        {ShortcutCommand | ShortcutShift | u'i', {ShortcutCommand | ShortcutShift, u'I', 0}},
        {ShortcutCommand | 49, {ShortcutCommand, 0, 18}},
        {ShortcutControl | ShortcutKeyF12, {ShortcutControl, 0, 111}},
        {0x100000 | u'q', {0, u'q', 0}}};
    const Case plain[] = {{8, {0, 127, 0}},    {27, {0, 27, 0}},   {28, {0, 0xF702, 0}},
                          {48, {0, 0, 29}},    {53, {0, 0, 23}},   {130, {0, u'0', 0}},
                          {139, {0, u'9', 0}}, {140, {0, 140, 0}}, {ShortcutKeyF1, {0, 0, 122}}};
    for (std::span<const Case> table :
         {std::span<const Case>(cases), std::span<const Case>(plain)}) {
        for (const Case& c : table)
            EXPECT_EQ(shortcut_pattern(c.code), c.expected) << "code " << c.code;
    }
    // Every main-row digit and function key is matched by its own key code alone.
    const uint32_t function_keys[] = {ShortcutKeyF1,  ShortcutKeyF2,  ShortcutKeyF3,
                                      ShortcutKeyF4,  ShortcutKeyF5,  ShortcutKeyF6,
                                      ShortcutKeyF7,  ShortcutKeyF8,  ShortcutKeyF9,
                                      ShortcutKeyF10, ShortcutKeyF11, ShortcutKeyF12};
    std::vector<uint32_t> keys(std::begin(function_keys), std::end(function_keys));
    for (uint32_t digit = 48; digit <= 57; ++digit)
        keys.push_back(digit);
    std::set<uint32_t> key_codes;
    for (uint32_t key : keys) {
        const ShortcutPattern pattern = shortcut_pattern(key);
        EXPECT_EQ(pattern.character, 0) << key;
        key_codes.insert(pattern.key_code);
    }
    EXPECT_EQ(key_codes.size(), 22u);
    EXPECT_FALSE(key_codes.contains(0));
}

TEST(ShortcutCodes, MapsEventFlagsToShortcutBits) {
    const std::tuple<uint64_t, uint32_t> cases[] = {
        {0, 0},
        {flag_control, ShortcutControl},
        {flag_shift, ShortcutShift},
        {flag_command, ShortcutCommand},
        {flag_option, ShortcutOption},
        {flag_control | flag_shift | flag_command | flag_option, ShortcutModifiers},
        {flag_command | (1 << 16) | (1 << 23), ShortcutCommand}}; // caps lock, function key
    for (const auto& [flags, bits] : cases)
        EXPECT_EQ(shortcut_modifiers_of_event_flags(flags), bits) << "flags " << flags;
}

TEST(ShortcutCodes, MatchesModifiersExactlyAndThenTheKey) {
    const std::tuple<const char*, uint32_t, uint64_t, uint16_t, std::u16string, bool> cases[] = {
        {"command i", 524393, flag_command, 34, u"i", true},
        {"command shift i", 524393, flag_command | flag_shift, 34, u"i", false},
        {"plain i", 524393, 0, 34, u"i", false},
        {"command j", 524393, flag_command, 38, u"j", false},
        {"two characters", 524393, flag_command, 34, u"ii", false},
        {"no characters", 524393, flag_command, 34, u"", false},
        {"shifted letter", ShortcutCommand | ShortcutShift | u'i', flag_command | flag_shift, 34,
         u"I", true},
        {"return", 13, 0, 36, u"\r", true},
        {"keypad enter as return", 13, 0, 76, u"\x03", true},
        {"f5 by key code", ShortcutKeyF5, 0, 96, u"\uF708", true},
        {"f6 is not f5", ShortcutKeyF5, 0, 97, u"\uF709", false},
        {"digit by key code", ShortcutShift | u'1', flag_shift, 18, u"!", true},
        {"digit on another key", u'1', 0, 83, u"1", false},
        {"typed digit", 131, 0, 83, u"1", true},
    };
    for (const auto& [name, code, flags, key_code, characters, matches] : cases)
        EXPECT_EQ(shortcut_pattern_matches(shortcut_pattern(code), flags, key_code, characters),
                  matches)
            << name;
}

} // namespace

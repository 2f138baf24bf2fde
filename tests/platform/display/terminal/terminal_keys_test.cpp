#include "platform/display/terminal/terminal_keys.h"

#include <gtest/gtest.h>

namespace {

std::string describe(const std::vector<Key>& keys) {
    static const char* const names[] = {"char", "enter", "esc",   "bs",  "up",
                                        "down", "left",  "right", "eof", "other"};
    std::string text;
    for (const auto& key : keys) {
        text += names[static_cast<int>(key.kind)];
        if (key.kind == KeyKind::character) text += ":" + key.text;
        text += " ";
    }
    return text;
}

} // namespace

TEST(TerminalKeys, DecodesTheBytesOfOneReadIntoKeys) {
    struct Row {
        std::string bytes;
        std::string expected;
    };
    const Row rows[] = {
        {"3", "char:3 "},
        {"12q", "char:1 char:2 char:q "},
        {"\n", "enter "},
        {"\r\n", "enter "},
        {"\n\n", "enter enter "},
        {"\x1b", "esc "},
        {"\0333", "esc char:3 "},
        {"\x1b[A\x1b[B\x1b[C\x1b[D", "up down right left "},
        {"\x1bOA", "up "},
        {"\x1b[1;5A", "other "}, // Control-Up: a sequence, not the letters it is made of
        {"\x1b[15~m", "other char:m "},
        {"\x1b[", "other "}, // unfinished sequence at the end of a read
        {"\x7f\b", "bs bs "},
        {"\x04", "eof "},
        {"é⌘", "char:é char:⌘ "},
        {"\xe2\x8c", "char:\xe2\x8c "}, // a character cut short keeps its bytes
    };
    for (const auto& row : rows)
        EXPECT_EQ(describe(decode_keys(row.bytes)), row.expected) << "bytes: " << row.bytes;
}

#include "runtime/ui/next_key_window.h"

#include <gtest/gtest.h>

#include <vector>

namespace rt {
namespace {

// Windows are named by letters; an upper-case letter is a visible window, lower-case a hidden
// one. The closing window is C and the walk is in table order.
struct KeyWindowCase {
    const char* table;
    char previous_key; // 0: none
    char expected;     // 0: no choice
};

char choose(const KeyWindowCase& c, std::vector<char>& names) {
    std::vector<KeyWindowCandidate> windows;
    for (const char* at = c.table; *at; ++at)
        names.push_back(static_cast<char>(*at & ~0x20));
    for (size_t i = 0; c.table[i]; ++i)
        windows.push_back({&names[i], c.table[i] >= 'A' && c.table[i] <= 'Z'});
    // A previous key window that is not in the table has closed since.
    static const char closed_window = '?';
    const void* previous = c.previous_key ? &closed_window : nullptr;
    for (const char& name : names)
        if (name == c.previous_key) previous = &name;
    const void* closing = nullptr;
    for (const char& name : names)
        if (name == 'C') closing = &name;
    const void* chosen = choose_next_key_window(windows, closing, previous);
    return chosen ? *static_cast<const char*>(chosen) : 0;
}

TEST(NextKeyWindow, PrefersThePreviousKeyWindowWhileItIsOpenAndVisible) {
    const KeyWindowCase cases[] = {
        {"ABC", 'B', 'B'}, // still open and visible
        {"AbC", 'B', 'A'}, // hidden: the first visible window met before it
        {"aBC", 'A', 0},   // hidden and nothing visible before it
        {"CaD", 'B', 'D'}, // closed: the first visible window of all
        {"CDE", 0, 0},     // the closing window had no previous key window
        {"Cab", 'Z', 0},   // nothing visible but the closing window
        {"CAB", 'C', 'A'}, // the closing window itself is never chosen
    };
    for (const KeyWindowCase& c : cases) {
        std::vector<char> names;
        names.reserve(8);
        EXPECT_EQ(choose(c, names), c.expected) << c.table << " previous " << c.previous_key;
    }
}

} // namespace
} // namespace rt

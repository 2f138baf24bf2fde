#pragma once
// Compact views of driver output lines, so that a check compares one readable text.

#include "tests/e2e/json_line.h"

#include <map>
#include <string>
#include <vector>

namespace e2e {

// A menu line's items as "1 Currently on AC Power (disabled) | - | 3 Show ... cmd+i | ...".
std::string menu_summary(const JsonValue& menu);

// The check boxes of a window line, gadget number to state.
std::map<int, int> checkbox_states(const JsonValue& window);

// The "t" of every line of that event, in order.
std::vector<int64_t> times_of(const std::vector<JsonValue>& events);

} // namespace e2e

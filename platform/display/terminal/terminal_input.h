#pragma once
// What a key press means, given what the terminal shows: it may open or close the status menu,
// add a digit to a number being typed, or produce input for the model. A number is taken as soon
// as no other choice on screen begins with the digits typed (so "3" chooses at once while "1" may
// still become "11"); Return takes the digits typed as they stand.

#include "platform/display/display_input.h"
#include "platform/display/terminal/terminal_keys.h"
#include "platform/display/terminal/terminal_state.h"

#include <optional>
#include <span>
#include <string_view>

struct KeyOutcome {
    std::optional<Input> input; // for the model; alert_answer only while an alert is shown
    bool refused = false;       // the key could not be carried out (the display beeps)
};

// Carries out `key` on `state`: opens or closes the menu, collects digits, sets the note.
KeyOutcome handle_key(TerminalState& state, const Key& key);

enum class NumberMatch : uint8_t { incomplete, chosen, none };

// Matches the digits `typed` against `numbers`. With `complete` (Return pressed) only an exact
// match chooses; otherwise an exact match chooses when no other number begins with `typed`.
NumberMatch match_number(std::string_view typed, std::span<const int> numbers, bool complete,
                         int& chosen);

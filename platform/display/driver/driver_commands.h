#pragma once
// The driver's input language: one command per line, parsed into a DriverCommand. Parsing checks
// only the form of a line; whether the command can be carried out (an enabled item, a visible
// window) is decided by the display that runs it.

#include "platform/display/display_snapshots.h"
#include "platform/display/keyboard.h"
#include "platform/iokit/battery_edit.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class CommandKind : uint8_t {
    advance,
    menu,
    key,
    click,
    close,
    answer,
    sleep,
    wake,
    terminate,
    screens,
    mouse,
    battery_set,
    battery_unset,
    power_set,
    power_unset,
    battery_remove,
    dump,
    history,
    choose,
};

// Only the members that belong to `kind` are meaningful.
struct DriverCommand {
    CommandKind kind = CommandKind::dump;
    int64_t milliseconds = 0;        // advance
    int number = 0;                  // menu item, gadget, button, or window of close
    int window = 0;                  // key
    int item = 0;                    // choose (the gadget is `number`)
    KeyPress key;                    // key
    std::vector<ScreenRect> screens; // screens, main screen first
    ScreenPoint point;               // mouse
    PropertyChange property;         // battery_*, power_*
    bool operator==(const DriverCommand&) const = default;
};

struct ParsedLine {
    enum class Outcome : uint8_t { command, ignored, error } outcome = Outcome::ignored;
    DriverCommand command;
    std::string message; // why the line is an error
};

// Blank lines and lines whose first non-blank character is '#' are ignored. A trailing CR is
// dropped, so files with CRLF line ends read the same.
ParsedLine parse_driver_command(std::string_view line);

// True for the commands a person can still give while a modal alert holds the screen.
bool accepted_during_alert(CommandKind kind);

// The command's first word, as typed ("advance", "battery set").
std::string_view command_name(CommandKind kind);

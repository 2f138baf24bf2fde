#pragma once
// What a display hands the model from wait_for_input(): one small value per kind of input.

#include "platform/display/keyboard.h"
#include "platform/iokit/battery_edit.h"

#include <variant>

struct Timeout { // the deadline was reached
    bool operator==(const Timeout&) const = default;
};
struct EndOfInput { // no more input will come
    bool operator==(const EndOfInput&) const = default;
};
struct MenuChoice { // an enabled item of the status menu
    int item = 0;
    bool operator==(const MenuChoice&) const = default;
};
struct KeyInput { // a key pressed in a window
    int window = 0;
    KeyPress key;
    bool operator==(const KeyInput&) const = default;
};
struct ControlClick { // a control of a visible window
    int window = 0;
    int control = 0;
    bool operator==(const ControlClick&) const = default;
};
struct ControlChoice { // an item of a choice in a visible window
    int window = 0;
    int control = 0;
    int item = 0;
    bool operator==(const ControlChoice&) const = default;
};
struct CloseRequest { // a window's close button was pressed
    int window = 0;
    bool operator==(const CloseRequest&) const = default;
};
struct SystemSleep { // the system is about to sleep
    bool operator==(const SystemSleep&) const = default;
};
struct SystemWake { // the system woke
    bool operator==(const SystemWake&) const = default;
};
struct TerminateRequest { // the system asks the application to terminate
    bool operator==(const TerminateRequest&) const = default;
};
struct ScreensChanged { // screens() has new contents
    bool operator==(const ScreensChanged&) const = default;
};
struct BatteryEdit { // a change to the recorded battery (driver only)
    PropertyChange change;
    bool operator==(const BatteryEdit&) const = default;
};
struct AlertAnswer { // the button pressed; seen only inside Display::run_alert()
    int button = 0;
    bool operator==(const AlertAnswer&) const = default;
};

using Input = std::variant<Timeout, EndOfInput, MenuChoice, KeyInput, ControlClick, ControlChoice,
                           CloseRequest, SystemSleep, SystemWake, TerminateRequest, ScreensChanged,
                           BatteryEdit, AlertAnswer>;

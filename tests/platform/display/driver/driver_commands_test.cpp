#include "platform/display/driver/driver_commands.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t cmd = static_cast<uint8_t>(KeyModifier::command);
constexpr uint8_t shift = static_cast<uint8_t>(KeyModifier::shift);
constexpr uint8_t alt = static_cast<uint8_t>(KeyModifier::alternate);
constexpr uint8_t ctrl = static_cast<uint8_t>(KeyModifier::control);

using K = CommandKind;
using Screens = std::vector<ScreenRect>;

DriverCommand command(K kind) {
    DriverCommand made;
    made.kind = kind;
    return made;
}

template <class Value>
DriverCommand command(K kind, Value DriverCommand::*member, Value value) {
    DriverCommand made = command(kind);
    made.*member = std::move(value);
    return made;
}

DriverCommand key(int window, uint8_t modifiers, std::string name) {
    DriverCommand made = command(K::key, &DriverCommand::key, KeyPress{modifiers, std::move(name)});
    made.window = window;
    return made;
}

DriverCommand choose(int gadget, int item) {
    DriverCommand made = command(K::choose, &DriverCommand::number, gadget);
    made.item = item;
    return made;
}

DriverCommand property(K kind, PropertyTarget target, PropertyAction action, std::string name,
                       PropertyValue value = {}) {
    return command(kind, &DriverCommand::property, PropertyChange{target, action, name, value});
}

PropertyValue integer(int64_t value) {
    return {PropertyValue::Kind::integer, value, false, {}};
}

std::string describe(const ParsedLine& parsed) {
    switch (parsed.outcome) {
    case ParsedLine::Outcome::ignored:
        return "ignored";
    case ParsedLine::Outcome::error:
        return "error: " + parsed.message;
    case ParsedLine::Outcome::command:
        break;
    }
    return "command";
}

} // namespace

TEST(DriverCommands, ParsesEveryCommandOfTheProtocol) {
    using T = PropertyTarget;
    using A = PropertyAction;
    struct Case {
        std::string line;
        DriverCommand command;
    };
    const Case cases[] = {
        {"advance 10000", command(K::advance, &DriverCommand::milliseconds, int64_t{10000})},
        {"advance 9223372036854775807",
         command(K::advance, &DriverCommand::milliseconds, INT64_MAX)},
        {"  advance\t5 \r", command(K::advance, &DriverCommand::milliseconds, int64_t{5})},
        {"menu -4", command(K::menu, &DriverCommand::number, -4)},
        {"key 1 cmd+shift+z", key(1, cmd | shift, "z")},
        {"key 2 ctrl+ALT+shift+cmd+F5", key(2, cmd | shift | alt | ctrl, "f5")},
        {"key 0 CMD+Q", key(0, cmd, "Q")},
        {"key 0 cmd++", key(0, cmd, "+")},
        {"key 0 +", key(0, 0, "+")},
        {"key 0 alt+\xC3\xA9", key(0, alt, "\xC3\xA9")},
        {"close 1", command(K::close, &DriverCommand::number, 1)},
        {"click 5", command(K::click, &DriverCommand::number, 5)},
        {"choose 4 2", choose(4, 2)},
        {"sleep", command(K::sleep)},
        {"wake", command(K::wake)},
        {"dump", command(K::dump)},
        {"history", command(K::history)},
        {" history \r", command(K::history)},
        {"screens 1920x1080 1280x1024",
         command(K::screens, &DriverCommand::screens,
                 Screens{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}})},
        {"screens 1920x1080+0+0 1280\xC3\x97"
         "1024-1280+56",
         command(K::screens, &DriverCommand::screens,
                 Screens{{0, 0, 1920, 1080}, {-1280, 56, 1280, 1024}})},
        {"mouse 100 -20", command(K::mouse, &DriverCommand::point, ScreenPoint{100, -20})},
        {"battery set Temperature -5",
         property(K::battery_set, T::battery, A::set, "Temperature", integer(-5))},
        {"battery set IsCharging true", property(K::battery_set, T::battery, A::set, "IsCharging",
                                                 {PropertyValue::Kind::boolean, 0, true, {}})},
        {R"(battery set DeviceName "bq20z451 \"x\" \u00e9" )",
         property(K::battery_set, T::battery, A::set, "DeviceName",
                  {PropertyValue::Kind::string, 0, false, "bq20z451 \"x\" \xC3\xA9"})},
        {"battery unset MaxCapacity",
         property(K::battery_unset, T::battery, A::unset, "MaxCapacity")},
        {"power set Type 3", property(K::power_set, T::power, A::set, "Type", integer(3))},
        {"power unset Time", property(K::power_unset, T::power, A::unset, "Time")},
        {"battery remove", property(K::battery_remove, T::battery, A::remove, "")}};
    for (const auto& c : cases) {
        ParsedLine parsed = parse_driver_command(c.line);
        EXPECT_EQ(describe(parsed), "command") << c.line;
        EXPECT_EQ(parsed.command, c.command) << c.line;
    }
}

TEST(DriverCommands, IgnoresBlankLinesAndRejectsMalformedOnesWithAMessage) {
    struct Case {
        std::string line;
        std::string message;
    };
    const Case cases[] = {
        {"", ""},
        {"   # indented comment", ""},
        {"advance", "missing MS"},
        {"advance -1", "MS out of range: -1"},
        {"advance +5", "MS is not a number: +5"},
        {"advance 5 6", "unexpected text: 6"},
        {"menu", "missing N"},
        {"menu 2147483648", "N out of range: 2147483648"},
        {"key", "missing WINDOW"},
        {"key 0", "missing SHORTCUT"},
        {"key -1 cmd+i", "WINDOW out of range: -1"},
        {"key 0 cmd+", "bad modifier in shortcut: cmd+"},
        {"key 0 cmd+shift", "bad key in shortcut: cmd+shift"},
        {"key 0 cmd+cmd+i", "bad modifier in shortcut: cmd+cmd+i"},
        {"key 0 cmd++i", "bad modifier in shortcut: cmd++i"},
        {"key 0 cmd+ab", "bad key in shortcut: cmd+ab"},
        {"key 0 cmd+i extra", "unexpected text: extra"},
        {"click -3", "GADGET out of range: -3"},
        {"choose 4", "missing ITEM"},
        {"choose 4 -1", "ITEM out of range: -1"},
        {"choose x 1", "GADGET is not a number: x"},
        {"close 99999999999", "WINDOW out of range: 99999999999"},
        {"answer 0", "B out of range: 0"},
        {"sleep now", "unexpected text: now"},
        {"screens", "missing screen"},
        {"screens 0x900", "bad screen: 0x900"},
        {"screens 1440x900+10", "bad screen: 1440x900+10"},
        {"screens 1440x900+1+2+3", "bad screen: 1440x900+1+2+3"},
        {"screens 99999999999x900", "bad screen: 99999999999x900"},
        {"screens 1440x900+10+0", "the main screen must be at 0,0: 1440x900+10+0"},
        {"mouse 1", "missing Y"},
        {"battery", "unknown command"},
        {"battery set", "missing KEY"},
        {"battery set Voltage", "missing VALUE"},
        {"battery set Voltage 12.5",
         "VALUE must be an integer, true, false or a JSON string: 12.5"},
        {"battery set Name \"open",
         "VALUE must be an integer, true, false or a JSON string: \"open"},
        {"battery set Name \"a\" b",
         "VALUE must be an integer, true, false or a JSON string: \"a\" b"},
        {"battery set Big 9223372036854775808",
         "VALUE must be an integer, true, false or a JSON string: 9223372036854775808"},
        {"battery remove now", "unexpected text: now"},
        {"history last_day", "unexpected text: last_day"},
        {"histories", "unknown command"},
        {"power remove", "unknown command"},
        // A key is one word, so the rest of this line is not one value.
        {R"(power set Power Source State "AC Power")",
         R"(VALUE must be an integer, true, false or a JSON string: Source State "AC Power")"}};
    for (const auto& c : cases)
        EXPECT_EQ(describe(parse_driver_command(c.line)),
                  c.message.empty() ? "ignored" : "error: " + c.message)
            << c.line;
}

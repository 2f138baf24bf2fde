#include "platform/display/driver/driver_commands.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t cmd = static_cast<uint8_t>(KeyModifier::command);
constexpr uint8_t shift = static_cast<uint8_t>(KeyModifier::shift);
constexpr uint8_t alt = static_cast<uint8_t>(KeyModifier::alternate);
constexpr uint8_t ctrl = static_cast<uint8_t>(KeyModifier::control);

DriverCommand command_of(CommandKind kind) {
    DriverCommand command;
    command.kind = kind;
    return command;
}

DriverCommand numbered(CommandKind kind, int number) {
    auto command = command_of(kind);
    command.number = number;
    return command;
}

DriverCommand advance(int64_t ms) {
    auto command = command_of(CommandKind::advance);
    command.milliseconds = ms;
    return command;
}

DriverCommand key(int window, uint8_t modifiers, std::string name) {
    auto command = command_of(CommandKind::key);
    command.window = window;
    command.key = KeyPress{modifiers, std::move(name)};
    return command;
}

DriverCommand screens(std::vector<ScreenRect> rects) {
    auto command = command_of(CommandKind::screens);
    command.screens = std::move(rects);
    return command;
}

DriverCommand mouse(double x, double y) {
    auto command = command_of(CommandKind::mouse);
    command.point = {x, y};
    return command;
}

DriverCommand property(CommandKind kind, PropertyTarget target, PropertyAction action,
                       std::string name, PropertyValue value = {}) {
    auto command = command_of(kind);
    command.property = PropertyChange{target, action, std::move(name), std::move(value)};
    return command;
}

PropertyValue integer(int64_t value) {
    return {PropertyValue::Kind::integer, value, false, {}};
}
PropertyValue boolean(bool value) {
    return {PropertyValue::Kind::boolean, 0, value, {}};
}
PropertyValue string(std::string value) {
    return {PropertyValue::Kind::string, 0, false, value};
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
    return "command " + std::string(command_name(parsed.command.kind));
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
        {"advance 10000", advance(10000)},
        {"advance 0", advance(0)},
        {"advance 9223372036854775807", advance(INT64_MAX)},
        {"  advance\t5  ", advance(5)},
        {"advance 5\r", advance(5)},
        {"menu 3", numbered(CommandKind::menu, 3)},
        {"menu -4", numbered(CommandKind::menu, -4)},
        {"key 0 cmd+i", key(0, cmd, "i")},
        {"key 1 cmd+shift+z", key(1, cmd | shift, "z")},
        {"key 2 ctrl+alt+shift+cmd+F5", key(2, cmd | shift | alt | ctrl, "f5")},
        {"key 0 CMD+Q", key(0, cmd, "Q")},
        {"key 0 cmd++", key(0, cmd, "+")},
        {"key 0 +", key(0, 0, "+")},
        {"key 0 alt+\xC3\xA9", key(0, alt, "\xC3\xA9")},
        {"click 7", numbered(CommandKind::click, 7)},
        {"close 1", numbered(CommandKind::close, 1)},
        {"answer 1", numbered(CommandKind::answer, 1)},
        {"sleep", command_of(CommandKind::sleep)},
        {"wake", command_of(CommandKind::wake)},
        {"terminate", command_of(CommandKind::terminate)},
        {"dump", command_of(CommandKind::dump)},
        {"screens 1440\xC3\x97"
         "900",
         screens({{0, 0, 1440, 900}})},
        {"screens 1920x1080 1280x1024", screens({{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}})},
        {"screens 1920x1080+0+0 1280\xC3\x97"
         "1024-1280+56",
         screens({{0, 0, 1920, 1080}, {-1280, 56, 1280, 1024}})},
        {"mouse 100 -20", mouse(100, -20)},
        {"battery set CurrentCapacity 42",
         property(CommandKind::battery_set, T::battery, A::set, "CurrentCapacity", integer(42))},
        {"battery set Temperature -5",
         property(CommandKind::battery_set, T::battery, A::set, "Temperature", integer(-5))},
        {"battery set IsCharging true",
         property(CommandKind::battery_set, T::battery, A::set, "IsCharging", boolean(true))},
        {R"(battery set DeviceName "bq20z451 \"x\" \u00e9" )",
         property(CommandKind::battery_set, T::battery, A::set, "DeviceName",
                  string("bq20z451 \"x\" \xC3\xA9"))},
        {"battery unset MaxCapacity",
         property(CommandKind::battery_unset, T::battery, A::unset, "MaxCapacity")},
        {"power set Type \"InternalBattery\"",
         property(CommandKind::power_set, T::power, A::set, "Type", string("InternalBattery"))},
        {"power unset Time", property(CommandKind::power_unset, T::power, A::unset, "Time")},
        {"battery remove", property(CommandKind::battery_remove, T::battery, A::remove, "")},
    };
    for (const auto& c : cases) {
        ParsedLine parsed = parse_driver_command(c.line);
        ASSERT_EQ(describe(parsed), "command " + std::string(command_name(c.command.kind)))
            << c.line;
        EXPECT_EQ(parsed.command, c.command) << c.line;
    }
}

// Blank and comment lines are ignored; every other line that is not a command says why.
TEST(DriverCommands, IgnoresBlankLinesAndRejectsMalformedOnesWithAMessage) {
    struct Case {
        std::string line;
        std::string message;
    };
    const Case cases[] = {
        {"", ""},
        {" \t\r", ""},
        {"   # indented comment", ""},
        {"#advance 5", ""},
        {"advance", "missing MS"},
        {"advance -1", "MS out of range: -1"},
        {"advance 9223372036854775808", "MS out of range: 9223372036854775808"},
        {"advance ten", "MS is not a number: ten"},
        {"advance +5", "MS is not a number: +5"},
        {"advance 1.5", "MS is not a number: 1.5"},
        {"advance 5 6", "unexpected text: 6"},
        {"menu", "missing N"},
        {"menu 2147483648", "N out of range: 2147483648"},
        {"key", "missing WINDOW"},
        {"key 0", "missing SHORTCUT"},
        {"key -1 cmd+i", "WINDOW out of range: -1"},
        {"key 0 cmd+", "bad modifier in shortcut: cmd+"},
        {"key 0 cmd+shift", "bad key in shortcut: cmd+shift"},
        {"key 0 meta+i", "bad modifier in shortcut: meta+i"},
        {"key 0 cmd+cmd+i", "bad modifier in shortcut: cmd+cmd+i"},
        {"key 0 cmd++i", "bad modifier in shortcut: cmd++i"},
        {"key 0 cmd+ab", "bad key in shortcut: cmd+ab"},
        {"key 0 cmd+\xFF", "bad key in shortcut: cmd+\xFF"},
        {"key 0 cmd+i extra", "unexpected text: extra"},
        {"click", "missing GADGET"},
        {"click -3", "GADGET out of range: -3"},
        {"close", "missing WINDOW"},
        {"close 99999999999", "WINDOW out of range: 99999999999"},
        {"answer", "missing B"},
        {"answer 0", "B out of range: 0"},
        {"sleep now", "unexpected text: now"},
        {"screens", "missing screen"},
        {"screens 1440", "bad screen: 1440"},
        {"screens 0x900", "bad screen: 0x900"},
        {"screens -1440x900", "bad screen: -1440x900"},
        {"screens 1440x900+10", "bad screen: 1440x900+10"},
        {"screens 1440x900+1+2+3", "bad screen: 1440x900+1+2+3"},
        {"screens 1440x900+a+0", "bad screen: 1440x900+a+0"},
        {"screens 99999999999x900", "bad screen: 99999999999x900"},
        {"screens 1440x900+10+0", "the main screen must be at 0,0: 1440x900+10+0"},
        {"mouse 1", "missing Y"},
        {"mouse x 1", "X is not a number: x"},
        {"battery", "unknown command"},
        {"battery charge", "unknown command"},
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
        {"battery unset", "missing KEY"},
        {"battery remove now", "unexpected text: now"},
        {"power remove", "unknown command"},
        // A key is one word, so the rest of this line is not one value.
        {R"(power set Power Source State "AC Power")",
         R"(VALUE must be an integer, true, false or a JSON string: Source State "AC Power")"},
        {"jump 3", "unknown command"},
        {"Advance 5", "unknown command"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describe(parse_driver_command(c.line)),
                  c.message.empty() ? "ignored" : "error: " + c.message)
            << c.line;
}

TEST(DriverCommands, AcceptsOnlyAnswerAdvanceDumpAndMouseDuringAnAlert) {
    const CommandKind accepted[] = {CommandKind::answer, CommandKind::advance, CommandKind::dump,
                                    CommandKind::mouse};
    for (int i = 0; i <= static_cast<int>(CommandKind::dump); ++i) {
        auto kind = static_cast<CommandKind>(i);
        bool expected =
            std::find(std::begin(accepted), std::end(accepted), kind) != std::end(accepted);
        EXPECT_EQ(accepted_during_alert(kind), expected) << command_name(kind);
    }
}

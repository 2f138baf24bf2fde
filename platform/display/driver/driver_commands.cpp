#include "platform/display/driver/driver_commands.h"

#include "platform/display/driver/json_text.h"

#include <array>
#include <charconv>
#include <limits>
#include <optional>

namespace {

constexpr std::string_view blanks = " \t";
constexpr std::string_view multiplication_sign = "\xC3\x97";

// Words of one line, read left to right; the first failure is kept as the line's message.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : m_rest(text) {}

    std::string_view next_word() {
        skip_blanks();
        size_t end = std::min(m_rest.find_first_of(blanks), m_rest.size());
        auto word = m_rest.substr(0, end);
        m_rest.remove_prefix(end);
        return word;
    }
    std::string_view rest() {
        skip_blanks();
        return m_rest;
    }
    bool at_end() { return rest().empty(); }
    void skip_rest() { m_rest = {}; }

    std::optional<std::string_view> word(std::string_view what) {
        auto found = next_word();
        if (!found.empty()) return found;
        fail("missing " + std::string(what));
        return std::nullopt;
    }
    std::optional<int64_t> integer(std::string_view what, int64_t min, int64_t max);

    void fail(std::string message) {
        if (m_message.empty()) m_message = std::move(message);
    }
    bool failed() const { return !m_message.empty(); }
    const std::string& message() const { return m_message; }

  private:
    void skip_blanks() {
        m_rest.remove_prefix(std::min(m_rest.find_first_not_of(blanks), m_rest.size()));
    }

    std::string_view m_rest;
    std::string m_message;
};

// Reads a decimal integer filling all of `text`; a sign only as a leading '-'.
std::optional<int64_t> to_integer(std::string_view text, bool& out_of_range) {
    int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    out_of_range = error == std::errc::result_out_of_range;
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<int64_t> LineReader::integer(std::string_view what, int64_t min, int64_t max) {
    auto text = word(what);
    if (!text) return std::nullopt;
    bool out_of_range = false;
    auto value = to_integer(*text, out_of_range);
    if (!value && !out_of_range) {
        fail(std::string(what) + " is not a number: " + std::string(*text));
        return std::nullopt;
    }
    if (out_of_range || *value < min || *value > max) {
        fail(std::string(what) + " out of range: " + std::string(*text));
        return std::nullopt;
    }
    return value;
}

constexpr int64_t int_max = std::numeric_limits<int>::max();
constexpr int64_t int_min = std::numeric_limits<int>::min();

// ---- keys ----

std::string lowercase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::optional<KeyModifier> modifier_named(std::string_view name) {
    auto lower = lowercase(name);
    for (const KeyModifierRow& row : key_modifiers) {
        if (row.name == lower) return row.modifier;
    }
    return std::nullopt;
}

std::optional<std::string> key_named(std::string_view name) {
    if (utf8_sequence_length(name) == name.size() && static_cast<unsigned char>(name[0]) >= 0x20 &&
        name[0] != 0x7F)
        return std::string(name);
    auto lower = lowercase(name);
    const KeyRow* row = key_row(lower);
    if (!row || !is_named_key(*row)) return std::nullopt;
    return lower;
}

// "cmd+shift+z": modifiers, each followed by '+', then one key; "cmd++" is Command with '+'.
std::optional<KeyPress> parse_shortcut(std::string_view text, LineReader& reader) {
    // rfind gives npos for a bare key, and npos + 1 wraps to 0.
    size_t key_start = text.ends_with('+') ? text.size() - 1 : text.rfind('+') + 1;
    auto modifiers_text = text.substr(0, key_start);
    KeyPress press;
    while (!modifiers_text.empty()) {
        size_t end = modifiers_text.find('+');
        auto modifier = end == std::string_view::npos
                            ? std::nullopt
                            : modifier_named(modifiers_text.substr(0, end));
        auto bit = modifier ? static_cast<uint8_t>(*modifier) : uint8_t{0};
        if (!modifier || (press.modifiers & bit)) {
            reader.fail("bad modifier in shortcut: " + std::string(text));
            return std::nullopt;
        }
        press.modifiers |= bit;
        modifiers_text.remove_prefix(end + 1);
    }
    auto key_text = text.substr(key_start);
    auto key = key_text.empty() ? std::nullopt : key_named(key_text);
    if (!key) {
        reader.fail("bad key in shortcut: " + std::string(text));
        return std::nullopt;
    }
    press.key = *key;
    return press;
}

// ---- screens ----

std::optional<int64_t> take_signed_part(std::string_view& text) {
    if (text.size() < 2 || (text[0] != '+' && text[0] != '-')) return std::nullopt;
    size_t end = std::min(text.find_first_of("+-", 1), text.size());
    bool out_of_range = false;
    auto value = to_integer(text.substr(1, end - 1), out_of_range);
    if (!value) return std::nullopt;
    bool negative = text[0] == '-';
    text.remove_prefix(end);
    return negative ? -*value : *value;
}

std::optional<ScreenRect> parse_screen(std::string_view text, bool& has_origin) {
    size_t sign = text.find(multiplication_sign);
    size_t sign_length = multiplication_sign.size();
    if (sign == std::string_view::npos) sign = text.find('x'), sign_length = 1;
    if (sign == std::string_view::npos) return std::nullopt;
    auto height_text = text.substr(sign + sign_length);
    size_t height_end = std::min(height_text.find_first_of("+-"), height_text.size());
    bool out_of_range = false;
    auto width = to_integer(text.substr(0, sign), out_of_range);
    auto height = to_integer(height_text.substr(0, height_end), out_of_range);
    if (!width || !height || *width <= 0 || *height <= 0 || *width > int_max || *height > int_max)
        return std::nullopt;
    auto origin_text = height_text.substr(height_end);
    has_origin = !origin_text.empty();
    if (!has_origin)
        return ScreenRect{0, 0, static_cast<double>(*width), static_cast<double>(*height)};
    auto x = take_signed_part(origin_text);
    auto y = take_signed_part(origin_text);
    if (!x || !y || !origin_text.empty() || *x < int_min || *x > int_max || *y < int_min ||
        *y > int_max)
        return std::nullopt;
    return ScreenRect{static_cast<double>(*x), static_cast<double>(*y), static_cast<double>(*width),
                      static_cast<double>(*height)};
}

// A screen given without an origin sits to the right of the one before it.
void parse_screens(LineReader& reader, DriverCommand& command) {
    for (auto word = reader.next_word(); !word.empty(); word = reader.next_word()) {
        bool has_origin = false;
        auto screen = parse_screen(word, has_origin);
        if (!screen) return reader.fail("bad screen: " + std::string(word));
        if (!has_origin && !command.screens.empty())
            screen->x = command.screens.back().x + command.screens.back().width;
        if (command.screens.empty() && (screen->x != 0 || screen->y != 0))
            return reader.fail("the main screen must be at 0,0: " + std::string(word));
        command.screens.push_back(*screen);
    }
    if (command.screens.empty()) reader.fail("missing screen");
}

// ---- properties ----

std::optional<PropertyValue> parse_property_value(std::string_view text) {
    PropertyValue value;
    if (text == "true" || text == "false") {
        value.kind = PropertyValue::Kind::boolean;
        value.boolean = text == "true";
        return value;
    }
    if (text.starts_with('"')) {
        size_t used = 0;
        auto string = read_json_string(text, used);
        if (!string || text.substr(used).find_first_not_of(blanks) != std::string_view::npos)
            return std::nullopt;
        value.kind = PropertyValue::Kind::string;
        value.string = std::move(*string);
        return value;
    }
    bool out_of_range = false;
    auto integer = to_integer(text, out_of_range);
    if (!integer) return std::nullopt;
    value.integer = *integer;
    return value;
}

void parse_property(LineReader& reader, DriverCommand& command, PropertyAction action) {
    command.property.action = action;
    if (action == PropertyAction::remove) return;
    auto key = reader.word("KEY");
    if (!key) return;
    command.property.key = std::string(*key);
    if (action == PropertyAction::unset) return;
    auto text = reader.rest();
    if (text.empty()) return reader.fail("missing VALUE");
    auto value = parse_property_value(text);
    if (!value)
        return reader.fail("VALUE must be an integer, true, false or a JSON string: " +
                           std::string(text));
    command.property.value = std::move(*value);
    reader.skip_rest();
}

// ---- the command table ----

void parse_advance(LineReader& reader, DriverCommand& command) {
    auto ms = reader.integer("MS", 0, std::numeric_limits<int64_t>::max());
    command.milliseconds = ms.value_or(0);
}
void parse_menu(LineReader& reader, DriverCommand& command) {
    command.number = static_cast<int>(reader.integer("N", int_min, int_max).value_or(0));
}
void parse_key(LineReader& reader, DriverCommand& command) {
    command.window = static_cast<int>(reader.integer("WINDOW", 0, int_max).value_or(0));
    auto shortcut = reader.failed() ? std::nullopt : reader.word("SHORTCUT");
    auto press = shortcut ? parse_shortcut(*shortcut, reader) : std::nullopt;
    if (press) command.key = *press;
}
void parse_click(LineReader& reader, DriverCommand& command) {
    command.number = static_cast<int>(reader.integer("GADGET", 0, int_max).value_or(0));
}
void parse_choose(LineReader& reader, DriverCommand& command) {
    parse_click(reader, command);
    command.item = static_cast<int>(reader.integer("ITEM", 0, int_max).value_or(0));
}
void parse_close(LineReader& reader, DriverCommand& command) {
    command.number = static_cast<int>(reader.integer("WINDOW", 0, int_max).value_or(0));
}
void parse_answer(LineReader& reader, DriverCommand& command) {
    command.number = static_cast<int>(reader.integer("B", 1, int_max).value_or(0));
}
void parse_nothing(LineReader&, DriverCommand&) {}
void parse_mouse(LineReader& reader, DriverCommand& command) {
    command.point.x = static_cast<double>(reader.integer("X", int_min, int_max).value_or(0));
    command.point.y = static_cast<double>(reader.integer("Y", int_min, int_max).value_or(0));
}
// The property commands differ only in which dictionary they edit and how.
template <PropertyTarget target, PropertyAction action>
void parse_property_edit(LineReader& reader, DriverCommand& command) {
    command.property.target = target;
    parse_property(reader, command, action);
}

struct CommandEntry {
    std::string_view name; // one or two words
    CommandKind kind;
    bool during_alert;
    void (*parse)(LineReader&, DriverCommand&);
};

constexpr std::array command_table = {
    CommandEntry{"advance", CommandKind::advance, true, parse_advance},
    CommandEntry{"menu", CommandKind::menu, false, parse_menu},
    CommandEntry{"key", CommandKind::key, false, parse_key},
    CommandEntry{"click", CommandKind::click, false, parse_click},
    CommandEntry{"close", CommandKind::close, false, parse_close},
    CommandEntry{"answer", CommandKind::answer, true, parse_answer},
    CommandEntry{"sleep", CommandKind::sleep, false, parse_nothing},
    CommandEntry{"wake", CommandKind::wake, false, parse_nothing},
    CommandEntry{"terminate", CommandKind::terminate, false, parse_nothing},
    CommandEntry{"screens", CommandKind::screens, false, parse_screens},
    CommandEntry{"mouse", CommandKind::mouse, true, parse_mouse},
    CommandEntry{"battery set", CommandKind::battery_set, false,
                 parse_property_edit<PropertyTarget::battery, PropertyAction::set>},
    CommandEntry{"battery unset", CommandKind::battery_unset, false,
                 parse_property_edit<PropertyTarget::battery, PropertyAction::unset>},
    CommandEntry{"power set", CommandKind::power_set, false,
                 parse_property_edit<PropertyTarget::power, PropertyAction::set>},
    CommandEntry{"power unset", CommandKind::power_unset, false,
                 parse_property_edit<PropertyTarget::power, PropertyAction::unset>},
    CommandEntry{"battery remove", CommandKind::battery_remove, false,
                 parse_property_edit<PropertyTarget::battery, PropertyAction::remove>},
    CommandEntry{"dump", CommandKind::dump, true, parse_nothing},
    CommandEntry{"history", CommandKind::history, true, parse_nothing},
    CommandEntry{"choose", CommandKind::choose, false, parse_choose},
};

constexpr bool table_follows_kinds() {
    for (size_t i = 0; i < command_table.size(); ++i) {
        if (static_cast<size_t>(command_table[i].kind) != i) return false;
    }
    return command_table.size() == static_cast<size_t>(CommandKind::choose) + 1;
}
static_assert(table_follows_kinds(), "command_table is indexed by CommandKind");

const CommandEntry& entry_for(CommandKind kind) {
    return command_table[static_cast<size_t>(kind)];
}

const CommandEntry* find_entry(LineReader& reader) {
    auto first = reader.next_word();
    for (const auto& entry : command_table) {
        if (entry.name == first) return &entry;
    }
    if (first != "battery" && first != "power") return nullptr;
    auto name = std::string(first) + " " + std::string(reader.next_word());
    for (const auto& entry : command_table) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

bool is_ignored(std::string_view line) {
    size_t first = line.find_first_not_of(blanks);
    return first == std::string_view::npos || line[first] == '#';
}

ParsedLine error_line(std::string message) {
    return ParsedLine{ParsedLine::Outcome::error, {}, std::move(message)};
}

} // namespace

ParsedLine parse_driver_command(std::string_view line) {
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (is_ignored(line)) return ParsedLine{};
    LineReader reader(line);
    const CommandEntry* entry = find_entry(reader);
    if (!entry) return error_line("unknown command");
    ParsedLine parsed{ParsedLine::Outcome::command, {}, {}};
    parsed.command.kind = entry->kind;
    entry->parse(reader, parsed.command);
    if (!reader.failed() && !reader.at_end())
        reader.fail("unexpected text: " + std::string(reader.rest()));
    if (reader.failed()) return error_line(reader.message());
    return parsed;
}

bool accepted_during_alert(CommandKind kind) {
    return entry_for(kind).during_alert;
}

std::string_view command_name(CommandKind kind) {
    return entry_for(kind).name;
}

#pragma once
// A small reader for the one-object-per-line JSON that the driver display prints.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace e2e {

struct JsonValue {
    enum class Kind { null, boolean, number, string, array, object };

    Kind kind = Kind::null;
    std::string text{}; // a string decoded, a number as written, "true" or "false"
    std::vector<JsonValue> items{};
    std::vector<std::pair<std::string, JsonValue>> fields{};

    // The named field of an object; null when absent or when this is not an object.
    const JsonValue* field(std::string_view name) const;
    bool has(std::string_view name) const { return field(name) != nullptr; }
    // The field as a string, an integer or a bool; empty when absent or of another kind.
    std::optional<std::string> string(std::string_view name) const;
    std::optional<int64_t> integer(std::string_view name) const;
    std::optional<bool> boolean(std::string_view name) const;
    std::string event() const { return string("event").value_or(""); }
};

// Parses one complete JSON text; empty on any syntax error or trailing characters.
std::optional<JsonValue> parse_json(std::string_view text);

} // namespace e2e

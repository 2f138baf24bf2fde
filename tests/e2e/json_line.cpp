#include "tests/e2e/json_line.h"

#include "platform/display/driver/json_text.h"

#include <charconv>

namespace e2e {

namespace {

// Values by recursive descent; string literals are read by the driver's own reader, which the
// platform tests check against hostile input.
class JsonParser {
  public:
    explicit JsonParser(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> parse_document() {
        auto value = parse_value();
        skip_blanks();
        return value && m_at == m_text.size() ? value : std::nullopt;
    }

  private:
    std::optional<JsonValue> parse_value() {
        skip_blanks();
        const std::string_view rest = m_text.substr(m_at);
        if (rest.starts_with('{') || rest.starts_with('[')) return parse_container(rest[0] == '{');
        if (rest.starts_with('"')) {
            auto text = parse_string();
            if (!text) return std::nullopt;
            return JsonValue{.kind = JsonValue::Kind::string, .text = std::move(*text)};
        }
        for (auto [word, kind] : {std::pair{"true", JsonValue::Kind::boolean},
                                  {"false", JsonValue::Kind::boolean},
                                  {"null", JsonValue::Kind::null}}) {
            if (!rest.starts_with(word)) continue;
            m_at += std::string_view(word).size();
            return JsonValue{.kind = kind, .text = word};
        }
        const size_t length = std::min(rest.find_first_not_of("+-0123456789.eE"), rest.size());
        m_at += length;
        if (length == 0) return std::nullopt;
        return JsonValue{.kind = JsonValue::Kind::number,
                         .text = std::string(rest.substr(0, length))};
    }

    // An object's fields or an array's items, each after a comma but the first.
    std::optional<JsonValue> parse_container(bool object) {
        JsonValue container{.kind = object ? JsonValue::Kind::object : JsonValue::Kind::array};
        const char close = object ? '}' : ']';
        ++m_at;
        if (take(close)) return container;
        do {
            std::optional<std::string> name;
            if (object) {
                skip_blanks();
                name = parse_string();
                if (!name || !take(':')) return std::nullopt;
            }
            auto value = parse_value();
            if (!value) return std::nullopt;
            if (object) container.fields.emplace_back(std::move(*name), std::move(*value));
            if (!object) container.items.push_back(std::move(*value));
        } while (take(','));
        return take(close) ? std::optional(container) : std::nullopt;
    }

    std::optional<std::string> parse_string() {
        size_t used = 0;
        auto text = read_json_string(m_text.substr(m_at), used);
        m_at += used;
        return text;
    }

    void skip_blanks() {
        m_at = std::min(m_text.find_first_not_of(" \t\r\n", m_at), m_text.size());
    }
    bool take(char c) {
        skip_blanks();
        if (m_at >= m_text.size() || m_text[m_at] != c) return false;
        ++m_at;
        return true;
    }

    std::string_view m_text;
    size_t m_at = 0;
};

} // namespace

const JsonValue* JsonValue::field(std::string_view name) const {
    for (const auto& [key, value] : fields) {
        if (key == name) return &value;
    }
    return nullptr;
}

std::optional<std::string> JsonValue::string(std::string_view name) const {
    const JsonValue* value = field(name);
    if (!value || value->kind != Kind::string) return std::nullopt;
    return value->text;
}

std::optional<int64_t> JsonValue::integer(std::string_view name) const {
    const JsonValue* value = field(name);
    int64_t number = 0;
    if (!value || value->kind != Kind::number) return std::nullopt;
    const char* end = value->text.data() + value->text.size();
    auto result = std::from_chars(value->text.data(), end, number);
    return result.ec == std::errc() && result.ptr == end ? std::optional(number) : std::nullopt;
}

std::optional<bool> JsonValue::boolean(std::string_view name) const {
    const JsonValue* value = field(name);
    if (!value || value->kind != Kind::boolean) return std::nullopt;
    return value->text == "true";
}

std::optional<JsonValue> parse_json(std::string_view text) {
    return JsonParser(text).parse_document();
}

} // namespace e2e

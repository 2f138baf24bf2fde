#include "tests/e2e/json_line.h"

#include <charconv>

namespace e2e {

namespace {

class JsonParser {
  public:
    explicit JsonParser(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> parse_document() {
        auto value = parse_value();
        skip_blanks();
        if (!value || m_at != m_text.size()) return std::nullopt;
        return value;
    }

  private:
    std::optional<JsonValue> parse_value() {
        skip_blanks();
        if (m_at >= m_text.size()) return std::nullopt;
        char c = m_text[m_at];
        if (c == '{') return parse_object();
        if (c == '[') return parse_array();
        if (c == '"') return parse_string_value();
        if (c == 't') return parse_word("true", JsonValue::Kind::boolean);
        if (c == 'f') return parse_word("false", JsonValue::Kind::boolean);
        if (c == 'n') return parse_word("null", JsonValue::Kind::null);
        return parse_number();
    }

    std::optional<JsonValue> parse_object() {
        JsonValue object{.kind = JsonValue::Kind::object};
        ++m_at;
        if (take('}')) return object;
        do {
            skip_blanks();
            auto name = parse_string();
            if (!name || !take(':')) return std::nullopt;
            auto value = parse_value();
            if (!value) return std::nullopt;
            object.fields.emplace_back(std::move(*name), std::move(*value));
        } while (take(','));
        if (!take('}')) return std::nullopt;
        return object;
    }

    std::optional<JsonValue> parse_array() {
        JsonValue array{.kind = JsonValue::Kind::array};
        ++m_at;
        if (take(']')) return array;
        do {
            auto value = parse_value();
            if (!value) return std::nullopt;
            array.items.push_back(std::move(*value));
        } while (take(','));
        if (!take(']')) return std::nullopt;
        return array;
    }

    std::optional<JsonValue> parse_string_value() {
        auto text = parse_string();
        if (!text) return std::nullopt;
        return JsonValue{.kind = JsonValue::Kind::string, .text = std::move(*text)};
    }

    std::optional<std::string> parse_string() {
        if (!take_here('"')) return std::nullopt;
        std::string out;
        while (m_at < m_text.size()) {
            char c = m_text[m_at++];
            if (c == '"') return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (!parse_escape(out)) return std::nullopt;
        }
        return std::nullopt;
    }

    bool parse_escape(std::string& out) {
        if (m_at >= m_text.size()) return false;
        char c = m_text[m_at++];
        switch (c) {
        case '"':
        case '\\':
        case '/':
            out += c;
            return true;
        case 'b':
            out += '\b';
            return true;
        case 'f':
            out += '\f';
            return true;
        case 'n':
            out += '\n';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'u':
            return parse_unicode_escape(out);
        default:
            return false;
        }
    }

    std::optional<uint32_t> parse_hex4() {
        if (m_at + 4 > m_text.size()) return std::nullopt;
        uint32_t value = 0;
        auto result = std::from_chars(m_text.data() + m_at, m_text.data() + m_at + 4, value, 16);
        if (result.ptr != m_text.data() + m_at + 4) return std::nullopt;
        m_at += 4;
        return value;
    }

    // \uD83D\uDE00 pairs become one code point; the result is written as UTF-8.
    bool parse_unicode_escape(std::string& out) {
        auto unit = parse_hex4();
        if (!unit) return false;
        uint32_t code = *unit;
        if (code >= 0xD800 && code < 0xDC00) {
            if (!take_here('\\') || !take_here('u')) return false;
            auto low = parse_hex4();
            if (!low || *low < 0xDC00 || *low >= 0xE000) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
        }
        append_utf8(out, code);
        return true;
    }

    static void append_utf8(std::string& out, uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::optional<JsonValue> parse_word(std::string_view word, JsonValue::Kind kind) {
        if (m_text.substr(m_at, word.size()) != word) return std::nullopt;
        m_at += word.size();
        return JsonValue{.kind = kind, .text = std::string(word)};
    }

    std::optional<JsonValue> parse_number() {
        size_t start = m_at;
        while (m_at < m_text.size() &&
               std::string_view("+-0123456789.eE").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
        if (m_at == start) return std::nullopt;
        return JsonValue{.kind = JsonValue::Kind::number,
                         .text = std::string(m_text.substr(start, m_at - start))};
    }

    void skip_blanks() {
        while (m_at < m_text.size() &&
               std::string_view(" \t\r\n").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
    }
    bool take(char c) {
        skip_blanks();
        return take_here(c);
    }
    bool take_here(char c) {
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
    if (!value || value->kind != Kind::number) return std::nullopt;
    int64_t number = 0;
    const std::string& text = value->text;
    auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return number;
}

std::optional<bool> JsonValue::boolean(std::string_view name) const {
    const JsonValue* value = field(name);
    if (!value || value->kind != Kind::boolean) return std::nullopt;
    return value->text == "true";
}

bool JsonValue::is_null(std::string_view name) const {
    const JsonValue* value = field(name);
    return value && value->kind == Kind::null;
}

std::optional<JsonValue> parse_json(std::string_view text) {
    return JsonParser(text).parse_document();
}

} // namespace e2e

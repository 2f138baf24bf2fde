#include "platform/foundation/ns_url.h"

#include "platform/foundation/instance_of.h"
#include "platform/foundation/ns_string.h"

#include <filesystem>
#include <functional>
#include <system_error>

namespace {

bool is_alpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

int hex_value(char c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A '%' at `i` followed by two hexadecimal digits.
bool is_escape_at(std::string_view text, std::size_t i) {
    return text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
           hex_value(text[i + 2]) >= 0;
}

bool is_unreserved(char c) {
    return is_alpha(c) || is_digit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool is_sub_delimiter(char c) {
    return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos;
}

bool is_general_delimiter(char c) {
    return std::string_view(":/?#[]@").find(c) != std::string_view::npos;
}

bool is_scheme_character(char c) {
    return is_alpha(c) || is_digit(c) || c == '+' || c == '-' || c == '.';
}

// Every character may stand in a URI, and every '%' starts an escape of two hex digits.
bool has_only_uri_characters(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (!is_escape_at(text, i)) return false;
            i += 2;
            continue;
        }
        if (!is_unreserved(c) && !is_sub_delimiter(c) && !is_general_delimiter(c)) return false;
    }
    return true;
}

// The length of the scheme before the first ':'; 0 when the text does not start with one.
std::size_t scheme_length(std::string_view text) {
    if (text.empty() || !is_alpha(text[0])) return 0;
    std::size_t length = 1;
    while (length < text.size() && is_scheme_character(text[length]))
        ++length;
    return length < text.size() && text[length] == ':' ? length : 0;
}

bool has_brackets(std::string_view text) {
    return text.find_first_of("[]") != std::string_view::npos;
}

// Splits what follows "scheme:" into authority, path, query and fragment.
bool split_hierarchy(std::string_view rest, UrlParts& parts) {
    std::size_t hash = rest.find('#');
    if (hash != std::string_view::npos) {
        parts.fragment = rest.substr(hash + 1);
        if (parts.fragment.find('#') != std::string::npos) return false;
        rest = rest.substr(0, hash);
    }
    std::size_t question = rest.find('?');
    if (question != std::string_view::npos) {
        parts.query = rest.substr(question + 1);
        rest = rest.substr(0, question);
    }
    if (rest.starts_with("//")) {
        std::size_t end = rest.find('/', 2);
        if (end == std::string_view::npos) end = rest.size();
        parts.has_authority = true;
        parts.authority = rest.substr(2, end - 2);
        rest = rest.substr(end);
    }
    parts.path = rest;
    // Brackets belong only around an IPv6 address in the authority.
    return !has_brackets(parts.path) && !has_brackets(parts.query) && !has_brackets(parts.fragment);
}

bool is_file_scheme(std::string_view scheme) {
    if (scheme.size() != 4) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if ((scheme[i] | 0x20) != "file"[i]) return false;
    }
    return true;
}

// A path without its trailing '/', unless the path is the root.
std::string_view without_trailing_slash(std::string_view path) {
    if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return path;
}

// The local path a file URL names; nothing for another host or an undecodable path.
std::optional<std::string> file_system_path(const UrlParts& parts) {
    if (!is_file_scheme(parts.scheme)) return std::nullopt;
    if (!parts.authority.empty() && parts.authority != "localhost") return std::nullopt;
    return percent_decode(without_trailing_slash(parts.path));
}

// The text of an NSString when it is all ASCII (a URL never holds anything else).
std::optional<std::string> ascii_text(const NSString* string) {
    std::string text;
    for (char16_t unit : units_of(string)) {
        if (unit > 0x7F) return std::nullopt;
        text += static_cast<char>(unit);
    }
    return text;
}

std::string absolute_path(std::string_view path) {
    if (path.starts_with('/')) return std::string(path);
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) return "/" + std::string(path);
    std::string text = folder.string();
    if (!text.ends_with('/')) text += '/';
    return text + std::string(path);
}

std::string file_url_text(std::string_view path, bool is_directory) {
    std::string text = "file://" + percent_encode_path(absolute_path(path));
    if (is_directory && !text.ends_with('/')) text += '/';
    return text;
}

} // namespace

std::optional<UrlParts> parse_url(std::string_view text) {
    std::size_t length = scheme_length(text);
    if (length == 0 || !has_only_uri_characters(text)) return std::nullopt;
    UrlParts parts;
    parts.scheme = text.substr(0, length);
    if (!split_hierarchy(text.substr(length + 1), parts)) return std::nullopt;
    return parts;
}

std::optional<std::string> percent_decode(std::string_view path) {
    std::string bytes;
    bytes.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (!is_escape_at(path, i)) {
            bytes += path[i];
            continue;
        }
        char byte = static_cast<char>(hex_value(path[i + 1]) * 16 + hex_value(path[i + 2]));
        if (byte == '\0') return std::nullopt;
        bytes += byte;
        i += 2;
    }
    return bytes;
}

std::string percent_encode_path(std::string_view path) {
    static constexpr char k_hex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(path.size());
    for (char c : path) {
        if (is_unreserved(c) || is_sub_delimiter(c) || c == ':' || c == '@' || c == '/') {
            text += c;
            continue;
        }
        auto byte = static_cast<unsigned char>(c);
        text += '%';
        text += k_hex[byte >> 4];
        text += k_hex[byte & 0xF];
    }
    return text;
}

ObjcRef<NSURL> NSURL::make_with(Class cls, std::string text, UrlParts parts) {
    ObjcRef<NSURL> url = make_instance_of<NSURL>(cls);
    if (!url) return {};
    url->m_file_system_path = file_system_path(parts);
    url->m_text = std::move(text);
    url->m_parts = std::move(parts);
    return url;
}

ObjcRef<NSURL> NSURL::make(std::string_view text) {
    std::optional<UrlParts> parts = parse_url(text);
    if (!parts) return {};
    return make_with(nil, std::string(text), std::move(*parts));
}

ObjcRef<NSURL> NSURL::make_file(std::string_view path, bool is_directory) {
    if (path.empty()) return {};
    return make(file_url_text(path, is_directory));
}

NSURL* NSURL::URLWithString(Class self, NSString* text) {
    std::optional<std::string> ascii = ascii_text(text);
    if (!text || !ascii) return nil;
    std::optional<UrlParts> parts = parse_url(*ascii);
    if (!parts) return nil;
    return make_with(self, std::move(*ascii), std::move(*parts)).autorelease();
}

NSString* NSURL::absoluteString() const {
    return NSString::from_utf8(m_text).autorelease();
}

const char* NSURL::fileSystemRepresentation() const {
    return m_file_system_path ? m_file_system_path->c_str() : nullptr;
}

BOOL NSURL::isEqual(id other) const {
    auto* url = dynamic_cast<const NSURL*>(other);
    return url && url->m_text == m_text ? YES : NO;
}

NSUInteger NSURL::hash() const {
    return std::hash<std::string>{}(m_text);
}

void register_ns_url_class() {
    register_native_class<NSURL>("NSURL", "NSObject",
                                 {
                                     class_method<&NSURL::URLWithString>("URLWithString:"),
                                     instance_method<&NSURL::description>("description"),
                                 });
}

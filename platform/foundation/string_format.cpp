#include "platform/foundation/string_format.h"

#include "platform/foundation/unicode_text.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

// One conversion directive: "%-08llx" gives flags "-0", width "8", length "ll", kind 'x'.
struct Conversion {
    std::u16string_view text; // the whole directive, '%' included
    std::string options;      // flags, width and precision in ASCII
    std::string_view length;  // the length modifier as written
    char kind;
};

bool is_option(char16_t c) {
    return std::u16string_view(u"-+ #0123456789.").find(c) != std::u16string_view::npos;
}

bool is_length(char16_t c) {
    return std::u16string_view(u"hlqztj").find(c) != std::u16string_view::npos;
}

bool is_integer_kind(char kind) {
    return kind != 0 && std::strchr("diuxXo", kind) != nullptr;
}

bool takes_argument(char kind) {
    return is_integer_kind(kind) || (kind != 0 && std::strchr("SsCc@", kind) != nullptr);
}

std::optional<Conversion> read_conversion(std::u16string_view format, std::size_t start) {
    Conversion conversion{};
    std::size_t i = start + 1;
    while (i < format.size() && is_option(format[i]))
        conversion.options += char(format[i++]);
    std::size_t length_start = i;
    while (i < format.size() && is_length(format[i]))
        ++i;
    static constexpr std::string_view k_lengths[] = {"", "h", "hh", "l", "ll", "q", "z", "t", "j"};
    std::string length_text;
    for (std::size_t j = length_start; j < i; ++j)
        length_text += char(format[j]);
    for (std::string_view known : k_lengths) {
        if (known == length_text) conversion.length = known;
    }
    if (i >= format.size() || format[i] > 0x7F || conversion.length != length_text)
        return std::nullopt;
    conversion.kind = char(format[i]);
    conversion.text = format.substr(start, i + 1 - start);
    return conversion;
}

bool is_wide(std::string_view length) {
    return !length.empty() && length[0] != 'h';
}

std::u16string ascii_to_utf16(const char* text) {
    std::u16string result;
    for (; *text; ++text)
        result += char16_t(static_cast<unsigned char>(*text));
    return result;
}

std::u16string format_integer(const Conversion& conversion, std::uint64_t argument) {
    std::string printf_format = "%" + conversion.options;
    char buffer[128] = {};
    if (is_wide(conversion.length)) {
        printf_format += std::string("ll") + conversion.kind;
        std::snprintf(buffer, sizeof buffer, printf_format.c_str(),
                      static_cast<long long>(argument));
    } else {
        printf_format += std::string(conversion.length) + conversion.kind;
        auto low = static_cast<int>(static_cast<std::uint32_t>(argument));
        std::snprintf(buffer, sizeof buffer, printf_format.c_str(), low);
    }
    return ascii_to_utf16(buffer);
}

std::u16string utf16_argument(std::uint64_t argument) {
    const auto* text = reinterpret_cast<const char16_t*>(argument);
    if (!text) return u"(null)";
    return std::u16string(text);
}

std::u16string utf8_argument(std::uint64_t argument) {
    const auto* text = reinterpret_cast<const char*>(argument);
    if (!text) return u"(null)";
    return utf8_to_utf16_lenient(text);
}

std::u16string convert(const Conversion& conversion, std::uint64_t argument,
                       DescribeObject describe) {
    switch (conversion.kind) {
    case 'S':
        return utf16_argument(argument);
    case 's':
        return utf8_argument(argument);
    case 'c':
        return std::u16string(1, char16_t(argument & 0xFF));
    case 'C':
        return std::u16string(1, char16_t(argument & 0xFFFF));
    case '@': {
        const auto* object = reinterpret_cast<const void*>(argument);
        return object ? describe(object) : u"(null)";
    }
    default:
        return format_integer(conversion, argument);
    }
}

} // namespace

std::u16string format_with_one_argument(std::u16string_view format, std::uint64_t argument,
                                        DescribeObject describe) {
    std::u16string result;
    bool argument_used = false;
    std::size_t i = 0;
    while (i < format.size()) {
        std::size_t percent = format.find(u'%', i);
        result.append(format.substr(i, percent - i));
        if (percent == std::u16string_view::npos) break;
        std::optional<Conversion> conversion = read_conversion(format, percent);
        if (!conversion || (conversion->kind != '%' && !takes_argument(conversion->kind))) {
            result += u'%';
            i = percent + 1;
            continue;
        }
        i = percent + conversion->text.size();
        if (conversion->kind == '%') {
            result += u'%';
            continue;
        }
        if (!argument_used) result += convert(*conversion, argument, describe);
        argument_used = true;
    }
    return result;
}

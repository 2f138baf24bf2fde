#include "runtime/core/string_conversions.h"

#include "runtime/core/text_encoding.h"

#include <cstdlib>
#include <cstring>
#include <span>

namespace rt {
namespace {

std::span<const char16_t> units_of(const char16_t* text) {
    return {text ? text : u"", static_cast<size_t>(UnitCount(text))};
}

// A malloc block of `bytes` bytes plus a zero byte, filled by `encode`; null when out of memory.
template <class Encode>
char* new_byte_text(int64_t bytes, Encode&& encode) {
    auto* block = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(bytes) + 1));
    if (!block) return nullptr;
    encode(block);
    block[bytes] = 0;
    return reinterpret_cast<char*>(block);
}

// Units before the first zero unit among at most `limit` (all of them for a negative limit).
// Read bytewise: the address comes from the caller and need not be aligned for char16_t.
int64_t utf16_units_before_zero(const unsigned char* bytes, int64_t limit) {
    int64_t units = 0;
    for (; limit < 0 || units < limit; ++units) {
        if (bytes[2 * units] == 0 && bytes[2 * units + 1] == 0) break;
    }
    return units;
}

int64_t bytes_before_zero(const unsigned char* bytes, int64_t limit) {
    if (limit < 0) return static_cast<int64_t>(std::strlen(reinterpret_cast<const char*>(bytes)));
    const void* zero = std::memchr(bytes, 0, static_cast<size_t>(limit));
    return zero ? static_cast<const unsigned char*>(zero) - bytes : limit;
}

char16_t* utf16_result(const unsigned char* bytes, int64_t length, TempOffset p) {
    const int64_t units = utf16_units_before_zero(bytes, length);
    const int64_t in_area = TempOffsetOf(bytes);
    char16_t* result = ReserveTemp(units, p);
    const void* source = in_area ? static_cast<const void*>(TempAddress(in_area)) : bytes;
    std::memmove(result, source, static_cast<size_t>(units) * sizeof(char16_t));
    result[units] = 0;
    return result;
}

char16_t* utf8_result(const unsigned char* bytes, int64_t count, TempOffset p) {
    const StableArgument stable(bytes, count);
    const std::span<const unsigned char> utf8(static_cast<const unsigned char*>(stable.get()),
                                              static_cast<size_t>(count));
    const int64_t units = utf16_length_of_utf8(utf8);
    if (units <= 0) return SetEmptyResult(p);
    char16_t* result = ReserveTemp(units, p);
    decode_utf8(utf8, result);
    result[units] = 0;
    return result;
}

char16_t* one_byte_result(const unsigned char* bytes, int64_t count, TempOffset p) {
    // Each byte widens to two, so a source in the area would be overtaken by the result.
    const StableArgument stable(bytes, count);
    const auto* source = static_cast<const unsigned char*>(stable.get());
    char16_t* result = ReserveTemp(count, p);
    for (int64_t i = 0; i < count; ++i)
        result[i] = source[i];
    result[count] = 0;
    return result;
}

} // namespace

char* StringToUTF8(const char16_t* text) {
    const std::span<const char16_t> units = units_of(text);
    return new_byte_text(utf8_length_of_utf16(units),
                         [&](unsigned char* out) { encode_utf8(units, out); });
}

char* StringToASCII(const char16_t* text) {
    const std::span<const char16_t> units = units_of(text);
    return new_byte_text(one_byte_length_of_utf16(units),
                         [&](unsigned char* out) { encode_one_byte(units, out); });
}

char16_t* UTF8ToString(const char* utf8, TempOffset p) {
    return TextFromMemory(utf8, -1, text_format_utf8 | text_format_length_in_bytes, p);
}

char16_t* TextFromMemory(const void* address, int64_t length, int format, TempOffset p) {
    if (!address || length == 0 || length < -1) return SetEmptyResult(p);
    const auto* bytes = static_cast<const unsigned char*>(address);
    const int encoding = format & text_format_mask;
    if (encoding == text_format_utf16) return utf16_result(bytes, length, p);
    if (encoding != text_format_utf8)
        return one_byte_result(bytes, bytes_before_zero(bytes, length), p);
    const bool length_in_characters = length != -1 && !(format & text_format_length_in_bytes);
    const int64_t count = length_in_characters ? utf8_bytes_of_characters(bytes, length)
                                               : bytes_before_zero(bytes, length);
    return utf8_result(bytes, count, p);
}

String TextFromMemory(int64_t address, int64_t length, int format) {
    return collect_result([&](TempOffset p) {
        TextFromMemory(reinterpret_cast<const void*>(address), length, format, p);
    });
}

} // namespace rt

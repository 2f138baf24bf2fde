#include "runtime/core/cf_string_conversions.h"

#include "runtime/core/string_functions.h"

#include <algorithm>

namespace rt {
namespace {

constexpr UInt8 k_loss_byte = '?';

CFIndex length_of(CFStringRef string) {
    return string ? CFStringGetLength(string) : 0;
}

bool is_high_surrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

} // namespace

CFStringRef StringToCFString(const char16_t* text) {
    const char16_t* units = text ? text : u"";
    const auto bytes = static_cast<CFIndex>(TextLength(units) * sizeof(char16_t));
    return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(units), bytes,
                                   kCFStringEncodingUnicode, false);
}

char16_t* CFStringToString(CFStringRef string, TempOffset p) {
    const CFIndex length = length_of(string);
    if (length == 0) return SetEmptyResult(p);
    char16_t* result = ReserveTemp(length, p);
    CFIndex used_bytes = 0;
    CFStringGetBytes(string, CFRange{0, length}, kCFStringEncodingUnicode, k_loss_byte, false,
                     reinterpret_cast<UInt8*>(result), length * CFIndex{sizeof(char16_t)},
                     &used_bytes);
    const CFIndex written = used_bytes / CFIndex{sizeof(char16_t)};
    ShrinkTemp(length - written);
    result[written] = 0;
    return result;
}

int64_t CFStringIntoBuffer(char16_t* buffer, CFStringRef string, int64_t size) {
    if (!buffer || size < 1) return 0;
    const CFIndex length = length_of(string);
    CFIndex count = std::min<CFIndex>(length, size - 1);
    if (count > 0) CFStringGetCharacters(string, CFRange{0, count}, buffer);
    if (count < length && count > 0 && is_high_surrogate(buffer[count - 1])) --count;
    buffer[count] = 0;
    return count;
}

} // namespace rt

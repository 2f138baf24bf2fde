#include "battery/platform/cf_property_reader.h"

#include "runtime/ui/native_message.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace battery {
namespace {

constexpr CFIndex k_key_buffer_bytes = 256;
constexpr CFIndex k_key_limit = 255;

// The type identifiers the values are told apart by, asked once per dictionary.
struct ValueKinds {
    CFTypeID number = CFNumberGetTypeID();
    CFTypeID string = CFStringGetTypeID();
    CFTypeID boolean = CFBooleanGetTypeID();
};

std::optional<rt::String> key_text(const void* key, const ValueKinds& kinds) {
    if (CFGetTypeID(key) != kinds.string) return std::nullopt;
    char buffer[k_key_buffer_bytes] = {};
    if (!CFStringGetCString(static_cast<CFStringRef>(key), buffer, k_key_limit,
                            kCFStringEncodingUTF8)) {
        return std::nullopt;
    }
    return rt::String::from_utf8(buffer);
}

// The widening keeps the sign: -1 stays -1.
int64_t number_value(const void* value) {
    int32_t number = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberIntType, &number);
    return number;
}

rt::String string_value(const void* value) {
    const int64_t utf8 = rt::SendNativeMessage(nullptr, value, u"UTF8String");
    if (utf8 == 0) return {};
    return rt::String::from_utf8(reinterpret_cast<const char*>(utf8));
}

PropertyValue property_value(const void* value, const ValueKinds& kinds) {
    const CFTypeID kind = CFGetTypeID(value);
    if (kind == kinds.number) return number_value(value);
    if (kind == kinds.string) return string_value(value);
    if (kind == kinds.boolean) return CFBooleanGetValue(static_cast<CFBooleanRef>(value)) != 0;
    return OtherValue{};
}

} // namespace

PlatformProperties read_cf_properties(CFDictionaryRef dictionary) {
    PlatformProperties properties;
    if (!dictionary) return properties;
    const CFIndex count = CFDictionaryGetCount(dictionary);
    std::vector<const void*> keys(static_cast<size_t>(count) + 1);
    std::vector<const void*> values(static_cast<size_t>(count) + 1);
    CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
    const ValueKinds kinds;
    properties.reserve(static_cast<size_t>(count));
    for (CFIndex i = 0; i < count; ++i) {
        std::optional<rt::String> key = key_text(keys[i], kinds);
        if (!key) continue;
        properties.push_back({std::move(*key), property_value(values[i], kinds)});
    }
    return properties;
}

} // namespace battery

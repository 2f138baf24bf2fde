#include "battery/platform/cf_property_reader.h"

#include "runtime/ui/native_message.h"

#include <array>
#include <cstdint>
#include <vector>

namespace battery {
namespace {

constexpr CFIndex k_key_buffer_bytes = 256;
constexpr CFIndex k_key_limit = 255;
// Room for the pairs of a registry entry or a description on the stack; more take the heap.
constexpr std::size_t k_pairs_on_stack = 64;

// The type identifiers the values are told apart by, asked once per dictionary.
struct ValueKinds {
    CFTypeID number = CFNumberGetTypeID();
    CFTypeID string = CFStringGetTypeID();
    CFTypeID boolean = CFBooleanGetTypeID();
};

// The key's UTF-8 form in `buffer`; false when it is not a string or does not fit.
bool read_key(const void* key, const ValueKinds& kinds, char (&buffer)[k_key_buffer_bytes]) {
    if (CFGetTypeID(key) != kinds.string) return false;
    return CFStringGetCString(static_cast<CFStringRef>(key), buffer, k_key_limit,
                              kCFStringEncodingUTF8);
}

// True when the string key holds exactly the units of `text`: the key of the last reading, which
// then need not be read again.
bool is_same_key(const void* key, const rt::String& text) {
    const auto string = static_cast<CFStringRef>(key);
    const UniChar* units = CFStringGetCharactersPtr(string);
    if (!units) return false;
    const char16_t* kept = text.c_str();
    CFIndex i = 0;
    for (; kept[i] != 0; ++i) {
        if (units[i] != kept[i]) return false;
    }
    return i == CFStringGetLength(string);
}

void set_text(rt::String& text, const char* utf8) {
    if (!text.same_as_utf8(utf8)) text = rt::String::from_utf8(utf8);
}

// The widening keeps the sign: -1 stays -1.
int64_t number_value(const void* value) {
    int32_t number = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberIntType, &number);
    return number;
}

void set_string_value(PropertyValue& property, const void* value) {
    const int64_t utf8 = rt::SendNativeMessage(nullptr, value, u"UTF8String");
    const char* text = utf8 ? reinterpret_cast<const char*>(utf8) : "";
    if (rt::String* kept = std::get_if<rt::String>(&property)) {
        set_text(*kept, text);
        return;
    }
    property = rt::String::from_utf8(text);
}

// Sets the value; true when it is a number.
bool set_value(PropertyValue& property, const void* value, const ValueKinds& kinds) {
    const CFTypeID kind = CFGetTypeID(value);
    if (kind == kinds.number) {
        property = number_value(value);
        return true;
    }
    if (kind == kinds.string) {
        set_string_value(property, value);
    } else if (kind == kinds.boolean) {
        property = CFBooleanGetValue(static_cast<CFBooleanRef>(value)) != 0;
    } else {
        property = OtherValue{};
    }
    return false;
}

} // namespace

void read_cf_properties(CFDictionaryRef dictionary, PlatformProperties& properties) {
    const auto count = static_cast<std::size_t>(dictionary ? CFDictionaryGetCount(dictionary) : 0);
    std::array<const void*, 2 * k_pairs_on_stack> stack_room;
    std::vector<const void*> heap_room(count > k_pairs_on_stack ? 2 * count : 0);
    const void** keys = count > k_pairs_on_stack ? heap_room.data() : stack_room.data();
    const void** values = keys + count;
    if (count > 0) CFDictionaryGetKeysAndValues(dictionary, keys, values);
    const ValueKinds kinds;
    char key[k_key_buffer_bytes];
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const bool same_key =
            kept < properties.size() &&
            (properties[kept].key_object.is(keys[i]) ||
             (CFGetTypeID(keys[i]) == kinds.string && is_same_key(keys[i], properties[kept].key)));
        if (!same_key) {
            if (!read_key(keys[i], kinds, key)) continue;
            if (kept == properties.size()) properties.emplace_back();
            set_text(properties[kept].key, key);
        }
        PlatformProperty& property = properties[kept++];
        property.key_object.hold(keys[i]);
        // Keys and booleans never change once made, so the object read last time in this place
        // still reads as it did; a string is read each time all the same, and a number too,
        // since the maker of a dictionary may give a number that only it holds a new value in
        // place (which holding it here would prevent).
        if (property.value_object.is(values[i]) &&
            !std::holds_alternative<rt::String>(property.value))
            continue;
        const bool number = set_value(property.value, values[i], kinds);
        property.value_object.hold(number ? nullptr : values[i]);
    }
    properties.resize(kept);
}

} // namespace battery

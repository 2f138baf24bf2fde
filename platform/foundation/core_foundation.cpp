#include "platform/foundation/core_foundation.h"

#include "platform/foundation/clock.h"
#include "platform/foundation/number_conversion.h"
#include "platform/foundation/unicode_text.h"

#include <bit>
#include <cstring>
#include <optional>
#include <typeinfo>

namespace {

// Identifiers of the kinds that Core Foundation tells apart; the numbers carry no meaning.
enum : CFTypeID {
    k_other_type_id = 1,
    k_string_type_id = 7,
    k_dictionary_type_id = 18,
    k_array_type_id = 19,
    k_data_type_id = 20,
    k_boolean_type_id = 21,
    k_number_type_id = 22,
    k_date_type_id = 42,
};

template <class T>
const T* as(CFTypeRef ref) {
    return ref ? dynamic_cast<const T*>(static_cast<const NSObject*>(ref)) : nullptr;
}

// ---- Numbers -------------------------------------------------------------------------------

enum class NumberStorage : std::uint8_t { Int32, Int64, Float64 };

struct NumberTypeRow {
    CFNumberType type;
    NumberStorage storage;
};

inline constexpr NumberTypeRow k_number_types[] = {
    {kCFNumberIntType, NumberStorage::Int32},
    {kCFNumberLongLongType, NumberStorage::Int64},
    {kCFNumberDoubleType, NumberStorage::Float64},
};

std::optional<NumberStorage> storage_of(CFNumberType type) {
    for (const NumberTypeRow& row : k_number_types) {
        if (row.type == type) return row.storage;
    }
    return std::nullopt;
}

template <class T>
bool store_as(const NSNumber& number, void* out) {
    ConvertedNumber<T> converted = number.is_floating() ? convert_number<T>(number.floating())
                                                        : convert_number<T>(number.integer());
    std::memcpy(out, &converted.value, sizeof converted.value);
    return converted.exact;
}

bool store_number(const NSNumber& number, NumberStorage storage, void* out) {
    switch (storage) {
    case NumberStorage::Int32:
        return store_as<std::int32_t>(number, out);
    case NumberStorage::Int64:
        return store_as<std::int64_t>(number, out);
    case NumberStorage::Float64:
        return store_as<double>(number, out);
    }
    return false;
}

// ---- Strings -------------------------------------------------------------------------------

constexpr char16_t k_byte_order_mark = 0xFEFF;
constexpr char16_t k_swapped_byte_order_mark = 0xFFFE;

bool is_supported_encoding(CFStringEncoding encoding) {
    return encoding == kCFStringEncodingUTF8 || encoding == kCFStringEncodingUnicode;
}

std::optional<std::u16string> utf16_bytes_to_units(std::string_view bytes, bool external) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::u16string units(bytes.size() / 2, u'\0');
    if (!units.empty()) std::memcpy(units.data(), bytes.data(), bytes.size());
    if (!external || units.empty()) return units;
    if (units.front() == k_swapped_byte_order_mark) {
        for (char16_t& unit : units)
            unit = static_cast<char16_t>((unit >> 8) | (unit << 8));
    }
    if (units.front() == k_byte_order_mark) units.erase(0, 1);
    return units;
}

std::optional<std::u16string> decode_bytes(std::string_view bytes, CFStringEncoding encoding,
                                           bool external) {
    switch (encoding) {
    case kCFStringEncodingUTF8:
        if (external && bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        return utf8_to_utf16_strict(bytes);
    case kCFStringEncodingUnicode:
        return utf16_bytes_to_units(bytes, external);
    default:
        return std::nullopt;
    }
}

// The bytes of one character in `encoding`; 0 when the encoding cannot represent it.
std::size_t encode_character(const DecodedCharacter& character, std::u16string_view units,
                             CFStringEncoding encoding, char* out) {
    if (encoding == kCFStringEncodingUTF8)
        return character.valid ? encode_utf8(character.code_point, out) : 0;
    std::memcpy(out, units.data(), character.length * sizeof(char16_t));
    return character.length * sizeof(char16_t);
}

// Appends to a buffer of limited size, or only counts when there is no buffer.
class ByteSink {
  public:
    ByteSink(UInt8* buffer, CFIndex capacity)
        : m_buffer(buffer),
          m_capacity(buffer ? static_cast<std::size_t>(std::max<CFIndex>(capacity, 0)) : 0) {}

    bool append(const char* bytes, std::size_t count) {
        if (m_buffer && m_used + count > m_capacity) return false;
        if (m_buffer) std::memcpy(m_buffer + m_used, bytes, count);
        m_used += count;
        return true;
    }
    CFIndex used() const { return static_cast<CFIndex>(m_used); }

  private:
    UInt8* m_buffer;
    std::size_t m_capacity;
    std::size_t m_used = 0;
};

bool range_is_within(CFRange range, std::size_t length) {
    return range.location >= 0 && range.length >= 0 &&
           static_cast<std::size_t>(range.location) <= length &&
           static_cast<std::size_t>(range.length) <=
               length - static_cast<std::size_t>(range.location);
}

// The number of units converted from `units` into `sink`.
CFIndex convert_units(std::u16string_view units, CFStringEncoding encoding, UInt8 loss_byte,
                      ByteSink& sink) {
    std::size_t position = 0;
    const bool ascii_takes_one_byte = encoding != kCFStringEncodingUnicode;
    while (position < units.size()) {
        if (ascii_takes_one_byte && units[position] < 0x80) {
            const char byte = static_cast<char>(units[position]);
            if (!sink.append(&byte, 1)) break;
            ++position;
            continue;
        }
        DecodedCharacter character = decode_utf16_character(units, position);
        char bytes[4];
        std::size_t count = encode_character(character, units.substr(position), encoding, bytes);
        if (count == 0 && loss_byte == 0) break;
        if (count == 0) {
            bytes[0] = static_cast<char>(loss_byte);
            count = 1;
        }
        if (!sink.append(bytes, count)) break;
        position += character.length;
    }
    return static_cast<CFIndex>(position);
}

} // namespace

// ---- Objects -------------------------------------------------------------------------------

CFTypeRef CFRetain(CFTypeRef ref) {
    ensure_native_classes(); // the shared booleans are immortal only once registered
    objc_retain(cf_object(ref));
    return ref;
}

void CFRelease(CFTypeRef ref) {
    ensure_native_classes();
    objc_release(cf_object(ref));
}

CFTypeID CFGetTypeID(CFTypeRef ref) {
    if (!ref) return 0;
    // The exact classes of most values first, by the address of their type information: far
    // cheaper than dynamic_cast, or than comparing types by name. A type whose information sits
    // elsewhere takes the casts below.
    const std::type_info* type = &typeid(*static_cast<const NSObject*>(ref));
    if (type == &typeid(NSString)) return k_string_type_id;
    if (type == &typeid(NSNumber)) return k_number_type_id;
    if (type == &typeid(NSBoolean)) return k_boolean_type_id;
    if (as<NSBoolean>(ref)) return k_boolean_type_id;
    if (as<NSNumber>(ref)) return k_number_type_id;
    if (as<NSString>(ref)) return k_string_type_id;
    if (as<NSDictionary>(ref)) return k_dictionary_type_id;
    if (as<NSArray>(ref)) return k_array_type_id;
    if (as<NSData>(ref)) return k_data_type_id;
    if (as<NSDate>(ref)) return k_date_type_id;
    return k_other_type_id;
}

CFTypeID CFStringGetTypeID(void) {
    return k_string_type_id;
}
CFTypeID CFNumberGetTypeID(void) {
    return k_number_type_id;
}
CFTypeID CFBooleanGetTypeID(void) {
    return k_boolean_type_id;
}
CFTypeID CFArrayGetTypeID(void) {
    return k_array_type_id;
}
CFTypeID CFDictionaryGetTypeID(void) {
    return k_dictionary_type_id;
}
CFTypeID CFDataGetTypeID(void) {
    return k_data_type_id;
}
CFTypeID CFDateGetTypeID(void) {
    return k_date_type_id;
}

// ---- Collections ---------------------------------------------------------------------------

CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary) {
    return dictionary ? static_cast<CFIndex>(dictionary->count()) : 0;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef dictionary, const void** keys,
                                  const void** values) {
    if (!dictionary) return;
    std::size_t i = 0;
    for (const DictionaryEntry& entry : *dictionary) {
        if (keys) keys[i] = entry.key.get();
        if (values) values[i] = entry.value.get();
        ++i;
    }
}

const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key) {
    if (!dictionary || !key) return nullptr;
    return dictionary->objectForKey(cf_object(key));
}

CFIndex CFArrayGetCount(CFArrayRef array) {
    return array ? static_cast<CFIndex>(array->count()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index) {
    if (!array || index < 0) return nullptr;
    return array->objectAtIndex(static_cast<NSUInteger>(index));
}

// ---- Numbers and booleans ------------------------------------------------------------------

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value) {
    std::optional<NumberStorage> storage = storage_of(type);
    if (!number || !storage || !value) return false;
    return store_number(*number, *storage, value);
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
    return number && number->is_floating();
}

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
    if (boolean == kCFBooleanTrue) return true;
    if (boolean == kCFBooleanFalse) return false;
    const NSNumber* number = as<NSNumber>(boolean);
    return number && number->boolValue() != NO;
}

// ---- Strings -------------------------------------------------------------------------------

CFIndex CFStringGetLength(CFStringRef string) {
    return string ? static_cast<CFIndex>(string->length()) : 0;
}

void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer) {
    if (!string || !buffer || !range_is_within(range, string->length())) return;
    std::u16string_view units = string->units();
    units.substr(static_cast<std::size_t>(range.location), static_cast<std::size_t>(range.length))
        .copy(buffer, static_cast<std::size_t>(range.length));
}

const UniChar* CFStringGetCharactersPtr(CFStringRef string) {
    return string ? string->units().c_str() : nullptr;
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex byte_count,
                                    CFStringEncoding encoding, Boolean is_external_representation) {
    if (byte_count < 0 || (!bytes && byte_count > 0)) return nullptr;
    std::string_view text;
    if (byte_count > 0) {
        text = std::string_view(reinterpret_cast<const char*>(bytes),
                                static_cast<std::size_t>(byte_count));
    }
    std::optional<std::u16string> units = decode_bytes(text, encoding, is_external_representation);
    if (!units) return nullptr;
    return make_native<NSString>(std::move(*units)).take();
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text,
                                      CFStringEncoding encoding) {
    if (!text) return nullptr;
    return CFStringCreateWithBytes(allocator, reinterpret_cast<const UInt8*>(text),
                                   static_cast<CFIndex>(std::strlen(text)), encoding, false);
}

CFIndex CFStringGetBytes(CFStringRef string, CFRange range, CFStringEncoding encoding,
                         UInt8 loss_byte, Boolean is_external_representation, UInt8* buffer,
                         CFIndex max_buffer_length, CFIndex* used_buffer_length) {
    if (used_buffer_length) *used_buffer_length = 0;
    if (!string || !is_supported_encoding(encoding)) return 0;
    if (!range_is_within(range, string->length())) return 0;
    std::u16string_view units = std::u16string_view(string->units())
                                    .substr(static_cast<std::size_t>(range.location),
                                            static_cast<std::size_t>(range.length));
    ByteSink sink(buffer, max_buffer_length);
    if (is_external_representation && encoding == kCFStringEncodingUnicode) {
        char16_t mark = k_byte_order_mark;
        char bytes[2];
        std::memcpy(bytes, &mark, sizeof bytes);
        if (!sink.append(bytes, sizeof bytes)) return 0;
    }
    CFIndex converted = convert_units(units, encoding, loss_byte, sink);
    if (used_buffer_length) *used_buffer_length = sink.used();
    return converted;
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex buffer_size,
                           CFStringEncoding encoding) {
    if (!buffer || buffer_size <= 0) return false;
    buffer[0] = '\0';
    if (!string || encoding != kCFStringEncodingUTF8) return false;
    // The string keeps its UTF-8 text once made, so reading the same key again only copies it.
    std::optional<std::string_view> utf8 = string->exact_utf8();
    if (!utf8 || utf8->size() >= static_cast<std::size_t>(buffer_size)) return false;
    std::memcpy(buffer, utf8->data(), utf8->size());
    buffer[utf8->size()] = '\0';
    return true;
}

CFAbsoluteTime CFAbsoluteTimeGetCurrent(void) {
    return platform_now() - kCFAbsoluteTimeIntervalSince1970;
}

#pragma once
// Core Foundation's types and functions over the Foundation objects: a CFStringRef is an
// NSString, a CFDictionaryRef an NSDictionary, and so on, so that a pointer passes between the
// two interfaces unchanged (cf_object and the implicit conversions below).
//
// Ownership follows the platform's rule: functions named Create or Copy return a reference the
// caller releases with CFRelease; Get functions return borrowed values.
//
// Where the platform would crash or raise on bad input (a null object, an index or range out of
// bounds, a null output pointer), these functions do nothing and return 0, false or null. Output
// buffers are never written past the size given.

#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_data.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"

#include <cstdint>

using Boolean = unsigned char;
using UInt8 = std::uint8_t;
using CFIndex = long;
using CFTypeID = unsigned long;
// UTF-16 units, the same type as the runtime's strings.
using UniChar = char16_t;
using CFStringEncoding = std::uint32_t;
using CFNumberType = CFIndex;
using CFAbsoluteTime = double;
using CFTimeInterval = double;
// From 1970 to 2001, the epoch of absolute times.
inline constexpr CFTimeInterval kCFAbsoluteTimeIntervalSince1970 = 978307200.0;

using CFTypeRef = const void*;
using CFStringRef = const NSString*;
using CFNumberRef = const NSNumber*;
using CFBooleanRef = const NSBoolean*;
using CFArrayRef = const NSArray*;
using CFMutableArrayRef = NSMutableArray*;
using CFDictionaryRef = const NSDictionary*;
using CFMutableDictionaryRef = NSMutableDictionary*;
using CFDataRef = const NSData*;
using CFDateRef = const NSDate*;

// Allocators exist only as the default one.
struct CFAllocatorOpaque;
using CFAllocatorRef = const CFAllocatorOpaque*;
inline constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

struct CFRange {
    CFIndex location;
    CFIndex length;
};
inline constexpr CFRange CFRangeMake(CFIndex location, CFIndex length) {
    return {location, length};
}

inline constexpr CFIndex kCFNotFound = -1;

// The two encodings the indicator uses. Unicode is UTF-16 in the host's byte order; with the
// external-representation flag, a byte-order mark leads the bytes.
inline constexpr CFStringEncoding kCFStringEncodingUnicode = 0x0100;
inline constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;

// The number types read: Int is signed 32-bit, LongLong 64-bit, Double a double.
enum : CFNumberType {
    kCFNumberIntType = 9,
    kCFNumberLongLongType = 11,
    kCFNumberDoubleType = 13,
};

// The two shared booleans, immortal: retaining and releasing them has no effect.
extern const CFBooleanRef kCFBooleanTrue;
extern const CFBooleanRef kCFBooleanFalse;

// The object behind a Core Foundation reference, for sending it messages.
inline id cf_object(CFTypeRef ref) {
    return const_cast<NSObject*>(static_cast<const NSObject*>(ref));
}

extern "C" {

// Both return their argument; null is ignored.
CFTypeRef CFRetain(CFTypeRef ref);
void CFRelease(CFTypeRef ref);
// 0 for null. Numbers, booleans, strings, arrays, dictionaries, data and dates have their
// kind's identifier; other objects share one identifier of their own.
CFTypeID CFGetTypeID(CFTypeRef ref);

CFTypeID CFStringGetTypeID(void);
CFTypeID CFNumberGetTypeID(void);
CFTypeID CFBooleanGetTypeID(void);
CFTypeID CFArrayGetTypeID(void);
CFTypeID CFDictionaryGetTypeID(void);
CFTypeID CFDataGetTypeID(void);
CFTypeID CFDateGetTypeID(void);

CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary);
// Fills `keys` and `values` (either may be null) with one entry per pair, in the dictionary's
// order; the caller provides room for CFDictionaryGetCount entries. The values are borrowed.
void CFDictionaryGetKeysAndValues(CFDictionaryRef dictionary, const void** keys,
                                  const void** values);
// Borrowed; null when absent.
const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key);

CFIndex CFArrayGetCount(CFArrayRef array);
// Borrowed; null for an index out of range.
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);

// Stores the number converted to `type` at `value` and answers whether the conversion kept the
// value exactly (false for a value out of the type's range, which is still stored converted as
// number_conversion.h describes, or a fraction read as an integer). False, storing nothing, for
// a null number or value or an unknown type.
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value);
Boolean CFNumberIsFloatType(CFNumberRef number);

// False for null. A number that is not one of the two booleans answers whether it is non-zero.
Boolean CFBooleanGetValue(CFBooleanRef boolean);

CFIndex CFStringGetLength(CFStringRef string);
// Copies the units of `range`; nothing when the range lies outside the string.
void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer);
// The string's own units, valid while it lives and followed by a zero unit; null for null.
const UniChar* CFStringGetCharactersPtr(CFStringRef string);
// A new string from `byte_count` bytes in UTF-8 or Unicode (UTF-16).
// With `is_external_representation`, a leading byte-order mark is read and dropped (and
// decides the byte order of UTF-16; without one, UTF-16 is in host order). Null for malformed
// bytes (invalid UTF-8, an odd UTF-16 byte count), another encoding, a
// negative count, or null bytes with a non-zero count.
CFStringRef CFStringCreateWithBytes(CFAllocatorRef allocator, const UInt8* bytes,
                                    CFIndex byte_count, CFStringEncoding encoding,
                                    Boolean is_external_representation);
// As CFStringCreateWithBytes on the zero-terminated text.
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text,
                                      CFStringEncoding encoding);
// Converts the units of `range` into `buffer` (at most `max_buffer_length` bytes; a null buffer
// only measures) and returns how many units were converted; `used_buffer_length`, when not
// null, receives the bytes written or needed. A character the encoding cannot represent becomes
// `loss_byte` (once per character, a surrogate pair being one character), or ends the
// conversion when `loss_byte` is 0. The conversion also ends before a character whose bytes do
// not fit. With `is_external_representation`, Unicode output starts with a byte-order mark.
// 0 for a range outside the string or an unsupported encoding.
CFIndex CFStringGetBytes(CFStringRef string, CFRange range, CFStringEncoding encoding,
                         UInt8 loss_byte, Boolean is_external_representation, UInt8* buffer,
                         CFIndex max_buffer_length, CFIndex* used_buffer_length);
// Writes the whole string and a terminating zero into `buffer` (UTF-8 only).
// False, leaving an empty text in the buffer when it has room for one, when the buffer is too
// small or a character cannot be encoded (an unpaired surrogate in UTF-8).
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex buffer_size,
                           CFStringEncoding encoding);
// Seconds since 2001-01-01 00:00:00 UTC, by the platform's clock.
CFAbsoluteTime CFAbsoluteTimeGetCurrent(void);
}

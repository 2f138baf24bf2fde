#pragma once
// NSString: an immutable sequence of UTF-16 code units. Lengths and indices count code units, so
// a character outside the Basic Multilingual Plane counts as two. Case mapping works unit by unit
// (simple mappings of the Basic Multilingual Plane, the same in every locale).
//
// C++ code makes strings with NSString::make and NSString::from_utf8 and reads them with units()
// and utf8(); selectors reach the same operations by message. Strings are also CFStringRef
// (core_foundation.h).

#include "platform/objc/native_class.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

using unichar = char16_t;
using NSStringEncoding = NSUInteger;

inline constexpr NSStringEncoding NSASCIIStringEncoding = 1;
inline constexpr NSStringEncoding NSUTF8StringEncoding = 4;
inline constexpr NSStringEncoding NSISOLatin1StringEncoding = 5;

class NSString : public NSObject {
  public:
    NSString() = default;
    explicit NSString(std::u16string units) : m_units(std::move(units)) {}

    // A new string holding one reference; empty only when memory runs out.
    static ObjcRef<NSString> make(std::u16string_view units);
    // A string that lives as long as the program, for constants defined at namespace scope. It may
    // be made before the string class is registered: the registration of the class that defines
    // it then calls give_constant_class.
    static NSString* make_constant(std::u16string_view units);
    // Gives a constant made before the string class was registered its class.
    static void give_constant_class(NSString* constant);
    // Invalid UTF-8 sequences become U+FFFD each, so the result is never nil for want of valid
    // input; use stringWithCString:encoding: to refuse invalid text instead.
    static ObjcRef<NSString> from_utf8(std::string_view utf8);

    const std::u16string& units() const { return m_units; }
    // Unpaired surrogates become U+FFFD.
    std::string utf8() const;

    // Class methods. Each returns an autoreleased instance of the receiving class.
    static NSString* string(Class self);
    // A nil argument gives an empty string.
    static NSString* stringWithString(Class self, NSString* string);
    // The platform's method is variadic; here it takes exactly one argument after the format, a
    // pointer-sized value, and is registered with the encoding "@@:@^S" so that objc_msgSend and
    // NSInvocation pass that one value. The first conversion of the format consumes it: %S (a
    // zero-terminated UTF-16 text), %@ (an object's description), %s (zero-terminated UTF-8),
    // %d %i %u %x (its low 32 bits), %ld %lld %lu %llu %lx %qd %zd (all 64 bits). %% is a percent
    // sign. Conversions after the first have no argument and are left out of the result. A nil
    // format gives nil.
    static NSString* stringWithFormat(Class self, NSString* format, const char16_t* argument);
    // ASCII (1), UTF-8 (4) and ISO Latin 1 (5). Nil for a null text, another encoding, or text
    // invalid in the encoding (bytes above 127 in ASCII, malformed UTF-8).
    static NSString* stringWithCString(Class self, const char* text, NSStringEncoding encoding);

    // Valid as long as the string lives: the text is kept in the string.
    const char* UTF8String() const;
    // The text UTF8String gives, without the zero; none when the string holds an unpaired
    // surrogate, which that text shows as U+FFFD.
    std::optional<std::string_view> exact_utf8() const;
    NSUInteger length() const { return m_units.size(); }
    // Words are delimited by white space and line ends: each word's first unit is upper-cased
    // and the rest lower-cased.
    NSString* capitalizedString() const;
    BOOL isEqualToString(NSString* other) const;
    BOOL isEqual(id other) const override;
    NSUInteger hash() const override;
    NSString* description();

  protected:
    // Before the string is handed to anyone: the UTF-8 text is not made again.
    void assign(std::u16string units) { m_units = std::move(units); }

  private:
    // An autoreleased instance of `cls` (NSString when null) holding `units`.
    static NSString* make_autoreleased(Class cls, std::u16string units);

    std::u16string m_units;
    mutable std::atomic<bool> m_utf8_made{false};
    mutable bool m_utf8_exact = false;
    mutable std::string m_utf8;
};

// A string's units for C++ code; empty for nil.
inline std::u16string_view units_of(const NSString* string) {
    return string ? std::u16string_view(string->units()) : std::u16string_view();
}

void register_ns_string_class();

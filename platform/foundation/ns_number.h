#pragma once
// NSNumber: a signed 64-bit integer or a double, remembering which. Booleans are NSBoolean, a
// subclass with exactly two shared, immortal instances (kCFBooleanTrue and kCFBooleanFalse in
// core_foundation.h): +numberWithBool: answers one of them, and Core Foundation gives them a
// type of their own.
//
// Numbers compare by value across kinds (@5 equals @5.0 and @YES equals @1), and equal numbers
// hash alike. Reading a value as a narrower type converts as C does: integers keep their low
// bits, floating values are truncated toward zero and held within the type's range (NaN reads
// as 0).

#include "platform/objc/native_class.h"

#include <cstdint>

class NSString;

enum class NumberKind : std::uint8_t { Integer, Floating, Boolean };

class NSNumber : public NSObject {
  public:
    NSNumber() = default;
    constexpr explicit NSNumber(std::int64_t value) : m_integer(value) {}
    constexpr explicit NSNumber(double value) : m_floating(value), m_kind(NumberKind::Floating) {}

    // Use these rather than the constructors: make(bool) answers a shared boolean.
    static ObjcRef<NSNumber> make(std::int64_t value);
    static ObjcRef<NSNumber> make(double value);
    static ObjcRef<NSNumber> make(bool value);
    // Guards against make(5) choosing the bool overload or failing to compile.
    static ObjcRef<NSNumber> make(int value) { return make(std::int64_t{value}); }
    static ObjcRef<NSNumber> make(long long value) { return make(std::int64_t{value}); }

    NumberKind kind() const { return m_kind; }
    bool is_floating() const { return m_kind == NumberKind::Floating; }
    bool is_boolean() const { return m_kind == NumberKind::Boolean; }
    // The value as stored, for an integer or boolean; for a floating value, converted.
    std::int64_t integer() const;
    double floating() const;

    // Class methods; each returns an autoreleased number.
    static NSNumber* numberWithInt(Class self, int value);
    static NSNumber* numberWithBool(Class self, BOOL value);

    int intValue() const;
    NSInteger integerValue() const;
    // Non-zero is YES; a floating value is tested before truncation, so 0.5 is YES.
    BOOL boolValue() const;
    // Decimal for integers, the shortest text that reads back as the same double otherwise.
    NSString* stringValue() const;
    NSString* description() const { return stringValue(); }
    BOOL isEqualToNumber(NSNumber* other) const;
    BOOL isEqual(id other) const override;
    NSUInteger hash() const override;

    // For the one holder of an integer number (a dictionary's maker whose dictionary alone holds
    // it): the number takes `value` in place instead of a new number being made. False, changing
    // nothing, when anyone else holds it or it is not a plain integer.
    bool take_integer_if_sole(std::int64_t value);

  protected:
    constexpr explicit NSNumber(bool value)
        : m_integer(value ? 1 : 0), m_kind(NumberKind::Boolean) {}

  private:
    std::int64_t m_integer = 0;
    double m_floating = 0;
    NumberKind m_kind = NumberKind::Integer;
};

// The class of the two boolean numbers; no other instances are made.
class NSBoolean final : public NSNumber {
  public:
    constexpr explicit NSBoolean(bool value) : NSNumber(value) {}
    bool value() const { return integer() != 0; }

    // The shared instances; the same objects as kCFBooleanTrue and kCFBooleanFalse.
    static NSBoolean* shared(bool value);
};

void register_ns_number_class();
void register_ns_boolean_class();

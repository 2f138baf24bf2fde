#include "platform/foundation/ns_number.h"

#include "platform/foundation/core_foundation.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/number_conversion.h"

#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <typeinfo>

namespace {

// Static storage that is built at compile time and never destroyed, so the shared booleans are
// valid before any constructor runs and after every destructor.
template <class T>
union Immortal {
    constexpr explicit Immortal(bool value) : object(value) {}
    ~Immortal() {}
    T object;
};

constinit Immortal<NSBoolean> g_true{true};
constinit Immortal<NSBoolean> g_false{false};

std::u16string ascii_units(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

std::string floating_text(double value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc()) return "nan";
    return std::string(buffer, end);
}

bool is_integral_int64(double value, std::int64_t& integer) {
    if (!convert_number<std::int64_t>(value).exact) return false;
    integer = static_cast<std::int64_t>(value);
    return true;
}

// Spreads the bits of a double so that nearby values land in different buckets.
NSUInteger mixed_bits(double value) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    bits ^= bits >> 33;
    bits *= 0xff51afd7ed558ccdull;
    return bits ^ (bits >> 33);
}

template <class T>
T value_as(const NSNumber& number) {
    if (number.is_floating()) return convert_number<T>(number.floating()).value;
    return convert_number<T>(number.integer()).value;
}

// Whole numbers from 0 below this are made once, at first use, and shared, immortal like the
// booleans: the percentages and minutes that a battery's readings bring at every refresh are not
// made and freed again each time.
constexpr std::int64_t k_shared_integer_limit = 1024;

NSNumber* shared_integer(std::int64_t value) {
    static std::array<std::atomic<NSNumber*>, k_shared_integer_limit> shared{};
    std::atomic<NSNumber*>& slot = shared[static_cast<std::size_t>(value)];
    if (NSNumber* number = slot.load(std::memory_order_acquire)) return number;
    ObjcRef<NSNumber> made = make_native<NSNumber>(value);
    if (!made) return nullptr;
    ObjectHeader::make_immortal(*made);
    NSNumber* first = nullptr;
    if (slot.compare_exchange_strong(first, made.get(), std::memory_order_acq_rel)) {
        return made.take();
    }
    delete made.take(); // another thread shared its own first
    return first;
}

} // namespace

const CFBooleanRef kCFBooleanTrue = &g_true.object;
const CFBooleanRef kCFBooleanFalse = &g_false.object;

ObjcRef<NSNumber> NSNumber::make(std::int64_t value) {
    if (value >= 0 && value < k_shared_integer_limit) {
        if (NSNumber* shared = shared_integer(value)) return ObjcRef<NSNumber>::retain(shared);
    }
    return make_native<NSNumber>(value);
}

ObjcRef<NSNumber> NSNumber::make(double value) {
    return make_native<NSNumber>(value);
}

ObjcRef<NSNumber> NSNumber::make(bool value) {
    return ObjcRef<NSNumber>::retain(NSBoolean::shared(value));
}

std::int64_t NSNumber::integer() const {
    if (m_kind != NumberKind::Floating) return m_integer;
    return convert_number<std::int64_t>(m_floating).value;
}

double NSNumber::floating() const {
    if (m_kind == NumberKind::Floating) return m_floating;
    return static_cast<double>(m_integer);
}

NSNumber* NSNumber::numberWithInt(Class, int value) {
    return make(value).autorelease();
}

NSNumber* NSNumber::numberWithBool(Class, BOOL value) {
    return NSBoolean::shared(value != NO);
}

int NSNumber::intValue() const {
    return value_as<int>(*this);
}

NSInteger NSNumber::integerValue() const {
    return value_as<NSInteger>(*this);
}

BOOL NSNumber::boolValue() const {
    if (is_floating()) return m_floating != 0 ? YES : NO;
    return m_integer != 0 ? YES : NO;
}

NSString* NSNumber::stringValue() const {
    std::string text = is_floating() ? floating_text(m_floating) : std::to_string(m_integer);
    return NSString::make(ascii_units(text)).autorelease();
}

BOOL NSNumber::isEqualToNumber(NSNumber* other) const {
    if (!other) return NO;
    if (!is_floating() && !other->is_floating()) return m_integer == other->m_integer ? YES : NO;
    if (is_floating() && other->is_floating()) return m_floating == other->m_floating ? YES : NO;
    // An integer equals a floating value only when the latter is that integer exactly.
    const NSNumber& floating_one = is_floating() ? *this : *other;
    const NSNumber& integer_one = is_floating() ? *other : *this;
    std::int64_t integral = 0;
    bool equal =
        is_integral_int64(floating_one.m_floating, integral) && integral == integer_one.m_integer;
    return equal ? YES : NO;
}

BOOL NSNumber::isEqual(id other) const {
    if (other == this) return YES;
    return isEqualToNumber(dynamic_cast<NSNumber*>(other));
}

NSUInteger NSNumber::hash() const {
    std::int64_t integral = m_integer;
    if (is_floating() && !is_integral_int64(m_floating, integral)) return mixed_bits(m_floating);
    return static_cast<NSUInteger>(integral);
}

bool NSNumber::take_integer_if_sole(std::int64_t value) {
    if (retainCount() != 1 || m_kind != NumberKind::Integer || typeid(*this) != typeid(NSNumber))
        return false;
    m_integer = value;
    return true;
}

NSBoolean* NSBoolean::shared(bool value) {
    return const_cast<NSBoolean*>(value ? kCFBooleanTrue : kCFBooleanFalse);
}

void register_ns_number_class() {
    register_native_class<NSNumber>("NSNumber", "NSObject",
                                    {
                                        class_method<&NSNumber::numberWithInt>("numberWithInt:"),
                                        instance_method<&NSNumber::intValue>("intValue"),
                                        instance_method<&NSNumber::stringValue>("stringValue"),
                                        instance_method<&NSNumber::description>("description"),
                                    });
}

// The shared booleans exist before their class does; registration gives them their class and
// makes them immortal, so that no number of releases can free them.
void register_ns_boolean_class() {
    Class cls = register_native_class<NSBoolean>("NSBoolean", "NSNumber", {});
    if (!cls) return;
    for (NSBoolean* boolean : {NSBoolean::shared(true), NSBoolean::shared(false)}) {
        ObjectHeader::set_class(*boolean, cls);
        ObjectHeader::make_immortal(*boolean);
    }
}

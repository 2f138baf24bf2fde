#include "platform/foundation/ns_string.h"

#include "platform/foundation/instance_of.h"
#include "platform/foundation/string_format.h"
#include "platform/foundation/unicode_text.h"
#include "platform/objc/objc.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

std::u16string describe_object(const void* object) {
    id target = const_cast<NSObject*>(static_cast<const NSObject*>(object));
    auto* description = dynamic_cast<NSString*>(msg_send<id>(target, "description"));
    return description ? description->units() : std::u16string(u"(null)");
}

std::u16string latin1_to_utf16(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size());
    for (char byte : bytes)
        units += char16_t(static_cast<unsigned char>(byte));
    return units;
}

bool is_ascii(std::string_view bytes) {
    for (char byte : bytes) {
        if (static_cast<unsigned char>(byte) > 0x7F) return false;
    }
    return true;
}

std::optional<std::u16string> decode_c_string(const char* text, NSStringEncoding encoding) {
    std::string_view bytes(text);
    switch (encoding) {
    case NSUTF8StringEncoding:
        return utf8_to_utf16_strict(bytes);
    case NSISOLatin1StringEncoding:
        return latin1_to_utf16(bytes);
    case NSASCIIStringEncoding:
        if (!is_ascii(bytes)) return std::nullopt;
        return latin1_to_utf16(bytes);
    default:
        return std::nullopt;
    }
}

bool has_unpaired_surrogate(std::u16string_view units) {
    for (std::size_t position = 0; position < units.size();) {
        DecodedCharacter character = decode_utf16_character(units, position);
        if (!character.valid) return true;
        position += character.length;
    }
    return false;
}

bool is_word_delimiter(char16_t unit) {
    switch (unit) {
    case u' ':
    case u'\t':
    case u'\n':
    case u'\r':
    case 0x0B:
    case 0x0C:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return unit >= 0x2000 && unit <= 0x200A;
    }
}

std::u16string capitalized(std::u16string_view units) {
    std::u16string result(units);
    bool at_word_start = true;
    for (char16_t& unit : result) {
        bool delimiter = is_word_delimiter(unit);
        unit = at_word_start ? uppercase_unit(unit) : lowercase_unit(unit);
        at_word_start = delimiter;
    }
    return result;
}

// "<ClassName: 0x...>", the description of objects whose class gives none of its own.
NSString* describe_by_class(id self, SEL) {
    char text[256];
    std::snprintf(text, sizeof text, "<%s: %p>", object_getClassName(self),
                  static_cast<const void*>(self));
    return NSString::from_utf8(text).autorelease();
}

NSString* format_with_class(Class self, SEL, NSString* format, const char16_t* argument) {
    return NSString::stringWithFormat(self, format, argument);
}

} // namespace

NSString* NSString::make_autoreleased(Class cls, std::u16string units) {
    ObjcRef<NSString> string = make_instance_of<NSString>(cls);
    if (!string) return nil;
    string->assign(std::move(units));
    return string.autorelease();
}

ObjcRef<NSString> NSString::make(std::u16string_view units) {
    return make_native<NSString>(std::u16string(units));
}

ObjcRef<NSString> NSString::from_utf8(std::string_view utf8) {
    return make_native<NSString>(utf8_to_utf16_lenient(utf8));
}

std::string NSString::utf8() const {
    return utf16_to_utf8(m_units);
}

NSString* NSString::string(Class self) {
    return make_autoreleased(self, {});
}

NSString* NSString::stringWithString(Class self, NSString* string) {
    return make_autoreleased(self, std::u16string(units_of(string)));
}

NSString* NSString::stringWithFormat(Class self, NSString* format, const char16_t* argument) {
    if (!format) return nil;
    auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(argument));
    return make_autoreleased(self,
                             format_with_one_argument(format->units(), bits, &describe_object));
}

NSString* NSString::stringWithCString(Class self, const char* text, NSStringEncoding encoding) {
    if (!text) return nil;
    std::optional<std::u16string> units = decode_c_string(text, encoding);
    if (!units) return nil;
    return make_autoreleased(self, std::move(*units));
}

const char* NSString::UTF8String() const {
    // Not std::call_once: that wakes any waiters with a system call after every first run, and
    // most strings are asked for their text only once.
    if (!m_utf8_made.load(std::memory_order_acquire)) {
        static std::mutex making;
        std::lock_guard lock(making);
        if (!m_utf8_made.load(std::memory_order_relaxed)) {
            m_utf8 = utf8();
            m_utf8_exact = !has_unpaired_surrogate(m_units);
            m_utf8_made.store(true, std::memory_order_release);
        }
    }
    return m_utf8.c_str();
}

std::optional<std::string_view> NSString::exact_utf8() const {
    const char* text = UTF8String();
    if (!m_utf8_exact) return std::nullopt;
    return std::string_view(text, m_utf8.size());
}

NSString* NSString::capitalizedString() const {
    return make_autoreleased(nil, capitalized(m_units));
}

BOOL NSString::isEqualToString(NSString* other) const {
    return other && other->m_units == m_units ? YES : NO;
}

BOOL NSString::isEqual(id other) const {
    if (other == this) return YES;
    return isEqualToString(dynamic_cast<NSString*>(other));
}

// FNV-1a over the units: equal texts hash alike whatever their class.
NSUInteger NSString::hash() const {
    std::uint64_t hash = 14695981039346656037ull;
    for (char16_t unit : m_units) {
        hash = (hash ^ unit) * 1099511628211ull;
    }
    return hash;
}

NSString* NSString::description() {
    return this;
}

NSString* NSString::make_constant(std::u16string_view units) {
    auto* string = new NSString(std::u16string(units));
    ObjectHeader::make_immortal(*string);
    Class cls = native_detail::g_class_of<NSString>.load(std::memory_order_acquire);
    if (cls) ObjectHeader::set_class(*string, cls);
    return string;
}

void NSString::give_constant_class(NSString* constant) {
    if (constant && !constant->isa()) ObjectHeader::set_class(*constant, native_class<NSString>());
}

void register_ns_string_class() {
    Class root = objc_lookUpClass("NSObject");
    class_addMethod(root, sel_registerName("description"),
                    reinterpret_cast<IMP>(&describe_by_class),
                    objc_method_encoding<NSString*>().c_str());
    Class cls = register_native_class<NSString>(
        "NSString", "NSObject",
        {
            class_method<&NSString::string>("string"),
            class_method<&NSString::stringWithString>("stringWithString:"),
            class_method<&NSString::stringWithCString>("stringWithCString:encoding:"),
            instance_method<&NSString::UTF8String>("UTF8String"),
            instance_method<&NSString::length>("length"),
            instance_method<&NSString::capitalizedString>("capitalizedString"),
            instance_method<&NSString::description>("description"),
        });
    // A variadic method has more parameters than its selector has colons, so it is added by hand.
    if (!cls) return;
    class_addMethod(object_getClass(cls), sel_registerName("stringWithFormat:"),
                    reinterpret_cast<IMP>(&format_with_class),
                    objc_method_encoding<NSString*, NSString*, const char16_t*>().c_str());
}

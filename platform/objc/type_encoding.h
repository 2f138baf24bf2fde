#pragma once
// Type encodings: one character per scalar type, "{name=fields}" for a structure passed by
// value and '^' followed by the pointee for a pointer. Decimal offsets may follow any type (as in
// "q24@0:8q16") and carry no meaning here; the qualifiers r n N o O R V before a type are skipped.
//
// k_encoding_table is the one list of encoding characters with the C++ type each stands for.
// The grammar below, the signature parser (signature.h), the C++ encoder (cpp_encoding.h) and the
// tests all walk it; nothing else spells out an encoding character's size or libffi type. The
// grammar is constexpr so that the C++ encoder can check structure encodings at compile time.

#include "platform/objc/objc_types.h"

#include <ffi.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>

enum class TypeKind : std::uint8_t {
    SignedInteger,
    UnsignedInteger,
    Boolean,
    Float,
    Double,
    Void,
    CString,
    Object,
    Class,
    Selector,
    Pointer,
    Structure,
};

template <class T>
struct EncodingRow {
    using Type = T;
    char code;
    TypeKind kind;
    ffi_type* ffi;
    const char* cpp_name;
};

// 'l' and 'L' are 32-bit quantities on 64-bit systems, as the platform defines them, so a C++
// long is encoded 'q'. '^' stands for every pointer whatever its pointee.
inline constexpr std::tuple k_encoding_table{
    EncodingRow<signed char>{'c', TypeKind::SignedInteger, &ffi_type_sint8, "signed char"},
    EncodingRow<unsigned char>{'C', TypeKind::UnsignedInteger, &ffi_type_uint8, "unsigned char"},
    EncodingRow<short>{'s', TypeKind::SignedInteger, &ffi_type_sint16, "short"},
    EncodingRow<unsigned short>{'S', TypeKind::UnsignedInteger, &ffi_type_uint16, "unsigned short"},
    EncodingRow<int>{'i', TypeKind::SignedInteger, &ffi_type_sint32, "int"},
    EncodingRow<unsigned int>{'I', TypeKind::UnsignedInteger, &ffi_type_uint32, "unsigned int"},
    EncodingRow<std::int32_t>{'l', TypeKind::SignedInteger, &ffi_type_sint32, "int32_t"},
    EncodingRow<std::uint32_t>{'L', TypeKind::UnsignedInteger, &ffi_type_uint32, "uint32_t"},
    EncodingRow<long long>{'q', TypeKind::SignedInteger, &ffi_type_sint64, "long long"},
    EncodingRow<unsigned long long>{'Q', TypeKind::UnsignedInteger, &ffi_type_uint64,
                                    "unsigned long long"},
    EncodingRow<float>{'f', TypeKind::Float, &ffi_type_float, "float"},
    EncodingRow<double>{'d', TypeKind::Double, &ffi_type_double, "double"},
    EncodingRow<bool>{'B', TypeKind::Boolean, &ffi_type_uint8, "bool"},
    EncodingRow<void>{'v', TypeKind::Void, &ffi_type_void, "void"},
    EncodingRow<char*>{'*', TypeKind::CString, &ffi_type_pointer, "char*"},
    EncodingRow<id>{'@', TypeKind::Object, &ffi_type_pointer, "id"},
    EncodingRow<Class>{'#', TypeKind::Class, &ffi_type_pointer, "Class"},
    EncodingRow<SEL>{':', TypeKind::Selector, &ffi_type_pointer, "SEL"},
    EncodingRow<void*>{'^', TypeKind::Pointer, &ffi_type_pointer, "void*"},
};

// A table row with the size and alignment of its C++ type (0 and 1 for void).
struct EncodingInfo {
    char code;
    TypeKind kind;
    std::size_t size;
    std::size_t alignment;
    ffi_type* ffi;
    const char* cpp_name;
};

namespace encoding_detail {

template <class T>
constexpr EncodingInfo info_of(const EncodingRow<T>& row) {
    if constexpr (std::is_void_v<T>) {
        return {row.code, row.kind, 0, 1, row.ffi, row.cpp_name};
    } else {
        return {row.code, row.kind, sizeof(T), alignof(T), row.ffi, row.cpp_name};
    }
}

} // namespace encoding_detail

inline constexpr auto k_encodings =
    std::apply([](const auto&... rows) { return std::array{encoding_detail::info_of(rows)...}; },
               k_encoding_table);

// Constant evaluation works with indices rather than row pointers: some compilers refuse to
// compare pointers into a constexpr array in a constant expression under sanitizers.
constexpr int encoding_index(char code) {
    for (std::size_t i = 0; i < k_encodings.size(); ++i) {
        if (k_encodings[i].code == code) return static_cast<int>(i);
    }
    return -1;
}

constexpr const EncodingInfo* find_encoding(char code) {
    int index = encoding_index(code);
    return index < 0 ? nullptr : &k_encodings[static_cast<std::size_t>(index)];
}

// One type read from an encoding: `text` is its own text without qualifiers and offsets;
// `scalar` is its table row, null for a structure.
struct EncodedLayout {
    TypeKind kind;
    std::size_t size;
    std::size_t alignment;
    std::string_view text;
    const EncodingInfo* scalar;
};

namespace encoding_detail {

inline constexpr int k_max_nesting = 16;

constexpr bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool is_qualifier(char c) {
    return std::string_view("rnNoORV").find(c) != std::string_view::npos;
}
constexpr bool is_open_bracket(char c) {
    return c == '{' || c == '(' || c == '[';
}
constexpr bool is_close_bracket(char c) {
    return c == '}' || c == ')' || c == ']';
}
constexpr std::size_t align_up(std::size_t value, std::size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

constexpr void skip_qualifiers(std::string_view& rest) {
    while (!rest.empty() && is_qualifier(rest.front()))
        rest.remove_prefix(1);
}

constexpr void skip_offset(std::string_view& rest) {
    if (rest.size() >= 2 && rest[0] == '-' && is_digit(rest[1])) rest.remove_prefix(1);
    while (!rest.empty() && is_digit(rest.front()))
        rest.remove_prefix(1);
}

// A quoted name: a structure field's name, or the class name after '@'.
constexpr bool skip_quoted(std::string_view& rest) {
    if (rest.empty() || rest.front() != '"') return true;
    std::size_t close = rest.find('"', 1);
    if (close == std::string_view::npos) return false;
    rest.remove_prefix(close + 1);
    return true;
}

constexpr bool skip_bracketed(std::string_view& rest) {
    int depth = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (is_open_bracket(rest[i])) ++depth;
        if (is_close_bracket(rest[i]) && --depth == 0) {
            rest.remove_prefix(i + 1);
            return true;
        }
    }
    return false;
}

// "@?" is a block, "@\"NSString\"" an object of a named class; both are plain objects here.
constexpr bool skip_object_suffix(std::string_view& rest) {
    if (!rest.empty() && rest.front() == '?') {
        rest.remove_prefix(1);
        return true;
    }
    return skip_quoted(rest);
}

// Only the text of a pointee matters, so any well-bracketed type is accepted, opaque ones too.
constexpr bool skip_pointee(std::string_view& rest, int depth) {
    skip_qualifiers(rest);
    if (rest.empty() || depth > k_max_nesting) return false;
    char c = rest.front();
    if (is_open_bracket(c)) return skip_bracketed(rest);
    rest.remove_prefix(1);
    if (c == '^') return skip_pointee(rest, depth + 1);
    if (c == '@') return skip_object_suffix(rest);
    return c == '?' || encoding_index(c) >= 0;
}

constexpr std::optional<EncodedLayout> read_scalar(std::string_view& rest) {
    int index = encoding_index(rest.front());
    if (index < 0) return std::nullopt;
    const EncodingInfo& row = k_encodings[static_cast<std::size_t>(index)];
    std::string_view start = rest;
    rest.remove_prefix(1);
    if (row.kind == TypeKind::Pointer && !skip_pointee(rest, 0)) return std::nullopt;
    if (row.kind == TypeKind::Object && !skip_object_suffix(rest)) return std::nullopt;
    return EncodedLayout{row.kind, row.size, row.alignment,
                         start.substr(0, start.size() - rest.size()), &row};
}

constexpr std::optional<EncodedLayout> read_type(std::string_view& rest, int depth);

// Calls visit(field) for each field of the list between '=' and '}' and leaves `rest` at the
// closing '}'; false when a field is malformed or the list is not closed.
template <class Visit>
constexpr bool for_each_field_until_close(std::string_view& rest, int depth, Visit&& visit) {
    while (!rest.empty() && rest.front() != '}') {
        if (!skip_quoted(rest)) return false;
        std::optional<EncodedLayout> field = read_type(rest, depth + 1);
        if (!field || field->kind == TypeKind::Void) return false;
        visit(*field);
    }
    return !rest.empty();
}

// A structure without a field list ("{Opaque}") has no size and cannot be passed by value.
constexpr std::optional<EncodedLayout> read_structure(std::string_view& rest, int depth) {
    std::string_view start = rest;
    rest.remove_prefix(1);
    std::size_t name_end = rest.find_first_of("=}");
    if (name_end == std::string_view::npos || rest[name_end] == '}') return std::nullopt;
    rest.remove_prefix(name_end + 1);
    std::size_t size = 0;
    std::size_t alignment = 1;
    std::size_t fields = 0;
    bool closed = for_each_field_until_close(rest, depth, [&](const EncodedLayout& field) {
        size = align_up(size, field.alignment) + field.size;
        alignment = std::max(alignment, field.alignment);
        ++fields;
    });
    if (!closed || fields == 0) return std::nullopt;
    rest.remove_prefix(1);
    return EncodedLayout{TypeKind::Structure, align_up(size, alignment), alignment,
                         start.substr(0, start.size() - rest.size()), nullptr};
}

constexpr std::optional<EncodedLayout> read_type(std::string_view& rest, int depth) {
    skip_qualifiers(rest);
    if (rest.empty() || depth > k_max_nesting) return std::nullopt;
    std::optional<EncodedLayout> layout =
        rest.front() == '{' ? read_structure(rest, depth) : read_scalar(rest);
    if (layout) skip_offset(rest);
    return layout;
}

} // namespace encoding_detail

// Reads the type at the front of `rest` and the offset after it, and advances past both; nullopt
// when the type is unknown, malformed, void inside a structure or an opaque structure.
constexpr std::optional<EncodedLayout> read_encoded_type(std::string_view& rest) {
    return encoding_detail::read_type(rest, 0);
}

// The layout of a text holding exactly one type; nullopt when it holds anything else.
constexpr std::optional<EncodedLayout> encoded_layout(std::string_view text) {
    std::optional<EncodedLayout> layout = read_encoded_type(text);
    if (!text.empty()) return std::nullopt;
    return layout;
}

// Calls visit(field) for each field of a structure's text as read by read_encoded_type.
template <class Visit>
constexpr void for_each_structure_field(std::string_view structure_text, Visit&& visit) {
    std::string_view rest = structure_text.substr(structure_text.find('=') + 1);
    encoding_detail::for_each_field_until_close(rest, 0, visit);
}

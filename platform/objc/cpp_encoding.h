#pragma once
// The type encoding of a C++ type, for native methods written in C++ and for the checks of typed
// sends. Integers are encoded by size and signedness (the first matching row of the table), bool
// 'B', float 'f', double 'd', void 'v', char pointers '*', pointers to NSObject and its subclasses
// '@', Class '#', SEL ':', other pointers '^' with their pointee, enumerations as their underlying
// type. A structure passed by value names its encoding by specialising ObjcStructEncoding:
//
//     template <> struct ObjcStructEncoding<NSRect> {
//         static constexpr std::string_view value = "{CGRect={CGPoint=dd}{CGSize=dd}}";
//     };
//
// and the encoder checks at compile time that the text's size and alignment match the type's.
// Any other type (references, class types without an encoding, pointers to classes that are only
// declared) fails to compile.

#include "platform/objc/type_encoding.h"

#include <string>
#include <string_view>
#include <type_traits>

template <class T>
struct ObjcStructEncoding;

namespace encoding_detail {

template <class T>
concept HasStructEncoding = requires {
    { ObjcStructEncoding<T>::value } -> std::convertible_to<std::string_view>;
};

template <class T>
concept IsComplete = requires {
    sizeof(T);
};

template <class T>
constexpr int integer_index() {
    constexpr TypeKind kind =
        std::is_signed_v<T> ? TypeKind::SignedInteger : TypeKind::UnsignedInteger;
    for (std::size_t i = 0; i < k_encodings.size(); ++i) {
        if (k_encodings[i].kind == kind && k_encodings[i].size == sizeof(T)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// An object pointer and any other pointer are passed alike but checked apart by typed sends, so
// a pointer to a class that is only declared cannot be encoded: guessing could make every typed
// send of the method fail.
template <class P>
constexpr int pointer_index() {
    if constexpr (std::is_same_v<P, char>) {
        return encoding_index('*');
    } else if constexpr (std::is_same_v<P, objc_class>) {
        return encoding_index('#');
    } else if constexpr (std::is_same_v<P, objc_selector>) {
        return encoding_index(':');
    } else if constexpr (std::is_same_v<P, NSObject>) {
        return encoding_index('@');
    } else if constexpr (std::is_class_v<P>) {
        static_assert(IsComplete<P>, "include the definition of the pointee: a pointer to a "
                                     "native class is encoded '@', any other pointer '^'");
        return std::is_base_of_v<NSObject, P> ? encoding_index('@') : encoding_index('^');
    } else {
        return encoding_index('^');
    }
}

// The table row of a scalar C++ type; -1 for structures and types without an encoding.
template <class T>
constexpr int scalar_index() {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_enum_v<U>) {
        return scalar_index<std::underlying_type_t<U>>();
    } else if constexpr (std::is_same_v<U, bool>) {
        return encoding_index('B');
    } else if constexpr (std::is_integral_v<U>) {
        return integer_index<U>();
    } else if constexpr (std::is_same_v<U, float>) {
        return encoding_index('f');
    } else if constexpr (std::is_same_v<U, double>) {
        return encoding_index('d');
    } else if constexpr (std::is_void_v<U>) {
        return encoding_index('v');
    } else if constexpr (std::is_pointer_v<U>) {
        return pointer_index<std::remove_cv_t<std::remove_pointer_t<U>>>();
    } else {
        return -1;
    }
}

template <class T>
constexpr const EncodingInfo& scalar_row() {
    return k_encodings[static_cast<std::size_t>(scalar_index<T>())];
}

template <class T>
concept IsEncodable = HasStructEncoding<std::remove_cv_t<T>> ||(scalar_index<T>() >= 0);

template <class T>
constexpr bool struct_encoding_matches() {
    constexpr std::optional<EncodedLayout> layout = encoded_layout(ObjcStructEncoding<T>::value);
    return layout && layout->kind == TypeKind::Structure && layout->size == sizeof(T) &&
           layout->alignment == alignof(T);
}

} // namespace encoding_detail

// The encoding text of T, e.g. "q", "@", "^i", "{CGSize=dd}".
template <class T>
std::string objc_encoding() {
    using U = std::remove_cv_t<T>;
    static_assert(encoding_detail::IsEncodable<U>,
                  "type has no encoding: native methods take and return scalars, pointers, "
                  "objects, and structures that specialise ObjcStructEncoding");
    if constexpr (encoding_detail::HasStructEncoding<U>) {
        static_assert(std::is_trivially_copyable_v<U> && std::is_standard_layout_v<U>,
                      "a structure passed by value must be a plain C structure");
        static_assert(encoding_detail::struct_encoding_matches<U>(),
                      "ObjcStructEncoding does not match the structure's size or alignment");
        return std::string(ObjcStructEncoding<U>::value);
    } else {
        constexpr const EncodingInfo& row = encoding_detail::scalar_row<U>();
        if constexpr (row.kind == TypeKind::Pointer) {
            using Pointee = std::remove_cv_t<std::remove_pointer_t<U>>;
            if constexpr (encoding_detail::IsEncodable<Pointee>) {
                return "^" + objc_encoding<Pointee>();
            } else {
                return "^v";
            }
        } else {
            return std::string(1, row.code);
        }
    }
}

// The method encoding of a C++ function taking (receiver, selector, Args...) and returning R.
template <class R, class... Args>
std::string objc_method_encoding() {
    return ((objc_encoding<R>() + "@:") + ... + objc_encoding<Args>());
}

// What a typed send compares with a method's declared type: kind and size, and for a structure
// its encoding. A null pointer constant (std::nullptr_t) stands for any pointer or object.
struct TypeShape {
    TypeKind kind;
    std::size_t size;
    std::string_view structure;
    bool null_pointer;
};

template <class T>
constexpr TypeShape type_shape() {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, std::nullptr_t>) {
        return {TypeKind::Pointer, sizeof(void*), {}, true};
    } else if constexpr (encoding_detail::HasStructEncoding<U>) {
        return {TypeKind::Structure, sizeof(U), ObjcStructEncoding<U>::value, false};
    } else {
        static_assert(encoding_detail::IsEncodable<U>, "type has no encoding");
        constexpr const EncodingInfo& row = encoding_detail::scalar_row<U>();
        return {row.kind, row.size, {}, false};
    }
}

#pragma once
// The object runtime's basic types under the platform's names. An object is a C++ NSObject or a
// subclass of it; a class is itself an object (objc_class derives from NSObject), so wherever
// "platform/objc/objc.h" is included a Class converts to id without a cast.

#include <cstddef>
#include <cstdint>

class NSObject;
struct objc_class;
struct objc_selector;
struct objc_method;

using id = NSObject*;
using Class = objc_class*;
// Selectors are interned: equal names give the same pointer for the life of the process.
using SEL = const objc_selector*;
using Method = objc_method*;
// A method's C function; its real parameter list is given by the method's type encoding and
// always starts with the receiver and the selector.
using IMP = void (*)(void);

// Stands for the C++ function type F of an implementation: a caller that knows a method's exact
// C++ type calls it as that function, without building a call from its encoding.
template <class F>
inline constexpr char k_implementation_type_tag = 0;
template <class F>
constexpr const void* implementation_type_of() {
    return &k_implementation_type_tag<F>;
}

using BOOL = signed char;
inline constexpr BOOL YES = 1;
inline constexpr BOOL NO = 0;
inline constexpr std::nullptr_t nil = nullptr;
inline constexpr std::nullptr_t Nil = nullptr;

using NSInteger = long;
using NSUInteger = unsigned long;

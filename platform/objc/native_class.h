#pragma once
// Native classes: C++ classes registered in the object runtime under a class name, with their
// methods under selectors. The type encodings and the C-ABI functions (IMPs) that the runtime
// calls are derived from the C++ member functions by templates; nothing is written by hand.
//
// Adding a native class, for example NSNumber in platform/foundation/ns_number.{h,cpp}:
//
// 1. Derive the C++ class from NSObject, or from the C++ class of its superclass (public, single
//    inheritance, so that the object starts with NSObject). Give it a public default constructor
//    if +alloc is to make instances, and let -init... methods set its state; C++ code that wants
//    an instance built from constructor arguments uses make_native<NSNumber>(arguments...).
// 2. Write instance methods as member functions (const or not) and class methods as static
//    member functions whose first parameter is `Class self`, the receiving class. Parameters and
//    results are scalars, enumerations, pointers, objects (id, Class, or a pointer to a native
//    C++ class), SEL, and structures with an ObjcStructEncoding (cpp_encoding.h); where the
//    methods are registered, classes named by pointer must be defined, not only declared. A
//    selector has one colon per parameter, except for variadic methods (variadic_class_method).
// 3. Write the class's registration function in its .cpp and declare it in its header:
//
//        void register_ns_number_class() {
//            register_native_class<NSNumber>("NSNumber", "NSValue", {
//                class_method<&NSNumber::numberWithInt>("numberWithInt:"),
//                instance_method<&NSNumber::intValue>("intValue"),
//            });
//        }
//
// 4. Add one line for the function to the list in platform/objc/native_class_list.cpp, after its
//    superclass's. The list is what links a class file into programs: a static library leaves
//    out object files that nothing refers to, so self-registering static objects would be lost.
//
// More methods for a class registered elsewhere (NSObject's -description, once strings exist)
// go through add_native_methods from the later class's registration function.
//
// Classes outside the platform (the runtime's own native classes) call register_native_class
// themselves, once, before their first use; the platform's classes are registered by then.
//
// Ownership follows the platform's naming rule: results of alloc, new, copy and mutableCopy
// belong to the caller; other object results are borrowed, so a convenience constructor returns
// its new object autoreleased (`return make_native<NSNumber>(value).autorelease();`).

#include "platform/objc/cpp_encoding.h"
#include "platform/objc/method.h"
#include "platform/objc/native_class_list.h"
#include "platform/objc/objc_class.h"
#include "platform/objc/objc_ref.h"

#include <atomic>
#include <cassert>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

// One method of a native class, ready for registration.
struct MethodEntry {
    const char* selector;
    IMP implementation;
    std::string types;
    bool is_class_method;
    std::size_t parameter_count; // after the receiver and the selector
    bool variadic = false;       // parameters beyond the selector's colons are variadic ones
    const void* implementation_type = nullptr; // implementation_type_of its C++ type
    IMP word_entry = nullptr;                  // see method.h
};

namespace native_detail {

// Pointers and 64-bit integers and enumerations: what a word entry passes as it is.
template <class T>
constexpr bool is_word() {
    if constexpr (std::is_pointer_v<T>) {
        return true;
    } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
        return sizeof(T) == sizeof(std::int64_t);
    } else {
        return false;
    }
}

// What a word entry may take as an argument: a word, or a narrower integer (not bool), which
// keeps the low bytes of the word passed for it, as a call by the platform's convention would.
template <class T>
constexpr bool is_word_argument() {
    if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
        return sizeof(T) <= sizeof(std::int64_t);
    } else {
        return is_word<T>();
    }
}

template <class T>
using WordOf = std::int64_t;

template <class T>
T from_word(std::int64_t word) {
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<T>(static_cast<std::intptr_t>(word));
    } else {
        return static_cast<T>(word);
    }
}

template <class T>
std::int64_t to_word(T value) {
    if constexpr (std::is_pointer_v<T>) {
        return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(value));
    } else {
        return static_cast<std::int64_t>(value);
    }
}

// The word entry of a trampoline whose `call` takes A... and gives R.
template <class Trampoline, class R, class... A>
struct WordEntry {
    static std::int64_t call(id self, SEL op, WordOf<A>... words) {
        if constexpr (std::is_void_v<R>) {
            Trampoline::call(self, op, from_word<A>(words)...);
            return 0;
        } else {
            return to_word(Trampoline::call(self, op, from_word<A>(words)...));
        }
    }
};

template <class Trampoline, class R, class... A>
IMP word_entry_of() {
    if constexpr (sizeof...(A) <= k_most_word_arguments && (is_word_argument<A>() && ...) &&
                  (std::is_void_v<R> || is_word<R>())) {
        return reinterpret_cast<IMP>(&WordEntry<Trampoline, R, A...>::call);
    } else {
        return nullptr;
    }
}

template <auto Member, class C, class R, class... A>
struct InstanceTrampoline {
    static_assert(std::is_base_of_v<NSObject, C>, "instance methods belong to NSObject subclasses");
    static constexpr std::size_t parameter_count = sizeof...(A);
    static std::string types() { return objc_method_encoding<R, A...>(); }
    static R call(id self, SEL, A... arguments) {
        assert(dynamic_cast<C*>(self) && "a native method reached an object of another C++ class");
        return (static_cast<C*>(self)->*Member)(arguments...);
    }
    static IMP word_entry() { return word_entry_of<InstanceTrampoline, R, A...>(); }
};

template <auto Member, class F>
struct InstanceMethodOf;
template <auto Member, class C, class R, class... A>
struct InstanceMethodOf<Member, R (C::*)(A...)> : InstanceTrampoline<Member, C, R, A...> {};
template <auto Member, class C, class R, class... A>
struct InstanceMethodOf<Member, R (C::*)(A...) const> : InstanceTrampoline<Member, C, R, A...> {};
template <auto Member, class C, class R, class... A>
struct InstanceMethodOf<Member, R (C::*)(A...) noexcept> : InstanceTrampoline<Member, C, R, A...> {
};
template <auto Member, class C, class R, class... A>
struct InstanceMethodOf<Member, R (C::*)(A...) const noexcept>
    : InstanceTrampoline<Member, C, R, A...> {};

template <auto Function, class R, class... A>
struct ClassTrampoline {
    static constexpr std::size_t parameter_count = sizeof...(A);
    static std::string types() { return objc_method_encoding<R, A...>(); }
    static R call(id self, SEL, A... arguments) {
        return Function(static_cast<Class>(self), arguments...);
    }
    static IMP word_entry() { return word_entry_of<ClassTrampoline, R, A...>(); }
};

template <auto Function, class F>
struct ClassMethodOf {
    static_assert(sizeof(F) == 0, "a class method is a static function whose first parameter is "
                                  "Class self");
};
template <auto Function, class R, class... A>
struct ClassMethodOf<Function, R (*)(Class, A...)> : ClassTrampoline<Function, R, A...> {};
template <auto Function, class R, class... A>
struct ClassMethodOf<Function, R (*)(Class, A...) noexcept> : ClassTrampoline<Function, R, A...> {};

template <class Method>
MethodEntry entry_for(const char* selector, bool is_class_method) {
    MethodEntry entry{selector, reinterpret_cast<IMP>(&Method::call), Method::types(),
                      is_class_method, Method::parameter_count};
    entry.implementation_type = implementation_type_of<decltype(&Method::call)>();
    entry.word_entry = Method::word_entry();
    return entry;
}

template <class T>
NSObject* construct_native(std::size_t extra_bytes) {
    return new (ExtraBytes{extra_bytes}) T();
}

template <class T>
NativeLayout native_layout_of() {
    if constexpr (std::is_default_constructible_v<T>) {
        return {&construct_native<T>, sizeof(T)};
    } else {
        return {nullptr, sizeof(T)};
    }
}

// The class first registered with T as its C++ class.
template <class T>
inline std::atomic<Class> g_class_of{nullptr};

} // namespace native_detail

// An instance method: `Member` is a pointer to a member function of a native class.
template <auto Member>
MethodEntry instance_method(const char* selector) {
    using Method = native_detail::InstanceMethodOf<Member, decltype(Member)>;
    return native_detail::entry_for<Method>(selector, false);
}

// A class method: `Function` is a static function taking `Class self` first.
template <auto Function>
MethodEntry class_method(const char* selector) {
    using Method = native_detail::ClassMethodOf<Function, decltype(Function)>;
    return native_detail::entry_for<Method>(selector, true);
}

// Methods whose selector ends in a variadic list (+stringWithFormat:): the C++ parameters after
// those named by the selector's colons stand for the variadic arguments the method reads. They
// are part of its encoding, so objc_msgSend, msg_send and invocations pass them like the others.
template <auto Member>
MethodEntry variadic_instance_method(const char* selector) {
    MethodEntry entry = instance_method<Member>(selector);
    entry.variadic = true;
    return entry;
}

template <auto Function>
MethodEntry variadic_class_method(const char* selector) {
    MethodEntry entry = class_method<Function>(selector);
    entry.variadic = true;
    return entry;
}

// The untyped core of register_native_class.
Class register_native_class_with_layout(const char* name, const char* superclass,
                                        const NativeLayout& layout,
                                        std::span<const MethodEntry> methods);

// Registers `name`, a subclass of `superclass` (null for a new root class) whose instances are
// C++ objects of T. Nil when the name is in use or the superclass is not registered; these are
// programming errors and assert in debug builds, as does a method whose selector's colons do not
// match its parameters (it is left out).
template <class T>
Class register_native_class(const char* name, const char* superclass,
                            std::initializer_list<MethodEntry> methods) {
    static_assert(std::is_base_of_v<NSObject, T>, "a native class derives from NSObject");
    static_assert(alignof(T) <= 16, "instances are 16-byte aligned");
    Class cls =
        register_native_class_with_layout(name, superclass, native_detail::native_layout_of<T>(),
                                          std::span(methods.begin(), methods.size()));
    Class none = nil;
    if (cls) native_detail::g_class_of<T>.compare_exchange_strong(none, cls);
    return cls;
}

// Adds methods to a class (instance or class methods, as each entry says); returns how many were
// added, 0 for Nil or a metaclass. A selector the class already has is skipped, and asserts in
// debug builds.
std::size_t add_native_methods(Class cls, std::initializer_list<MethodEntry> methods);

// The class first registered with T as its C++ class; Nil if none.
template <class T>
Class native_class() {
    ensure_native_classes();
    return native_detail::g_class_of<T>.load(std::memory_order_acquire);
}

// A new T built from `arguments`, an instance of native_class<T>(), holding one reference; empty
// when T is not registered (asserts in debug builds) or memory runs out.
template <class T, class... Args>
ObjcRef<T> make_native(Args&&... arguments) {
    Class cls = native_class<T>();
    assert(cls && "make_native: the C++ class is not registered as a native class");
    if (!cls) return {};
    T* object = new T(std::forward<Args>(arguments)...);
    if (!object) return {};
    ObjectHeader::set_class(*object, cls);
    return ObjcRef<T>::adopt(object);
}

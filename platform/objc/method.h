#pragma once
// Methods: a selector, its implementation and its type encoding. The encoding is parsed into a
// Signature on the first call and kept with the method.

#include "platform/objc/objc_types.h"
#include "platform/objc/signature.h"

#include <atomic>
#include <string>

struct objc_method {
    SEL selector;
    IMP implementation;
    std::string types;
    std::atomic<const Signature*> signature{nullptr};
    // implementation_type_of the implementation's C++ type; null when it is not known (methods
    // added by class_addMethod).
    const void* implementation_type = nullptr;
    // The method as a function of words, for call_word_entry; null unless every argument is a
    // pointer or an integer other than bool, the result (unless void) a pointer or a 64-bit
    // integer, at most k_most_word_arguments after the selector, and the implementation's C++
    // types are known.
    IMP word_entry = nullptr;
};

// A word entry of n arguments is a std::int64_t (*)(id, SEL, std::int64_t x n): each pointer
// or integer passed as the 64-bit integer holding it, the result given back the same way (0 for
// void). Calling it costs a plain function call, where the implementation itself is called
// through libffi.
inline constexpr std::size_t k_most_word_arguments = 4;

// The method's signature, parsed once; null for a null method or a malformed encoding.
const Signature* method_signature(Method method);

extern "C" {
// The encoding as given to class_addMethod (offsets included); null for a null method.
const char* method_getTypeEncoding(Method method);
}

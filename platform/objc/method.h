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
};

// The method's signature, parsed once; null for a null method or a malformed encoding.
const Signature* method_signature(Method method);

extern "C" {
// The encoding as given to class_addMethod (offsets included); null for a null method.
const char* method_getTypeEncoding(Method method);
}

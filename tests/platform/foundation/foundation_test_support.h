#pragma once
// Helpers shared by the Foundation tests: texts of strings, and a send through NSInvocation that
// sets every argument from a 64-bit slot, the way callers that know only the selector text do.

#include "platform/foundation/ns_invocation.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/objc.h"
#include "tests/support/environment_scope.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>

// The string's text as UTF-8, or "<nil>" / "<not a string>", for readable failures.
inline std::string text_of(id object) {
    if (!object) return "<nil>";
    auto* string = dynamic_cast<NSString*>(object);
    return string ? string->utf8() : "<not a string>";
}

// Sends `selector` to `receiver` through an invocation built from the method's own encoding,
// each argument copied from its 64-bit slot; returns the result zero-extended to 64 bits (0 when
// the receiver does not respond).
inline std::uint64_t invoke_with_slots(id receiver, const char* selector,
                                       std::initializer_list<std::uint64_t> slots) {
    SEL sel = sel_registerName(selector);
    Method method = class_getInstanceMethod(object_getClass(receiver), sel);
    if (!method) return 0;
    NSMethodSignature* signature =
        NSMethodSignature::signatureWithObjCTypes(nil, method_getTypeEncoding(method));
    NSInvocation* invocation = NSInvocation::invocationWithMethodSignature(nil, signature);
    if (!invocation) return 0;
    invocation->setSelector(sel);
    NSInteger index = 2;
    for (std::uint64_t slot : slots)
        invocation->setArgument(&slot, index++);
    invocation->invokeWithTarget(receiver);
    std::uint64_t result = 0;
    if (signature->methodReturnLength() > 0 && signature->methodReturnLength() <= 8) {
        invocation->getReturnValue(&result);
    }
    return result;
}

template <class T>
std::uint64_t slot_of(T* pointer) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

inline Class class_named(const char* name) {
    return objc_lookUpClass(name);
}

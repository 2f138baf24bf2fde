#include "platform/objc/method.h"

// Signatures are interned, so two threads racing here store the same pointer.
const Signature* method_signature(Method method) {
    if (!method) return nullptr;
    const Signature* signature = method->signature.load(std::memory_order_acquire);
    if (signature) return signature;
    signature = Signature::for_encoding(method->types);
    method->signature.store(signature, std::memory_order_release);
    return signature;
}

SEL method_getName(Method method) {
    return method ? method->selector : nullptr;
}

IMP method_getImplementation(Method method) {
    return method ? method->implementation : nullptr;
}

const char* method_getTypeEncoding(Method method) {
    return method ? method->types.c_str() : nullptr;
}

unsigned method_getNumberOfArguments(Method method) {
    const Signature* signature = method_signature(method);
    return signature ? static_cast<unsigned>(signature->argument_count()) : 0;
}

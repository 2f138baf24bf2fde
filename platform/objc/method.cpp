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

const char* method_getTypeEncoding(Method method) {
    return method ? method->types.c_str() : nullptr;
}

#include "platform/foundation/ns_method_signature.h"

#include <functional>
#include <string_view>

NSMethodSignature* NSMethodSignature::signatureWithObjCTypes(Class, const char* types) {
    if (!types) return nullptr;
    const Signature* signature = Signature::for_encoding(types);
    if (!signature) return nullptr;
    return make_native<NSMethodSignature>(*signature).autorelease();
}

NSUInteger NSMethodSignature::numberOfArguments() const {
    return m_signature->argument_count();
}

NSUInteger NSMethodSignature::methodReturnLength() const {
    return m_signature->result().size;
}

BOOL NSMethodSignature::isEqual(id other) const {
    auto* that = dynamic_cast<const NSMethodSignature*>(other);
    if (!that) return NO;
    const Signature& mine = *m_signature;
    const Signature& theirs = *that->m_signature;
    if (mine.argument_count() != theirs.argument_count()) return NO;
    if (mine.result().encoding != theirs.result().encoding) return NO;
    for (std::size_t i = 0; i < mine.argument_count(); ++i) {
        if (mine.argument(i).encoding != theirs.argument(i).encoding) return NO;
    }
    return YES;
}

NSUInteger NSMethodSignature::hash() const {
    return std::hash<std::string_view>{}(m_signature->result().encoding) ^
           m_signature->argument_count();
}

void register_ns_method_signature_class() {
    register_native_class<NSMethodSignature>(
        "NSMethodSignature", "NSObject",
        {
            class_method<&NSMethodSignature::signatureWithObjCTypes>("signatureWithObjCTypes:"),
            instance_method<&NSMethodSignature::methodReturnLength>("methodReturnLength"),
        });
}

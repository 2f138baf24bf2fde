#pragma once
// NSMethodSignature: the argument and result types of a method, parsed from its type encoding.
// Signatures are shared per encoding text and live for the whole process.

#include "platform/objc/native_class.h"
#include "platform/objc/signature.h"

class NSMethodSignature : public NSObject {
  public:
    // `signature` must live for the whole process, as those of Signature::for_encoding do.
    explicit NSMethodSignature(const Signature& signature) : m_signature(&signature) {}

    // Autoreleased; nil for a null or malformed encoding.
    static NSMethodSignature* signatureWithObjCTypes(Class self, const char* types);

    // The receiver and the selector included.
    NSUInteger numberOfArguments() const;
    // 0 for void.
    NSUInteger methodReturnLength() const;
    // Equal when every type has the same encoding, offsets aside.
    BOOL isEqual(id other) const override;
    NSUInteger hash() const override;

    const Signature& signature() const { return *m_signature; }

  private:
    const Signature* m_signature;
};

void register_ns_method_signature_class();

#pragma once
// NSInvocation: one message with its arguments held as bytes, sent through the invocation core.
// The target and object arguments are not retained, as on the platform.

#include "platform/foundation/ns_method_signature.h"
#include "platform/objc/argument_frame.h"
#include "platform/objc/objc_ref.h"

class NSInvocation : public NSObject {
  public:
    // Use invocationWithMethodSignature: or make_native<NSInvocation>(signature).
    explicit NSInvocation(NSMethodSignature* signature);

    // Autoreleased; nil for a nil signature.
    static NSInvocation* invocationWithMethodSignature(Class self, NSMethodSignature* signature);

    NSMethodSignature* methodSignature() const { return m_signature.get(); }
    void setSelector(SEL selector);
    SEL selector() const;
    void setTarget(id target);
    id target() const;
    // Copies as many bytes as argument `index` has (0 is the target, 1 the selector) from
    // `address`; an index out of range or a null address changes nothing.
    void setArgument(const void* address, NSInteger index);
    void getArgument(void* address, NSInteger index) const;
    void getReturnValue(void* address) const;
    void invoke();
    // Sends the message to `target`, which becomes the invocation's target. With a nil target,
    // a selector the target does not implement, or a method whose encoding is passed differently
    // from the invocation's signature, nothing is sent and the return value is zeroed.
    void invokeWithTarget(id target);

  private:
    bool holds_argument(NSInteger index) const;

    ObjcRef<NSMethodSignature> m_signature;
    ArgumentFrame m_frame;
};

void register_ns_invocation_class();

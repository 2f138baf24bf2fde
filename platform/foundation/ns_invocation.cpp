#include "platform/foundation/ns_invocation.h"

#include "platform/objc/message_send.h"

#include <cstring>

NSInvocation::NSInvocation(NSMethodSignature* signature)
    : m_signature(ObjcRef<NSMethodSignature>::retain(signature)),
      m_frame(signature->signature(), FrameStart::Zeroed) {}

NSInvocation* NSInvocation::invocationWithMethodSignature(Class, NSMethodSignature* signature) {
    if (!signature) return nullptr;
    return make_native<NSInvocation>(signature).autorelease();
}

void NSInvocation::setSelector(SEL selector) {
    setArgument(&selector, 1);
}

SEL NSInvocation::selector() const {
    SEL selector = nullptr;
    getArgument(&selector, 1);
    return selector;
}

void NSInvocation::setTarget(id target) {
    setArgument(&target, 0);
}

id NSInvocation::target() const {
    id target = nil;
    getArgument(&target, 0);
    return target;
}

bool NSInvocation::holds_argument(NSInteger index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_frame.signature().argument_count();
}

void NSInvocation::setArgument(const void* address, NSInteger index) {
    if (!address || !holds_argument(index)) return;
    auto position = static_cast<std::size_t>(index);
    std::memcpy(m_frame.argument(position), address, m_frame.signature().argument(position).size);
}

void NSInvocation::getArgument(void* address, NSInteger index) const {
    if (!address || !holds_argument(index)) return;
    auto position = static_cast<std::size_t>(index);
    std::memcpy(address, m_frame.argument(position), m_frame.signature().argument(position).size);
}

void NSInvocation::getReturnValue(void* address) const {
    if (!address) return;
    std::memcpy(address, m_frame.result(), m_frame.signature().result().size);
}

void NSInvocation::invoke() {
    invokeWithTarget(target());
}

void NSInvocation::invokeWithTarget(id target) {
    setTarget(target);
    m_frame.clear_result();
    ResolvedMethod method = resolve_method(target, selector());
    if (!method.signature || !method.signature->same_shape(m_frame.signature())) return;
    m_frame.invoke(method.imp);
}

void register_ns_invocation_class() {
    register_native_class<NSInvocation>(
        "NSInvocation", "NSObject",
        {
            class_method<&NSInvocation::invocationWithMethodSignature>(
                "invocationWithMethodSignature:"),
            instance_method<&NSInvocation::methodSignature>("methodSignature"),
            instance_method<&NSInvocation::setSelector>("setSelector:"),
            instance_method<&NSInvocation::selector>("selector"),
            instance_method<&NSInvocation::setTarget>("setTarget:"),
            instance_method<&NSInvocation::target>("target"),
            instance_method<&NSInvocation::setArgument>("setArgument:atIndex:"),
            instance_method<&NSInvocation::getReturnValue>("getReturnValue:"),
            instance_method<&NSInvocation::invoke>("invoke"),
            instance_method<&NSInvocation::invokeWithTarget>("invokeWithTarget:"),
        });
}

#include "platform/objc/ns_object.h"

#include "platform/objc/autorelease_pool.h"
#include "platform/objc/message_send.h"
#include "platform/objc/native_class.h"

#include <cstdlib>

namespace {

SEL dealloc_selector() {
    static SEL selector = sel_registerName("dealloc");
    return selector;
}

} // namespace

void* NSObject::operator new(std::size_t size) noexcept {
    return std::calloc(1, size);
}

void* NSObject::operator new(std::size_t size, ExtraBytes extra) noexcept {
    return std::calloc(1, size + extra.count);
}

void NSObject::operator delete(void* block) noexcept {
    std::free(block);
}

void NSObject::operator delete(void* block, ExtraBytes) noexcept {
    std::free(block);
}

id NSObject::alloc(Class self) {
    return class_createInstance(self, 0);
}

id NSObject::newObject(Class self) {
    id object = alloc(self);
    return object ? msg_send<id>(object, "init") : nil;
}

Class NSObject::classObject(Class self) {
    return self;
}

id NSObject::init() {
    return this;
}

id NSObject::retain() {
    if (m_retain_count.load(std::memory_order_relaxed) != k_immortal) {
        m_retain_count.fetch_add(1, std::memory_order_relaxed);
    }
    return this;
}

// -dealloc goes by message, so that a class made at run time may take part in it; an object of a
// root class made at run time, which has no -dealloc, is destroyed directly.
void NSObject::release() {
    if (m_retain_count.load(std::memory_order_relaxed) == k_immortal) return;
    if (m_retain_count.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    id self = this;
    SEL selector = dealloc_selector();
    ResolvedMethod dealloc = resolve_method(self, selector);
    if (!dealloc.signature) {
        delete this;
        return;
    }
    using NativeDealloc = void (*)(id, SEL);
    if (dealloc.implementation_type == implementation_type_of<NativeDealloc>()) {
        reinterpret_cast<NativeDealloc>(dealloc.imp)(self, selector);
        return;
    }
    void* values[] = {&self, &selector};
    dealloc.signature->call(dealloc.imp, nullptr, values);
}

id NSObject::autorelease() {
    return objc_autorelease(this);
}

void NSObject::dealloc() {
    delete this;
}

NSUInteger NSObject::retainCount() const {
    return static_cast<NSUInteger>(m_retain_count.load(std::memory_order_relaxed));
}

id NSObject::self() {
    return this;
}

Class NSObject::objectClass() const {
    return m_isa;
}

BOOL NSObject::respondsToSelector(SEL selector) const {
    return class_respondsToSelector(m_isa, selector);
}

BOOL NSObject::isEqual(id other) const {
    return other == this ? YES : NO;
}

NSUInteger NSObject::hash() const {
    return reinterpret_cast<NSUInteger>(this);
}

id objc_retain(id object) {
    return object ? object->retain() : nil;
}

void objc_release(id object) {
    if (object) object->release();
}

void register_ns_object_class() {
    register_native_class<NSObject>(
        "NSObject", nullptr,
        {
            class_method<&NSObject::alloc>("alloc"),
            class_method<&NSObject::newObject>("new"),
            class_method<&NSObject::classObject>("class"),
            instance_method<&NSObject::init>("init"),
            instance_method<&NSObject::retain>("retain"),
            instance_method<&NSObject::release>("release"),
            instance_method<&NSObject::autorelease>("autorelease"),
            instance_method<&NSObject::dealloc>("dealloc"),
            instance_method<&NSObject::retainCount>("retainCount"),
            instance_method<&NSObject::self>("self"),
            instance_method<&NSObject::objectClass>("class"),
            instance_method<&NSObject::respondsToSelector>("respondsToSelector:"),
            instance_method<&NSObject::isEqual>("isEqual:"),
            instance_method<&NSObject::hash>("hash"),
        });
}

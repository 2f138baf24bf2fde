#include "platform/foundation/ns_autorelease_pool.h"

#include "platform/objc/autorelease_pool.h"
#include "platform/objc/message_send.h"

id NSAutoreleasePool::init() {
    if (m_token) return this;
    m_token = objc_autoreleasePoolPush();
    m_thread = std::this_thread::get_id();
    return this;
}

// By message, so that a subclass's -release takes part as it would for any object.
void NSAutoreleasePool::drain() {
    msg_send<void>(this, "release");
}

void NSAutoreleasePool::dealloc() {
    if (m_token && m_thread == std::this_thread::get_id()) objc_autoreleasePoolPop(m_token);
    m_token = nullptr;
    NSObject::dealloc();
}

void register_ns_autorelease_pool_class() {
    register_native_class<NSAutoreleasePool>(
        "NSAutoreleasePool", "NSObject",
        {
            instance_method<&NSAutoreleasePool::init>("init"),
            instance_method<&NSAutoreleasePool::drain>("drain"),
            instance_method<&NSAutoreleasePool::retainIgnored>("retain"),
            instance_method<&NSAutoreleasePool::autoreleaseIgnored>("autorelease"),
            instance_method<&NSAutoreleasePool::dealloc>("dealloc"),
        });
}

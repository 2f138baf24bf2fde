#include "platform/foundation/ns_notification_center.h"

#include "platform/objc/message_send.h"

#include <algorithm>

namespace {

bool same_name(NSString* a, NSString* b) {
    return a == b || (a && b && a->isEqualToString(b));
}

} // namespace

NSNotificationCenter* NSNotificationCenter::defaultCenter(Class) {
    static NSNotificationCenter* s_center = [] {
        NSNotificationCenter* center = make_native<NSNotificationCenter>().take();
        if (center) ObjectHeader::make_immortal(*center);
        return center;
    }();
    return s_center;
}

void NSNotificationCenter::addObserver(id observer, SEL selector, NSString* name, id object) {
    if (!observer || !selector) return;
    auto entry = std::make_shared<Registration>(
        Registration{observer, selector, ObjcRef<NSString>::retain(name), object});
    std::lock_guard lock(m_mutex);
    m_registrations.push_back(std::move(entry));
}

void NSNotificationCenter::removeObserver(id observer) {
    if (!observer) return;
    std::vector<std::shared_ptr<Registration>> removed; // names released after the lock
    std::lock_guard lock(m_mutex);
    std::erase_if(m_registrations, [&](const std::shared_ptr<Registration>& entry) {
        if (entry->observer != observer) return false;
        entry->removed = true;
        removed.push_back(entry);
        return true;
    });
}

bool NSNotificationCenter::matches(const Registration& entry, NSNotification* notification) {
    if (entry.name && !same_name(entry.name.get(), notification->name())) return false;
    return !entry.object || entry.object == notification->object();
}

std::vector<std::shared_ptr<NSNotificationCenter::Registration>>
NSNotificationCenter::matching(NSNotification* notification) const {
    std::vector<std::shared_ptr<Registration>> found;
    std::lock_guard lock(m_mutex);
    for (const auto& entry : m_registrations) {
        if (matches(*entry, notification)) found.push_back(entry);
    }
    return found;
}

bool NSNotificationCenter::still_registered(const Registration& entry) const {
    std::lock_guard lock(m_mutex);
    return !entry.removed;
}

void NSNotificationCenter::postNotification(NSNotification* notification) {
    if (!notification || !notification->name()) return;
    ObjcRef<NSNotification> keep = ObjcRef<NSNotification>::retain(notification);
    for (const auto& entry : matching(notification)) {
        if (!still_registered(*entry)) continue;
        objc_msgSend(entry->observer, entry->selector, static_cast<id>(notification));
    }
}

void NSNotificationCenter::postNotificationName(NSString* name, id object) {
    ObjcRef<NSNotification> notification = NSNotification::make(name, object, nil);
    postNotification(notification.get());
}

void register_ns_notification_center_class() {
    register_native_class<NSNotificationCenter>(
        "NSNotificationCenter", "NSObject",
        {
            instance_method<&NSNotificationCenter::addObserver>(
                "addObserver:selector:name:object:"),
            instance_method<&NSNotificationCenter::removeObserver>("removeObserver:"),
            instance_method<&NSNotificationCenter::postNotificationName>(
                "postNotificationName:object:"),
        });
}

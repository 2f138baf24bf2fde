#include "platform/foundation/ns_notification.h"

#include "platform/foundation/instance_of.h"

ObjcRef<NSNotification> NSNotification::make_of(Class cls, NSString* name, id object,
                                                id user_info) {
    if (!name) return {};
    ObjcRef<NSNotification> notification = make_instance_of<NSNotification>(cls);
    if (!notification) return {};
    notification->m_name = ObjcRef<NSString>::retain(name);
    notification->m_object = ObjcRef<>::retain(object);
    notification->m_user_info = ObjcRef<>::retain(user_info);
    return notification;
}

ObjcRef<NSNotification> NSNotification::make(NSString* name, id object, id user_info) {
    return make_of(nil, name, object, user_info);
}

void register_ns_notification_class() {
    register_native_class<NSNotification>("NSNotification", "NSObject",
                                          {
                                              instance_method<&NSNotification::name>("name"),
                                              instance_method<&NSNotification::object>("object"),
                                          });
}

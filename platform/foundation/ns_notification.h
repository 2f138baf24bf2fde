#pragma once
// NSNotification: what a notification center hands its observers: a name, the object that
// posted it and optional user information. All three are retained.

#include "platform/foundation/ns_string.h"
#include "platform/objc/native_class.h"

class NSNotification : public NSObject {
  public:
    NSNotification() = default;

    // A new notification holding one reference; empty for a nil name.
    static ObjcRef<NSNotification> make(NSString* name, id object, id user_info);

    NSString* name() const { return m_name.get(); }
    id object() const { return m_object.get(); }
    id userInfo() const { return m_user_info.get(); }

  private:
    // A new instance of `cls` (NSNotification when nil); empty for a nil name.
    static ObjcRef<NSNotification> make_of(Class cls, NSString* name, id object, id user_info);

    ObjcRef<NSString> m_name;
    ObjcRef<> m_object;
    ObjcRef<> m_user_info;
};

void register_ns_notification_class();

#pragma once
// NSNotificationCenter: calls observers by selector, with the notification as the one argument,
// for every posted notification whose name and object match what they registered for (a nil
// name or object matches any). Observers are called in the order they were added.
//
// Neither observers nor the objects they filter on are retained: an observer removes itself
// before it goes away. An observer removed while a notification is being delivered (by an
// earlier observer of the same post) is not called for it; one added meanwhile is called from
// the next post on. Posting, adding and removing are thread-safe; observers run on the posting
// thread.

#include "platform/foundation/ns_notification.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/native_class.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class NSNotificationCenter : public NSObject {
  public:
    NSNotificationCenter() = default;

    // The process's shared center, immortal. Other centers (the workspace's) are made with
    // make_native<NSNotificationCenter>() or +new.
    static NSNotificationCenter* defaultCenter(Class self);

    // A nil observer or a null selector adds nothing.
    void addObserver(id observer, SEL selector, NSString* name, id object);
    // Every registration of the observer.
    void removeObserver(id observer);
    // A nil notification or name posts nothing.
    void postNotification(NSNotification* notification);
    void postNotificationName(NSString* name, id object);

  private:
    struct Registration {
        id observer;
        SEL selector;
        ObjcRef<NSString> name; // nil: any
        id object;              // nil: any
        bool removed = false;   // read by posts in progress that took it before its removal
    };

    static bool matches(const Registration& entry, NSNotification* notification);
    std::vector<std::shared_ptr<Registration>> matching(NSNotification* notification) const;
    bool still_registered(const Registration& entry) const;

    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<Registration>> m_registrations;
};

void register_ns_notification_center_class();

#pragma once
// NSWorkspace: the system around the application. Its notification center, not the default one,
// carries the system's will-sleep and did-wake notifications.

#include "platform/foundation/ns_notification_center.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/native_class.h"

class NSImage;
class NSURL;

extern NSString* const NSWorkspaceWillSleepNotification;
extern NSString* const NSWorkspaceDidWakeNotification;

class NSWorkspace : public NSObject {
  public:
    NSWorkspace();

    // Immortal.
    static NSWorkspace* sharedWorkspace(Class self);
    // The workspace's own center.
    NSNotificationCenter* notificationCenter() const { return m_center.get(); }
    // Hands the URL to the display; NO for nil, without a display, or when the display cannot.
    BOOL openURL(NSURL* url);
    // An autoreleased 32 × 32 system icon carrying `type` as its system icon type; nil for a nil
    // or empty type.
    NSImage* iconForFileType(NSString* type);

    // For the model: posts NSWorkspaceWillSleepNotification (`sleeping`) or
    // NSWorkspaceDidWakeNotification on the shared workspace's center, the workspace as object.
    static void post_power_notification(bool sleeping);

  private:
    ObjcRef<NSNotificationCenter> m_center;
};

void register_ns_workspace_class();

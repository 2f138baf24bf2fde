#include "platform/appkit/ns_workspace.h"

#include "platform/appkit/ns_image.h"
#include "platform/display/display_slot.h"
#include "platform/foundation/ns_url.h"

#include <mutex>

NSString* const NSWorkspaceWillSleepNotification =
    NSString::make_constant(u"NSWorkspaceWillSleepNotification");
NSString* const NSWorkspaceDidWakeNotification =
    NSString::make_constant(u"NSWorkspaceDidWakeNotification");

NSWorkspace::NSWorkspace() : m_center(make_native<NSNotificationCenter>()) {}

NSWorkspace* NSWorkspace::sharedWorkspace(Class) {
    static NSWorkspace* s_shared = [] {
        NSWorkspace* workspace = make_native<NSWorkspace>().take();
        if (workspace) ObjectHeader::make_immortal(*workspace);
        return workspace;
    }();
    return s_shared;
}

BOOL NSWorkspace::openURL(NSURL* url) {
    Display* display = current_display();
    if (!url || !display) return NO;
    NSString* text = url->absoluteString();
    return display->open_url(text ? text->utf8() : std::string()) ? YES : NO;
}

NSImage* NSWorkspace::iconForFileType(NSString* type) {
    return NSImage::make_system_icon(type).autorelease();
}

void NSWorkspace::post_power_notification(bool sleeping) {
    NSWorkspace* workspace = sharedWorkspace(nil);
    if (!workspace) return;
    NSString* name = sleeping ? NSWorkspaceWillSleepNotification : NSWorkspaceDidWakeNotification;
    workspace->notificationCenter()->postNotificationName(name, workspace);
}

void register_ns_workspace_class() {
    for (NSString* constant : {NSWorkspaceWillSleepNotification, NSWorkspaceDidWakeNotification})
        NSString::give_constant_class(constant);
    register_native_class<NSWorkspace>(
        "NSWorkspace", "NSObject",
        {
            class_method<&NSWorkspace::sharedWorkspace>("sharedWorkspace"),
            instance_method<&NSWorkspace::notificationCenter>("notificationCenter"),
            instance_method<&NSWorkspace::openURL>("openURL:"),
            instance_method<&NSWorkspace::iconForFileType>("iconForFileType:"),
        });
}

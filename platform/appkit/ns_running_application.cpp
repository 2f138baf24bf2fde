#include "platform/appkit/ns_running_application.h"

#include "platform/appkit/ns_application.h"

NSRunningApplication* NSRunningApplication::currentApplication(Class) {
    static NSRunningApplication* s_current = [] {
        NSRunningApplication* application = make_native<NSRunningApplication>().take();
        if (application) ObjectHeader::make_immortal(*application);
        return application;
    }();
    return s_current;
}

BOOL NSRunningApplication::activateWithOptions(NSUInteger) {
    if (NSApp) NSApp->activateIgnoringOtherApps(YES);
    return YES;
}

void register_ns_running_application_class() {
    register_native_class<NSRunningApplication>(
        "NSRunningApplication", "NSObject",
        {
            class_method<&NSRunningApplication::currentApplication>("currentApplication"),
            instance_method<&NSRunningApplication::activateWithOptions>("activateWithOptions:"),
        });
}

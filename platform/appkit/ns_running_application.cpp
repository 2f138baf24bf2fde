#include "platform/appkit/ns_running_application.h"

#include "platform/appkit/ns_application.h"
#include "platform/foundation/ns_bundle.h"

#include <string>
#include <unistd.h>

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

pid_t NSRunningApplication::processIdentifier() const {
    return getpid();
}

NSString* NSRunningApplication::bundleIdentifier() const {
    NSBundle* bundle = NSBundle::mainBundle(nil);
    return bundle ? bundle->bundleIdentifier() : nil;
}

NSString* NSRunningApplication::localizedName() const {
    NSBundle* bundle = NSBundle::mainBundle(nil);
    if (!bundle) return nil;
    ObjcRef<NSString> key = NSString::make(u"CFBundleName");
    if (auto* name = dynamic_cast<NSString*>(bundle->objectForInfoDictionaryKey(key.get())))
        return ObjcRef<NSString>::retain(name).autorelease();
    std::string path = bundle->executablePath() ? bundle->executablePath()->utf8() : std::string();
    return NSString::from_utf8(path.substr(path.rfind('/') + 1)).autorelease();
}

void register_ns_running_application_class() {
    register_native_class<NSRunningApplication>(
        "NSRunningApplication", "NSObject",
        {
            class_method<&NSRunningApplication::currentApplication>("currentApplication"),
            instance_method<&NSRunningApplication::activateWithOptions>("activateWithOptions:"),
            instance_method<&NSRunningApplication::processIdentifier>("processIdentifier"),
            instance_method<&NSRunningApplication::bundleIdentifier>("bundleIdentifier"),
            instance_method<&NSRunningApplication::localizedName>("localizedName"),
        });
}

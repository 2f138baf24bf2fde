#include "runtime/ui/native/kx_application_delegate.h"

#include "platform/appkit/ns_application.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_string.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native/kx_menu_delegate.h"

#include <string>

namespace rt {

namespace {

OpenFilesHook g_open_files_hook = nullptr;

std::string joined_names(NSArray* names) {
    std::string joined;
    for (NSUInteger index = 0; names && index < names->count(); ++index) {
        if (index > 0) joined += '\t';
        auto* name = static_cast<NSString*>(names->objectAtIndex(index));
        if (const char* utf8 = name ? name->UTF8String() : nullptr) joined += utf8;
    }
    return joined;
}

} // namespace

void set_open_files_hook(OpenFilesHook hook) {
    g_open_files_hook = hook;
}

void KXApplicationDelegate::applicationOpenFiles(NSApplication*, NSArray* names) {
    std::string joined = joined_names(names);
    if (g_open_files_hook) g_open_files_hook(joined.c_str());
}

uint64_t KXApplicationDelegate::applicationShouldTerminate(NSApplication*) {
    QueueEvent(EventKindMenu, MenuItemQuit, -1, 0);
    return NSTerminateCancel;
}

void KXApplicationDelegate::theadedAction(id) {}

void register_kx_application_delegate_class() {
    register_native_class<KXApplicationDelegate>(
        "KXApplicationDelegate", "NSObject",
        {
            instance_method<&KXApplicationDelegate::applicationOpenFiles>("application:openFiles:"),
            instance_method<&KXApplicationDelegate::applicationShouldTerminate>(
                "applicationShouldTerminate:"),
            instance_method<&KXApplicationDelegate::theadedAction>("theadedAction:"),
        });
}

} // namespace rt

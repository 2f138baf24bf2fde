#include "runtime/ui/message_box.h"

#include "platform/appkit/ns_alert.h"
#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_button.h"
#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_window.h"
#include "platform/appkit/ns_workspace.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_locale.h"
#include "platform/foundation/ns_string.h"

#include <string>

namespace rt {

namespace {

std::u16string_view text_of(const char16_t* text) {
    return text ? std::u16string_view(text) : std::u16string_view();
}

std::u16string first_preferred_language() {
    NSArray* languages = NSLocale::preferredLanguages(nil);
    if (!languages || languages->count() == 0) return {};
    return std::u16string(units_of(static_cast<NSString*>(languages->objectAtIndex(0))));
}

void set_icon(NSAlert& alert, const MessageBoxPlan& plan) {
    if (plan.informational_style) {
        alert.setAlertStyle(AlertStyleInformational);
        return;
    }
    ObjcRef<NSString> type = NSString::make(message_box_icon_file_type(plan.icon));
    alert.setIcon(NSWorkspace::sharedWorkspace(nil)->iconForFileType(type.get()));
}

void add_buttons(NSAlert& alert, const MessageBoxPlan& plan) {
    for (int index = 0; index < plan.button_count; ++index) {
        const MessageBoxButton& button = plan.buttons[index];
        alert.addButtonWithTitle(NSString::make(button.title).get())->setTag(button.tag);
    }
}

ObjcRef<NSWindow> current_key_window() {
    return NSApp ? ObjcRef<NSWindow>::retain(NSApp->keyWindow()) : ObjcRef<NSWindow>();
}

} // namespace

int InitMessageBox() {
    NSApplication* application = NSApplication::sharedApplication(nil);
    application->setActivationPolicy(NSApplicationActivationPolicyRegular);
    return 1;
}

int64_t ShowMessageBox(const char16_t* title, const char16_t* text, uint32_t flags) {
    ObjcRef<NSAlert> alert = make_native<NSAlert>();
    if (!alert) return 0;
    ObjcRef<NSWindow> previous_key = current_key_window();
    alert->setMessageText(NSString::make(text_of(title)).get());
    alert->setInformativeText(NSString::make(text_of(text)).get());
    alert->setShowsHelp(NO);
    alert->setShowsHistory((flags & MessageBoxShowsHistory) ? YES : NO);
    MessageBoxPlan plan = plan_message_box(flags, first_preferred_language());
    set_icon(*alert, plan);
    add_buttons(*alert, plan);
    int64_t answer = alert->runModal();
    if (previous_key) previous_key->makeKeyWindow();
    return message_box_result(plan, answer);
}

} // namespace rt

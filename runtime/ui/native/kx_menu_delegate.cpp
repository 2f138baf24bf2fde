#include "runtime/ui/native/kx_menu_delegate.h"

#include "platform/appkit/ns_menu_item.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/menu_records.h"
#include "runtime/ui/native/kx_menu_object.h"
#include "runtime/ui/window_records.h"

namespace rt {

void KXMenuDelegate::preferences(id) {
    QueueEvent(EventKindMenu, MenuItemPreferences, m_window_id, 0);
}

void KXMenuDelegate::about(id) {
    QueueEvent(EventKindMenu, MenuItemAbout, m_window_id, 0);
}

void KXMenuDelegate::terminate(id) {
    QueueEvent(EventKindMenu, MenuItemQuit, m_window_id, 0);
}

void KXMenuDelegate::eventHandler(id sender) {
    auto* item = dynamic_cast<NSMenuItem*>(sender);
    auto* object = item ? dynamic_cast<KXMenuObject*>(item->representedObject()) : nullptr;
    const MenuRecord* menu = object ? object->menu() : nullptr;
    if (!menu) return;
    if (!menu->window) {
        QueueEvent(EventKindMenu, item->tag(), 0, 0);
        return;
    }
    const int64_t window = NativeWindowID(menu->window);
    const WindowRecord* record = window_record(window);
    if (!record || record->disabled) return;
    QueueEvent(EventKindMenu, item->tag(), window, 0);
}

void register_kx_menu_delegate_class() {
    register_native_class<KXMenuDelegate>(
        "KXMenuDelegate", "NSObject",
        {
            instance_method<&KXMenuDelegate::setWindowID>("setWindowID:"),
            instance_method<&KXMenuDelegate::preferences>("preferences:"),
            instance_method<&KXMenuDelegate::about>("about:"),
            instance_method<&KXMenuDelegate::terminate>("terminate:"),
            instance_method<&KXMenuDelegate::eventHandler>("eventHandler:"),
        });
}

} // namespace rt

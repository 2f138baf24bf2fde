#include "runtime/ui/native/kx_menu_delegate.h"

#include "runtime/ui/event_queue.h"

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

void register_kx_menu_delegate_class() {
    register_native_class<KXMenuDelegate>(
        "KXMenuDelegate", "NSObject",
        {
            instance_method<&KXMenuDelegate::setWindowID>("setWindowID:"),
            instance_method<&KXMenuDelegate::preferences>("preferences:"),
            instance_method<&KXMenuDelegate::about>("about:"),
            instance_method<&KXMenuDelegate::terminate>("terminate:"),
        });
}

} // namespace rt

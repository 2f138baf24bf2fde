#include "runtime/ui/native/kx_window.h"

#include "runtime/ui/window_records.h"

#include <mutex>

bool KXWindow::is_enabled() const {
    return !m_record || m_record->disabled == 0;
}

BOOL KXWindow::canBecomeKeyWindow() const {
    return is_enabled() ? YES : NO;
}

BOOL KXWindow::canBecomeMainWindow() const {
    return is_enabled() ? YES : NO;
}

void register_kx_window_class() {
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXWindow>(
            "KXWindow", "NSWindow",
            {
                instance_method<&KXWindow::canBecomeKeyWindow>("canBecomeKeyWindow"),
                instance_method<&KXWindow::canBecomeMainWindow>("canBecomeMainWindow"),
            });
    });
}

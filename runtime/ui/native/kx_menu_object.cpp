#include "runtime/ui/native/kx_menu_object.h"

#include "runtime/ui/menu_records.h"

#include <mutex>

namespace rt {

id KXMenuObject::initWithMenu(MenuRecord* menu) {
    m_menu = menu;
    return this;
}

void register_kx_menu_object_class() {
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXMenuObject>(
            "KXMenuObject", "NSObject",
            {
                instance_method<&KXMenuObject::initWithMenu>("initWithMenu:"),
            });
    });
}

} // namespace rt

#include "platform/appkit/ns_status_bar.h"

#include <algorithm>

namespace {

NSStatusBar* g_system_status_bar = nullptr;

} // namespace

NSStatusBar* NSStatusBar::systemStatusBar(Class) {
    static NSStatusBar* s_bar = [] {
        NSStatusBar* bar = make_native<NSStatusBar>().take();
        if (bar) ObjectHeader::make_immortal(*bar);
        g_system_status_bar = bar;
        return bar;
    }();
    return s_bar;
}

NSStatusItem* NSStatusBar::statusItemWithLength(NSInteger length) {
    ObjcRef<NSStatusItem> item = make_native<NSStatusItem>();
    if (!item) return nil;
    item->setLength(static_cast<CGFloat>(length));
    item->set_status_bar(this);
    m_items.push_back(item.get());
    return item.autorelease();
}

void NSStatusBar::removeStatusItem(NSStatusItem* item) {
    if (!item || item->statusBar() != this) return;
    forget_item(item);
}

NSStatusItem* NSStatusBar::shown_item() {
    if (!g_system_status_bar || g_system_status_bar->m_items.empty()) return nil;
    return g_system_status_bar->m_items.front();
}

void NSStatusBar::forget_item(NSStatusItem* item) {
    std::erase(m_items, item);
}

void register_ns_status_bar_class() {
    register_native_class<NSStatusBar>(
        "NSStatusBar", "NSObject",
        {
            class_method<&NSStatusBar::systemStatusBar>("systemStatusBar"),
            instance_method<&NSStatusBar::statusItemWithLength>("statusItemWithLength:"),
            instance_method<&NSStatusBar::removeStatusItem>("removeStatusItem:"),
        });
}

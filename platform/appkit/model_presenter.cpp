#include "platform/appkit/model_presenter.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_status_item.h"
#include "platform/appkit/ns_view.h"
#include "platform/appkit/ns_window.h"

#include <vector>

namespace {

std::vector<ObjcRef<NSWindow>> application_windows() {
    std::vector<ObjcRef<NSWindow>> windows;
    if (!NSApp) return windows;
    for (NSWindow* window : NSApp->window_list())
        windows.push_back(ObjcRef<NSWindow>::retain(window));
    return windows;
}

void draw_visible_windows(const std::vector<ObjcRef<NSWindow>>& windows) {
    for (const auto& window : windows) {
        if (!window->isVisible()) continue;
        if (NSView* content = window->contentView()) content->display_if_needed();
    }
}

} // namespace

void ModelPresenter::show_on(Display& display) {
    show_status_item_on(display);
    std::vector<ObjcRef<NSWindow>> windows = application_windows();
    draw_visible_windows(windows);
    double main_height = display.screens().front().height;
    std::set<int64_t> listed;
    std::set<int64_t> shown;
    for (const auto& window : windows) {
        WindowSnapshot snapshot = window->display_snapshot(main_height);
        listed.insert(snapshot.number);
        if (!snapshot.visible && !m_shown.contains(snapshot.number)) continue;
        display.set_window(snapshot);
        shown.insert(snapshot.number);
    }
    for (int64_t number : m_shown) {
        if (!listed.contains(number)) display.window_closed(static_cast<int>(number));
    }
    m_shown = std::move(shown);
}

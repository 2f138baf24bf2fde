#include "platform/appkit/model_presenter.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_status_bar.h"
#include "platform/appkit/ns_view.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// Retained, since drawing may change the application's window list.
void collect_application_windows(std::vector<ObjcRef<NSWindow>>& windows) {
    if (!NSApp) return;
    for (NSWindow* window : NSApp->window_list())
        windows.push_back(ObjcRef<NSWindow>::retain(window));
}

void draw_visible_windows(const std::vector<ObjcRef<NSWindow>>& windows) {
    for (const auto& window : windows) {
        if (!window->isVisible()) continue;
        if (NSView* content = window->contentView()) content->display_if_needed();
    }
}

bool has_number(const std::vector<int64_t>& numbers, int64_t number) {
    return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

} // namespace

void ModelPresenter::show_on(Display& display) {
    m_status_item.update(NSStatusBar::shown_item(), display.shows_status_pixels());
    display.set_status(m_status_item.status());
    display.set_status_menu(m_status_item.menu());
    show_windows_on(display);
}

void ModelPresenter::show_windows_on(Display& display) {
    // Taken out of the member, so that a showing started while windows draw has its own list.
    std::vector<ObjcRef<NSWindow>> windows = std::exchange(m_windows, {});
    collect_application_windows(windows);
    draw_visible_windows(windows);
    std::optional<double> main_height;
    std::vector<int64_t> listed;
    std::vector<int64_t> showing;
    for (const auto& window : windows) {
        const bool visible = window->isVisible() != NO;
        // A hidden window matters only to a display that shows some window as open.
        if (!visible && m_shown.empty()) continue;
        const int64_t number = static_cast<int>(window->display_number());
        listed.push_back(number);
        if (!visible && !has_number(m_shown, number)) continue;
        if (!main_height) main_height = display.screens().front().height;
        display.set_window(window->display_snapshot(*main_height));
        showing.push_back(number);
    }
    windows.clear();
    m_windows = std::move(windows);
    for (int64_t number : m_shown) {
        if (!has_number(listed, number)) display.window_closed(static_cast<int>(number));
    }
    std::sort(showing.begin(), showing.end());
    showing.erase(std::unique(showing.begin(), showing.end()), showing.end());
    m_shown = std::move(showing);
}

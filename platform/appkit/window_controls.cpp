#include "platform/appkit/window_controls.h"

#include "platform/appkit/ns_box.h"
#include "platform/appkit/ns_button.h"
#include "platform/appkit/ns_pop_up_button.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_array.h"
#include "platform/objc/autorelease_pool.h"
#include "platform/objc/message_send.h"

#include <algorithm>
#include <optional>
#include <variant>

namespace {

struct ShownControl {
    NSView* view;
    uint64_t serial;
    ControlKind kind;
};

// The button types a display shows: check boxes and plain push buttons.
std::optional<ControlKind> button_kind(NSUInteger type) {
    if (type == NSButtonTypeSwitch) return ControlKind::checkbox;
    if (type == NSButtonTypeMomentaryPushIn || type == NSButtonTypeMomentaryLight)
        return ControlKind::button;
    return std::nullopt;
}

std::optional<ShownControl> shown_control(NSView* view) {
    if (auto* pop_up = dynamic_cast<NSPopUpButton*>(view))
        return ShownControl{view, pop_up->creation_serial(), ControlKind::choice};
    if (auto* button = dynamic_cast<NSButton*>(view)) {
        std::optional<ControlKind> kind = button_kind(button->buttonType());
        if (!kind) return std::nullopt;
        return ShownControl{view, button->creation_serial(), *kind};
    }
    if (auto* field = dynamic_cast<NSTextField*>(view))
        return ShownControl{view, field->creation_serial(), ControlKind::text};
    if (auto* box = dynamic_cast<NSBox*>(view))
        return ShownControl{view, box->creation_serial(), ControlKind::frame};
    return std::nullopt;
}

void collect(NSView* view, std::vector<ShownControl>& found) {
    if (!view || view->isHidden()) return;
    if (std::optional<ShownControl> control = shown_control(view)) found.push_back(*control);
    NSArray* subviews = view->subviews();
    for (NSUInteger index = 0; index < subviews->count(); ++index)
        collect(static_cast<NSView*>(subviews->objectAtIndex(index)), found);
}

std::vector<ShownControl> shown_controls(NSView* content) {
    std::vector<ShownControl> found;
    collect(content, found);
    std::stable_sort(found.begin(), found.end(), [](const ShownControl& a, const ShownControl& b) {
        return a.serial < b.serial;
    });
    return found;
}

// Read by message, so that the runtime's views, which keep their own tags, are heard.
int number_of(NSView* view) {
    return static_cast<int>(msg_send<NSInteger>(view, "tag"));
}

std::string text_of(const ShownControl& control) {
    switch (control.kind) {
    case ControlKind::checkbox:
    case ControlKind::button:
        return static_cast<NSButton*>(control.view)->title()->utf8();
    case ControlKind::choice: {
        NSString* title = static_cast<NSPopUpButton*>(control.view)->titleOfSelectedItem();
        return title ? title->utf8() : std::string();
    }
    case ControlKind::text:
        return static_cast<NSTextField*>(control.view)->stringValue()->utf8();
    case ControlKind::frame:
        return static_cast<NSBox*>(control.view)->shown_title();
    }
    return {};
}

std::vector<std::string> item_titles(const NSPopUpButton& pop_up) {
    std::vector<std::string> titles;
    for (NSInteger index = 0; index < pop_up.numberOfItems(); ++index)
        titles.push_back(pop_up.itemTitleAtIndex(index)->utf8());
    return titles;
}

// Read by message, as a click checks it.
bool is_enabled(NSView* view) {
    auto* control = dynamic_cast<NSControl*>(view);
    return !control || msg_send<BOOL>(control, "isEnabled");
}

ControlSnapshot snapshot_of(const ShownControl& control, const ScreenRect& content_rect) {
    const NSRect frame = control.view->frame_in_content_top_left();
    ControlSnapshot snapshot;
    snapshot.number = number_of(control.view);
    snapshot.kind = control.kind;
    snapshot.text = text_of(control);
    if (control.kind == ControlKind::checkbox)
        snapshot.state = static_cast<int>(static_cast<NSButton*>(control.view)->state());
    if (control.kind == ControlKind::choice) {
        auto* pop_up = static_cast<NSPopUpButton*>(control.view);
        snapshot.state = static_cast<int>(pop_up->indexOfSelectedItem());
        snapshot.items = item_titles(*pop_up);
    }
    snapshot.enabled = is_enabled(control.view);
    snapshot.frame = {content_rect.x + frame.origin.x, content_rect.y + frame.origin.y,
                      frame.size.width, frame.size.height};
    return snapshot;
}

NSWindow* visible_window(const std::vector<NSWindow*>& windows, int window_number) {
    for (NSWindow* window : windows) {
        if (window->isVisible() && window->display_number() == window_number) return window;
    }
    return nil;
}

} // namespace

std::vector<ControlSnapshot> window_control_snapshots(NSView* content,
                                                      const ScreenRect& content_rect) {
    // The walk makes autoreleased arrays and strings on every pass of the display.
    AutoreleasePoolScope pool;
    std::vector<ControlSnapshot> snapshots;
    for (const ShownControl& control : shown_controls(content))
        snapshots.push_back(snapshot_of(control, content_rect));
    return snapshots;
}

NSView* window_control(NSWindow* window, int number) {
    if (!window) return nil;
    AutoreleasePoolScope pool;
    for (const ShownControl& control : shown_controls(window->contentView())) {
        if (number_of(control.view) == number) return control.view;
    }
    return nil;
}

// The enabled control a person can reach, or why there is none.
std::variant<NSView*, std::string> reachable_control(const std::vector<NSWindow*>& windows,
                                                     int window_number, int number) {
    NSWindow* window = visible_window(windows, window_number);
    if (!window) return "no such window";
    NSView* view = window_control(window, number);
    if (!view) return "no control " + std::to_string(number);
    if (!is_enabled(view)) return "control " + std::to_string(number) + " is disabled";
    return view;
}

std::string click_window_control(const std::vector<NSWindow*>& windows, int window_number,
                                 int number) {
    auto reached = reachable_control(windows, window_number, number);
    if (auto* refusal = std::get_if<std::string>(&reached)) return *refusal;
    NSView* view = std::get<NSView*>(reached);
    // A pop-up's press would only open its menu, which the display shows in its own way.
    if (dynamic_cast<NSPopUpButton*>(view)) return {};
    if (view->respondsToSelector(sel_registerName("performClick:")))
        msg_send<void>(view, "performClick:", static_cast<id>(view));
    return {};
}

std::string choose_window_control_item(const std::vector<NSWindow*>& windows, int window_number,
                                       int number, int item) {
    auto reached = reachable_control(windows, window_number, number);
    if (auto* refusal = std::get_if<std::string>(&reached)) return *refusal;
    auto* pop_up = dynamic_cast<NSPopUpButton*>(std::get<NSView*>(reached));
    if (!pop_up) return "control " + std::to_string(number) + " is not a choice";
    if (!pop_up->choose_item(item))
        return "control " + std::to_string(number) + " has no item " + std::to_string(item);
    return {};
}

#include "platform/appkit/ns_alert.h"

#include "platform/appkit/main_thread_tasks.h"
#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_button.h"
#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_window.h"
#include "platform/display/display_slot.h"
#include "platform/display/history_source.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_run_loop.h"
#include "platform/objc/message_send.h"

#include <array>
#include <string_view>

namespace {

struct IconType {
    std::u16string_view type;
    AlertIcon icon;
};

constexpr std::array<IconType, 3> k_icon_types = {{
    {u"'caut'", AlertIcon::caution},
    {u"'stop'", AlertIcon::stop},
    {u"'note'", AlertIcon::note},
}};

// The size of a push button of the panel; the model does not lay the panel out.
constexpr NSRect k_button_frame = {{0, 0}, {82, 32}};
constexpr NSRect k_panel_content = {{0, 0}, {420, 150}};

std::string utf8_of(NSString* text) {
    return text ? text->utf8() : std::string();
}

// Fires the modal panel mode's timers while the alert waits, and tells the display when the next
// one is due.
class AlertModalPass final : public Display::ModalPass {
  public:
    // Sleep and wake notices are delivered while the alert is up, as timers of the mode fire.
    std::optional<int64_t> run_due() override {
        run_main_thread_tasks();
        NSRunLoop* loop = NSRunLoop::main();
        loop->fire_due_timers(NSModalPanelRunLoopMode);
        show_model_on_display();
        std::optional<double> next = loop->next_fire_time(NSModalPanelRunLoopMode);
        return next ? display_deadline(*next) : std::nullopt;
    }
};

} // namespace

void NSAlert::setMessageText(NSString* text) {
    m_message_text = ObjcRef<NSString>::retain(text);
}

void NSAlert::setInformativeText(NSString* text) {
    m_informative_text = ObjcRef<NSString>::retain(text);
}

void NSAlert::setIcon(NSImage* icon) {
    m_icon = ObjcRef<NSImage>::retain(icon);
}

NSButton* NSAlert::addButtonWithTitle(NSString* title) {
    ObjcRef<NSButton> button = make_native<NSButton>();
    if (!button) return nil;
    button->initWithFrame(k_button_frame);
    button->setTitle(title);
    button->setTag(NSAlertFirstButtonReturn + static_cast<NSInteger>(m_buttons.size()));
    button->setTarget(this);
    button->setAction(sel_registerName("buttonPressed:"));
    m_buttons.push_back(button);
    return button.get();
}

NSArray* NSAlert::buttons() const {
    std::vector<id> objects;
    for (const auto& button : m_buttons)
        objects.push_back(button.get());
    return NSArray::make(objects).autorelease();
}

NSWindow* NSAlert::window() {
    if (m_window) return m_window.get();
    m_window = make_native<NSWindow>();
    if (!m_window) return nil;
    m_window->initWithContentRectStyleMaskBackingDefer(k_panel_content, NSWindowStyleMaskTitled,
                                                       NSBackingStoreBuffered, NO);
    m_window->setReleasedWhenClosed(NO);
    return m_window.get();
}

void NSAlert::buttonPressed(id sender) {
    if (auto* button = dynamic_cast<NSButton*>(sender)) m_response = button->tag();
}

AlertIcon NSAlert::display_icon() const {
    if (!m_icon) return m_style == NSAlertStyleCritical ? AlertIcon::stop : AlertIcon::app;
    std::u16string_view type = units_of(m_icon->system_icon_type());
    for (const IconType& entry : k_icon_types) {
        if (entry.type == type) return entry.icon;
    }
    return AlertIcon::app;
}

AlertSnapshot NSAlert::snapshot() const {
    AlertSnapshot snapshot;
    snapshot.title = utf8_of(m_message_text.get());
    snapshot.text = utf8_of(m_informative_text.get());
    snapshot.icon = display_icon();
    for (const auto& button : m_buttons)
        snapshot.buttons.push_back(utf8_of(button->title()));
    if (m_shows_history) snapshot.history = current_history();
    return snapshot;
}

NSInteger NSAlert::runModal() {
    if (m_buttons.empty()) addButtonWithTitle(NSString::make(u"OK").get());
    if (m_buttons.empty()) return NSModalResponseAbort;
    ObjcRef<NSAlert> keep = ObjcRef<NSAlert>::retain(this); // a button's action may release it
    Display* display = current_display();
    if (!display) return m_buttons.front()->tag();
    show_model_on_display();
    AlertModalPass pass;
    int answer = display->run_alert(snapshot(), pass);
    if (answer < 1 || answer > static_cast<int>(m_buttons.size())) {
        NSApplication::end_of_input();
        return NSModalResponseAbort;
    }
    ObjcRef<NSButton> button = m_buttons[static_cast<std::size_t>(answer - 1)];
    m_response.reset();
    msg_send<void>(button.get(), "performClick:", id{nil});
    // Without an application the click cannot reach the alert; the button's tag still answers.
    return m_response.value_or(button->tag());
}

void register_ns_alert_class() {
    register_native_class<NSAlert>(
        "NSAlert", "NSObject",
        {
            instance_method<&NSAlert::setMessageText>("setMessageText:"),
            instance_method<&NSAlert::setInformativeText>("setInformativeText:"),
            instance_method<&NSAlert::setShowsHelp>("setShowsHelp:"),
            instance_method<&NSAlert::setShowsHistory>("setShowsHistory:"),
            instance_method<&NSAlert::setAlertStyle>("setAlertStyle:"),
            instance_method<&NSAlert::icon>("icon"),
            instance_method<&NSAlert::setIcon>("setIcon:"),
            instance_method<&NSAlert::addButtonWithTitle>("addButtonWithTitle:"),
            instance_method<&NSAlert::buttons>("buttons"),
            instance_method<&NSAlert::window>("window"),
            instance_method<&NSAlert::runModal>("runModal"),
            instance_method<&NSAlert::buttonPressed>("buttonPressed:"),
        });
}

#include "platform/appkit/ns_window.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_screen.h"
#include "platform/appkit/window_controls.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_notification.h"
#include "platform/objc/message_send.h"

#include <algorithm>
#include <atomic>

NSString* const NSWindowDidMoveNotification =
    NSString::make_constant(u"NSWindowDidMoveNotification");
NSString* const NSWindowDidResizeNotification =
    NSString::make_constant(u"NSWindowDidResizeNotification");
NSString* const NSWindowDidBecomeKeyNotification =
    NSString::make_constant(u"NSWindowDidBecomeKeyNotification");
NSString* const NSWindowDidResignKeyNotification =
    NSString::make_constant(u"NSWindowDidResignKeyNotification");
NSString* const NSWindowDidMiniaturizeNotification =
    NSString::make_constant(u"NSWindowDidMiniaturizeNotification");
NSString* const NSWindowWillCloseNotification =
    NSString::make_constant(u"NSWindowWillCloseNotification");
NSString* const NSWindowDidUpdateNotification =
    NSString::make_constant(u"NSWindowDidUpdateNotification");

namespace {

// Window numbers are handed out in order, so that runs replay exactly.
std::atomic<NSInteger> g_next_window_number{1};

bool is_titled(NSUInteger style) {
    return (style & NSWindowStyleMaskTitled) != 0;
}

NSPoint centre_of(NSRect rect) {
    return {rect.origin.x + rect.size.width / 2, rect.origin.y + rect.size.height / 2};
}

bool rect_contains(NSRect rect, NSPoint point) {
    return point.x >= rect.origin.x && point.x < rect.origin.x + rect.size.width &&
           point.y >= rect.origin.y && point.y < rect.origin.y + rect.size.height;
}

CGFloat overlap_area(NSRect a, NSRect b) {
    const CGFloat width = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width) -
                          std::max(a.origin.x, b.origin.x);
    const CGFloat height = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height) -
                           std::max(a.origin.y, b.origin.y);
    return width > 0 && height > 0 ? width * height : 0;
}

NSScreen* screen_for_frame(NSArray* screens, NSRect frame) {
    NSScreen* best = nil;
    CGFloat best_area = 0;
    for (const ObjcRef<>& object : *screens) {
        auto* screen = static_cast<NSScreen*>(object.get());
        if (rect_contains(screen->frame(), centre_of(frame))) return screen;
        const CGFloat area = overlap_area(screen->frame(), frame);
        if (area > best_area) {
            best = screen;
            best_area = area;
        }
    }
    return best;
}

} // namespace

NSWindow::~NSWindow() {
    // Nothing may send messages about a window that is going away: no delegate, no key change.
    m_delegate = nullptr;
    let_go_of_family();
    if (m_registered && NSApp) NSApp->remove_window(this);
    // Someone may still hold a title-bar button; it must not press a window that is gone.
    for (const ObjcRef<NSButton>& button : m_standard_buttons) {
        if (button) button->setTarget(nil);
    }
    if (m_content_view) {
        m_content_view->set_content_window(nullptr);
        m_content_view->setNextResponder(nullptr);
    }
}

id NSWindow::init() {
    return msg_send<id>(this, "initWithContentRect:styleMask:backing:defer:", NSRect{},
                        NSUInteger{NSWindowStyleMaskTitled}, NSUInteger{NSBackingStoreBuffered},
                        NO);
}

id NSWindow::initWithContentRectStyleMaskBackingDefer(NSRect content, NSUInteger style, NSUInteger,
                                                      BOOL) {
    m_style = style;
    m_frame = frameRectForContentRect(content);
    if (m_window_number == 0) m_window_number = g_next_window_number.fetch_add(1);
    m_title = NSString::make(u"");
    m_background_color = ObjcRef<NSColor>::retain(NSColor::windowBackgroundColor(nil));
    setContentView(make_native<NSView>().get());
    register_with_application();
    return this;
}

NSRect NSWindow::frameRectForContentRectStyleMask(Class, NSRect content, NSUInteger style) {
    if (!is_titled(style)) return content;
    return NSMakeRect(content.origin.x - k_window_border_width, content.origin.y,
                      content.size.width + 2 * k_window_border_width,
                      content.size.height + k_window_title_bar_height);
}

NSRect NSWindow::content_rect_for_frame_rect(NSRect frame, NSUInteger style) {
    if (!is_titled(style)) return frame;
    return NSMakeRect(frame.origin.x + k_window_border_width, frame.origin.y,
                      std::max(CGFloat{0}, frame.size.width - 2 * k_window_border_width),
                      std::max(CGFloat{0}, frame.size.height - k_window_title_bar_height));
}

NSRect NSWindow::frameRectForContentRect(NSRect content) const {
    return frameRectForContentRectStyleMask(nil, content, m_style);
}

NSRect NSWindow::contentRectForFrameRect(NSRect frame) const {
    return content_rect_for_frame_rect(frame, m_style);
}

// Moving alone redraws nothing; a new size resizes the content view, which then needs display.
void NSWindow::setFrameDisplay(NSRect frame, BOOL) {
    const NSRect old = m_frame;
    m_frame = frame;
    if (frame.size != old.size) {
        if (m_content_view) m_content_view->setFrame({{0, 0}, contentRectForFrameRect(frame).size});
        notify_delegate("windowDidResize:", NSWindowDidResizeNotification);
    }
    if (frame.origin != old.origin) notify_delegate("windowDidMove:", NSWindowDidMoveNotification);
}

NSScreen* NSWindow::screen() const {
    NSArray* screens = NSScreen::screens(nil);
    if (!screens || screens->count() == 0) return nil;
    NSScreen* found = screen_for_frame(screens, m_frame);
    return found ? found : NSScreen::mainScreen(nil);
}

NSString* NSWindow::title() const {
    if (m_title) return m_title.get();
    return NSString::make(u"").autorelease();
}

// Copied, so that a string changed later does not change the title.
void NSWindow::setTitle(NSString* title) {
    m_title = NSString::make(units_of(title));
}

void NSWindow::addChildWindowOrdered(NSWindow* child, NSInteger) {
    if (!child) return;
    for (const NSWindow* ancestor = this; ancestor; ancestor = ancestor->m_parent) {
        if (ancestor == child) return;
    }
    if (child->m_parent) child->m_parent->removeChildWindow(child);
    m_children.push_back(child);
    child->m_parent = this;
}

void NSWindow::removeChildWindow(NSWindow* child) {
    auto found = std::find(m_children.begin(), m_children.end(), child);
    if (found == m_children.end()) return;
    m_children.erase(found);
    child->m_parent = nullptr;
}

void NSWindow::let_go_of_family() {
    if (m_parent) m_parent->removeChildWindow(this);
    for (NSWindow* child : m_children)
        child->m_parent = nullptr;
    m_children.clear();
}

void NSWindow::makeKeyAndOrderFront(id sender) {
    orderFront(sender);
    makeKeyWindow();
}

// A closed window that is ordered in again rejoins the application's windows.
void NSWindow::orderFront(id) {
    m_closed = false;
    register_with_application();
    m_ordered_in = true;
}

void NSWindow::orderOut(id) {
    m_ordered_in = false;
    resign_key();
}

void NSWindow::makeKeyWindow() {
    if (!isVisible() || !NSApp || NSApp->keyWindow() == this) return;
    if (msg_send<BOOL>(this, "canBecomeKeyWindow") == NO) return;
    NSApp->set_key_window(this);
}

BOOL NSWindow::canBecomeKeyWindow() const {
    return is_titled(m_style) ? YES : NO;
}

BOOL NSWindow::canBecomeMainWindow() const {
    return is_titled(m_style) ? YES : NO;
}

BOOL NSWindow::isKeyWindow() const {
    return NSApp && NSApp->keyWindow() == this ? YES : NO;
}

std::optional<NSRect> NSWindow::standard_frame() const {
    NSScreen* where = screen();
    if (!where) return std::nullopt;
    return where->visibleFrame();
}

BOOL NSWindow::isZoomed() const {
    return m_zoomed_frame && *m_zoomed_frame == m_frame ? YES : NO;
}

// The zoomed state is set before the frame changes, so that the delegate's resize handler
// already sees it.
void NSWindow::zoom(id) {
    const bool zoomed = isZoomed() != NO;
    const std::optional<NSRect> target = zoomed ? std::optional(m_user_frame) : standard_frame();
    if (!target) return;
    if (delegate_answers("windowShouldZoom:toFrame:") &&
        msg_send<BOOL>(m_delegate, "windowShouldZoom:toFrame:", static_cast<id>(this), *target) ==
            NO) {
        return;
    }
    if (zoomed) {
        m_zoomed_frame.reset();
    } else {
        m_user_frame = m_frame;
        m_zoomed_frame = *target;
    }
    setFrameDisplay(*target, YES);
}

void NSWindow::miniaturize(id) {
    if (m_miniaturized) return;
    m_miniaturized = true;
    resign_key();
    notify_delegate("windowDidMiniaturize:", NSWindowDidMiniaturizeNotification);
}

void NSWindow::performClose(id) {
    if (!(m_style & NSWindowStyleMaskClosable) || m_closed) return;
    if (delegate_answers("windowShouldClose:") &&
        msg_send<BOOL>(m_delegate, "windowShouldClose:", static_cast<id>(this)) == NO) {
        return;
    }
    msg_send<void>(this, "close");
}

// The delegate hears windowWillClose: first, while the window is still in place; it may let go
// of the window there, so the window keeps itself alive until the end.
void NSWindow::close() {
    if (m_closed) return;
    ObjcRef<NSWindow> kept = ObjcRef<NSWindow>::retain(this);
    m_closed = true;
    notify_delegate("windowWillClose:", NSWindowWillCloseNotification);
    m_ordered_in = false;
    resign_key();
    let_go_of_family();
    if (m_registered && NSApp) NSApp->remove_window(this);
    m_registered = false;
    if (m_released_when_closed) autorelease();
}

void NSWindow::setContentView(NSView* view) {
    if (view == m_content_view.get()) return;
    if (m_content_view) {
        m_content_view->set_content_window(nullptr);
        m_content_view->setNextResponder(nullptr);
        if (m_first_responder.get() == m_content_view.get()) m_first_responder.reset();
    }
    ObjcRef<NSView> kept = ObjcRef<NSView>::retain(view);
    if (view) {
        view->removeFromSuperview();
        view->setFrame({{0, 0}, contentRectForFrameRect(m_frame).size});
        view->set_content_window(this);
        view->setNextResponder(this);
    }
    m_content_view = std::move(kept);
}

namespace {

struct StandardButtonKind {
    NSUInteger style_bit;
    const char* action;
};

// By NSWindowCloseButton, NSWindowMiniaturizeButton, NSWindowZoomButton.
constexpr StandardButtonKind k_standard_buttons[] = {
    {NSWindowStyleMaskClosable, "performClose:"},
    {NSWindowStyleMaskMiniaturizable, "miniaturize:"},
    {NSWindowStyleMaskResizable, "zoom:"},
};

} // namespace

NSButton* NSWindow::standardWindowButton(NSUInteger kind) {
    if (!is_titled(m_style) || kind >= std::size(k_standard_buttons)) return nil;
    ObjcRef<NSButton>& button = m_standard_buttons[kind];
    if (!button) {
        button = make_native<NSButton>();
        if (!button) return nil;
        button->setTarget(this);
        button->setAction(sel_registerName(k_standard_buttons[kind].action));
    }
    button->setEnabled((m_style & k_standard_buttons[kind].style_bit) != 0 ? YES : NO);
    return button.get();
}

void NSWindow::sendEvent(NSEvent* event) {
    if (!event) return;
    const id argument = event;
    switch (event->type()) {
    case NSEventTypeKeyDown:
        msg_send<void>(firstResponder(), "keyDown:", argument);
        return;
    case NSEventTypeLeftMouseUp:
        msg_send<void>(contentView(), "mouseUp:", argument);
        return;
    case NSEventTypeRightMouseUp:
        msg_send<void>(contentView(), "rightMouseUp:", argument);
        return;
    default:
        return;
    }
}

NSResponder* NSWindow::firstResponder() const {
    if (m_first_responder_is_self) return const_cast<NSWindow*>(this);
    if (m_first_responder) return m_first_responder.get();
    if (m_content_view) return m_content_view.get();
    return const_cast<NSWindow*>(this);
}

// The window is never retained by itself, so it stands apart from other first responders.
BOOL NSWindow::makeFirstResponder(NSResponder* responder) {
    m_first_responder_is_self = !responder || responder == this;
    m_first_responder = m_first_responder_is_self ? ObjcRef<NSResponder>()
                                                  : ObjcRef<NSResponder>::retain(responder);
    return YES;
}

void NSWindow::update() {
    notify_delegate("windowDidUpdate:", NSWindowDidUpdateNotification);
}

WindowSnapshot NSWindow::display_snapshot(double main_screen_height) const {
    const NSRect content = contentRectForFrameRect(m_frame);
    WindowSnapshot snapshot;
    snapshot.number = static_cast<int>(display_number());
    snapshot.title = m_title ? m_title->utf8() : std::string();
    snapshot.content = {content.origin.x,
                        main_screen_height - (content.origin.y + content.size.height),
                        content.size.width, content.size.height};
    snapshot.visible = isVisible() != NO;
    snapshot.key = isKeyWindow() != NO;
    snapshot.closable = (m_style & NSWindowStyleMaskClosable) != 0;
    snapshot.level = m_level > NSNormalWindowLevel ? WindowLevel::floating : WindowLevel::normal;
    snapshot.controls = window_control_snapshots(m_content_view.get(), snapshot.content);
    return snapshot;
}

int64_t NSWindow::display_number() const {
    if (delegate_answers("windowID")) return msg_send<int64_t>(m_delegate, "windowID");
    return m_window_number;
}

// Asked by message, so that a delegate that answers selectors dynamically is heard.
bool NSWindow::delegate_answers(const char* selector) const {
    if (!m_delegate) return false;
    return msg_send<BOOL>(m_delegate, "respondsToSelector:", sel_registerName(selector)) != NO;
}

// The notification holds the window, which therefore outlives whatever the delegate does.
void NSWindow::notify_delegate(const char* selector, NSString* name) {
    ObjcRef<NSNotification> notification = NSNotification::make(name, this, nil);
    if (delegate_answers(selector)) {
        msg_send<void>(m_delegate, selector, static_cast<id>(notification.get()));
    }
}

void NSWindow::register_with_application() {
    if (m_registered || !NSApp) return;
    NSApp->add_window(this);
    m_registered = true;
}

void NSWindow::resign_key() {
    if (NSApp && NSApp->keyWindow() == this) NSApp->set_key_window(nullptr);
}

void register_ns_window_class() {
    register_native_class<NSWindow>(
        "NSWindow", "NSResponder",
        {
            instance_method<&NSWindow::init>("init"),
            instance_method<&NSWindow::initWithContentRectStyleMaskBackingDefer>(
                "initWithContentRect:styleMask:backing:defer:"),
            class_method<&NSWindow::frameRectForContentRectStyleMask>(
                "frameRectForContentRect:styleMask:"),
            instance_method<&NSWindow::frameRectForContentRect>("frameRectForContentRect:"),
            instance_method<&NSWindow::contentRectForFrameRect>("contentRectForFrameRect:"),
            instance_method<&NSWindow::frame>("frame"),
            instance_method<&NSWindow::setFrameDisplay>("setFrame:display:"),
            instance_method<&NSWindow::styleMask>("styleMask"),
            instance_method<&NSWindow::screen>("screen"),
            instance_method<&NSWindow::title>("title"),
            instance_method<&NSWindow::setTitle>("setTitle:"),
            instance_method<&NSWindow::setReleasedWhenClosed>("setReleasedWhenClosed:"),
            instance_method<&NSWindow::setAutorecalculatesKeyViewLoop>(
                "setAutorecalculatesKeyViewLoop:"),
            instance_method<&NSWindow::addChildWindowOrdered>("addChildWindow:ordered:"),
            instance_method<&NSWindow::removeChildWindow>("removeChildWindow:"),
            instance_method<&NSWindow::makeKeyAndOrderFront>("makeKeyAndOrderFront:"),
            instance_method<&NSWindow::orderFront>("orderFront:"),
            instance_method<&NSWindow::orderOut>("orderOut:"),
            instance_method<&NSWindow::makeKeyWindow>("makeKeyWindow"),
            instance_method<&NSWindow::canBecomeKeyWindow>("canBecomeKeyWindow"),
            instance_method<&NSWindow::canBecomeMainWindow>("canBecomeMainWindow"),
            instance_method<&NSWindow::isKeyWindow>("isKeyWindow"),
            instance_method<&NSWindow::isVisible>("isVisible"),
            instance_method<&NSWindow::zoom>("zoom:"),
            instance_method<&NSWindow::isZoomed>("isZoomed"),
            instance_method<&NSWindow::miniaturize>("miniaturize:"),
            instance_method<&NSWindow::isMiniaturized>("isMiniaturized"),
            instance_method<&NSWindow::performClose>("performClose:"),
            instance_method<&NSWindow::close>("close"),
            instance_method<&NSWindow::contentView>("contentView"),
            instance_method<&NSWindow::setContentView>("setContentView:"),
            instance_method<&NSWindow::setBackgroundColor>("setBackgroundColor:"),
            instance_method<&NSWindow::backgroundColor>("backgroundColor"),
            instance_method<&NSWindow::contentMinSize>("contentMinSize"),
            instance_method<&NSWindow::contentMaxSize>("contentMaxSize"),
            instance_method<&NSWindow::delegate>("delegate"),
            instance_method<&NSWindow::setDelegate>("setDelegate:"),
            instance_method<&NSWindow::level>("level"),
            instance_method<&NSWindow::setLevel>("setLevel:"),
            instance_method<&NSWindow::windowNumber>("windowNumber"),
            instance_method<&NSWindow::toolbar>("toolbar"),
            instance_method<&NSWindow::setTitlebarAppearsTransparent>(
                "setTitlebarAppearsTransparent:"),
            instance_method<&NSWindow::setDefaultButtonCell>("setDefaultButtonCell:"),
            instance_method<&NSWindow::standardWindowButton>("standardWindowButton:"),
            instance_method<&NSWindow::sendEvent>("sendEvent:"),
            instance_method<&NSWindow::firstResponder>("firstResponder"),
            instance_method<&NSWindow::makeFirstResponder>("makeFirstResponder:"),
            instance_method<&NSWindow::update>("update"),
        });
}

#include "platform/appkit/ns_application.h"

#include "platform/appkit/main_thread_tasks.h"
#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_status_item.h"
#include "platform/appkit/ns_window.h"
#include "platform/appkit/ns_workspace.h"
#include "platform/appkit/window_controls.h"
#include "platform/display/display_slot.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_notification.h"
#include "platform/foundation/ns_notification_center.h"
#include "platform/foundation/ns_run_loop.h"
#include "platform/objc/message_send.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <variant>

NSApplication* NSApp = nullptr;

NSString* const NSApplicationWillFinishLaunchingNotification =
    NSString::make_constant(u"NSApplicationWillFinishLaunchingNotification");
NSString* const NSApplicationDidFinishLaunchingNotification =
    NSString::make_constant(u"NSApplicationDidFinishLaunchingNotification");
NSString* const NSApplicationWillTerminateNotification =
    NSString::make_constant(u"NSApplicationWillTerminateNotification");
NSString* const NSApplicationDidChangeScreenParametersNotification =
    NSString::make_constant(u"NSApplicationDidChangeScreenParametersNotification");

namespace {

// A responder chain longer than this is taken to be a loop.
constexpr int k_longest_responder_chain = 1000;

std::mutex g_exit_mutex;
std::function<void(int)> g_exit_handler;

void exit_process(int status) {
    std::function<void(int)> handler;
    {
        std::lock_guard lock(g_exit_mutex);
        handler = g_exit_handler;
    }
    if (!handler) std::exit(status);
    handler(status);
}

bool answers(id object, SEL selector) {
    return object && class_respondsToSelector(object_getClass(object), selector);
}

bool answers(id object, const char* selector) {
    return answers(object, sel_registerName(selector));
}

// Delegate methods take one object; their results, if any, are read by the caller through
// objc_msgSend, so that a delegate declaring another integer result is still understood.
id send_one(id receiver, const char* selector, id argument) {
    return objc_msgSend(receiver, sel_registerName(selector), argument);
}

bool is_routed_to_window(NSUInteger type) {
    return type == NSEventTypeKeyDown || type == NSEventTypeLeftMouseDown ||
           type == NSEventTypeLeftMouseUp || type == NSEventTypeRightMouseUp;
}

NSNotificationCenter* default_center() {
    return NSNotificationCenter::defaultCenter(nil);
}

// One callable made of lambdas, one for each kind of input.
template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

void reject(const Input& input, const std::string& message) {
    if (Display* display = current_display()) display->reject_input(input, message);
}

} // namespace

// ---- the shared instance ----

NSApplication* NSApplication::sharedApplication(Class self) {
    static std::mutex s_mutex;
    std::lock_guard lock(s_mutex);
    if (NSApp) return NSApp;
    Class cls = self ? self : native_class<NSApplication>();
    // Allocated and initialised by message, so that a subclass's -init runs.
    id object = msg_send<id>(NSObject::alloc(cls), "init");
    auto* application = dynamic_cast<NSApplication*>(object);
    if (!application) {
        objc_release(object);
        application = make_native<NSApplication>().take();
    }
    if (!application) return nil;
    ObjectHeader::make_immortal(*application);
    NSApp = application;
    return NSApp;
}

BOOL NSApplication::setActivationPolicy(NSInteger policy) {
    if (policy < NSApplicationActivationPolicyRegular ||
        policy > NSApplicationActivationPolicyProhibited)
        return NO;
    return YES;
}

void NSApplication::setMainMenu(NSMenu* menu) {
    m_main_menu = ObjcRef<NSMenu>::retain(menu);
}

void NSApplication::finishLaunching() {
    ObjcRef<NSNotification> will =
        NSNotification::make(NSApplicationWillFinishLaunchingNotification, this, nil);
    if (answers(m_delegate, "applicationWillFinishLaunching:"))
        send_one(m_delegate, "applicationWillFinishLaunching:", will.get());
    default_center()->postNotification(will.get());
    ObjcRef<NSNotification> did =
        NSNotification::make(NSApplicationDidFinishLaunchingNotification, this, nil);
    if (answers(m_delegate, "applicationDidFinishLaunching:"))
        send_one(m_delegate, "applicationDidFinishLaunching:", did.get());
    default_center()->postNotification(did.get());
}

// ---- the event queue ----

ObjcRef<NSEvent> NSApplication::take_matching(uint64_t mask, bool dequeue) {
    std::lock_guard lock(m_queue_mutex);
    auto found = std::find_if(m_queue.begin(), m_queue.end(), [mask](const ObjcRef<NSEvent>& e) {
        return (mask & NSEventMaskFromType(e->type())) != 0;
    });
    if (found == m_queue.end()) return {};
    ObjcRef<NSEvent> event = *found;
    if (dequeue) m_queue.erase(found);
    return event;
}

NSEvent* NSApplication::nextEventMatchingMaskUntilDateInModeDequeue(uint64_t mask, NSDate* until,
                                                                    NSString* mode, BOOL dequeue) {
    NSString* run_mode = mode ? mode : NSDefaultRunLoopMode;
    double deadline = until ? until->timeIntervalSince1970() : platform_now();
    for (;;) {
        run_main_thread_tasks();
        if (ObjcRef<NSEvent> event = take_matching(mask, dequeue)) return event.autorelease();
        RunLoopEnd end = NSRunLoop::main()->run_until(deadline, run_mode);
        if (end == RunLoopEnd::woken) continue;
        if (ObjcRef<NSEvent> event = take_matching(mask, dequeue)) return event.autorelease();
        if (end == RunLoopEnd::stalled && current_display()) end_of_input();
        return nil;
    }
}

void NSApplication::postEventAtStart(NSEvent* event, BOOL at_start) {
    if (!event) return;
    {
        std::lock_guard lock(m_queue_mutex);
        if (at_start) {
            m_queue.push_front(ObjcRef<NSEvent>::retain(event));
        } else {
            m_queue.push_back(ObjcRef<NSEvent>::retain(event));
        }
    }
    NSRunLoop::main()->wake();
}

bool NSApplication::native_event_pending() const {
    std::lock_guard lock(m_queue_mutex);
    return !m_queue.empty();
}

void NSApplication::sendEvent(NSEvent* event) {
    if (!event || !is_routed_to_window(event->type())) return;
    NSWindow* window = event->window();
    if (window) msg_send<void>(window, "sendEvent:", event);
}

void NSApplication::updateWindows() {
    if (std::none_of(m_windows.begin(), m_windows.end(),
                     [](NSWindow* window) { return window->isVisible(); }))
        return;
    std::vector<ObjcRef<NSWindow>> windows;
    for (NSWindow* window : m_windows)
        windows.push_back(ObjcRef<NSWindow>::retain(window));
    for (const auto& window : windows) {
        if (window->isVisible()) msg_send<void>(window.get(), "update");
    }
}

// ---- actions ----

BOOL NSApplication::sendActionToFrom(SEL action, id target, id sender) {
    if (!action) return NO;
    id receiver = target;
    if (!receiver) {
        receiver = target_for_action(action);
    } else if (!answers(receiver, action)) {
        receiver = nil;
    }
    if (!receiver) return NO;
    objc_msgSend(receiver, action, sender);
    return YES;
}

id NSApplication::target_for_action(SEL action) const {
    if (NSWindow* key = m_key_window) {
        NSResponder* responder = key->firstResponder();
        for (int step = 0; responder && step < k_longest_responder_chain; ++step) {
            if (answers(responder, action)) return responder;
            responder = responder->nextResponder();
        }
        if (answers(key, action)) return key;
        if (answers(key->delegate(), action)) return key->delegate();
    }
    auto* self = const_cast<NSApplication*>(this);
    if (answers(self, action)) return self;
    if (answers(m_delegate, action)) return m_delegate;
    return nil;
}

// ---- windows ----

NSArray* NSApplication::windows() const {
    std::vector<id> objects(m_windows.begin(), m_windows.end());
    return NSArray::make(objects).autorelease();
}

NSWindow* NSApplication::windowWithWindowNumber(NSInteger number) const {
    for (NSWindow* window : m_windows) {
        if (window->windowNumber() == number) return window;
    }
    return nil;
}

void NSApplication::add_window(NSWindow* window) {
    if (!window || std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end()) return;
    m_windows.push_back(window);
}

// Called from a closing or dying window: the pointers go quietly, since a dying window can no
// longer be handed to its delegate.
void NSApplication::remove_window(NSWindow* window) {
    std::erase(m_windows, window);
    if (m_key_window == window) m_key_window = nullptr;
}

void NSApplication::set_key_window(NSWindow* window) {
    if (window == m_key_window) return;
    ObjcRef<NSWindow> old = ObjcRef<NSWindow>::retain(m_key_window);
    m_key_window = window;
    if (old) notify_key_change(old.get(), "windowDidResignKey:", NSWindowDidResignKeyNotification);
    if (window) notify_key_change(window, "windowDidBecomeKey:", NSWindowDidBecomeKeyNotification);
}

void NSApplication::notify_key_change(NSWindow* window, const char* delegate_selector,
                                      NSString* notification_name) const {
    ObjcRef<NSNotification> notification = NSNotification::make(notification_name, window, nil);
    id delegate = window->delegate();
    if (answers(delegate, delegate_selector))
        send_one(delegate, delegate_selector, notification.get());
}

// ---- activation, termination ----

void NSApplication::terminate(id) {
    if (answers(m_delegate, "applicationShouldTerminate:")) {
        id reply = send_one(m_delegate, "applicationShouldTerminate:", this);
        if (reinterpret_cast<uintptr_t>(reply) != NSTerminateNow) return;
    }
    default_center()->postNotificationName(NSApplicationWillTerminateNotification, this);
    exit_with_status(0);
}

void NSApplication::activateIgnoringOtherApps(BOOL) {}
void NSApplication::hide(id) {}
void NSApplication::unhideAllApplications(id) {}
void NSApplication::hideOtherApplications(id) {}

std::function<void(int status)>
NSApplication::set_exit_handler(std::function<void(int status)> handler) {
    std::lock_guard lock(g_exit_mutex);
    return std::exchange(g_exit_handler, std::move(handler));
}

void NSApplication::exit_with_status(int status) {
    Display* display = current_display();
    if (display) display->will_exit(status);
    exit_process(display ? display->exit_status(status) : status);
}

void NSApplication::end_of_input() {
    Display* display = current_display();
    exit_process(display ? display->exit_status(0) : 0);
}

// ---- display input ----

// Input for the interface; what else a display gives (timeouts, the end, alert answers, battery
// edits) is for others and ignored here.
void NSApplication::handle_display_input(const Input& input) {
    std::string refusal = std::visit(
        Overloaded{
            [&](const KeyInput& key) { return post_key_press(key); },
            [&](const CloseRequest& close) { return close_window(close); },
            [&](const MenuChoice& choice) { return choose_status_menu_item(choice.item); },
            [&](const ControlClick& click) {
                return click_window_control(m_windows, click.window, click.control);
            },
            [&](const ControlChoice& choice) {
                return choose_window_control_item(m_windows, choice.window, choice.control,
                                                  choice.item);
            },
            [](const SystemSleep&) {
                NSWorkspace::post_power_notification(true);
                return std::string();
            },
            [](const SystemWake&) {
                NSWorkspace::post_power_notification(false);
                return std::string();
            },
            [&](const TerminateRequest&) {
                terminate(nil);
                return std::string();
            },
            [&](const ScreensChanged&) {
                default_center()->postNotificationName(
                    NSApplicationDidChangeScreenParametersNotification, this);
                return std::string();
            },
            [](const auto&) { return std::string(); },
        },
        input);
    if (!refusal.empty()) reject(input, refusal);
}

NSWindow* NSApplication::window_for_display(int number) const {
    for (NSWindow* window : m_windows) {
        if (window->display_number() == number) return window;
    }
    return nil;
}

NSWindow* NSApplication::visible_window_for_display(int number) const {
    for (NSWindow* window : m_windows) {
        if (window->isVisible() && window->display_number() == number) return window;
    }
    return nil;
}

// Hidden windows too: the application's own shortcuts may live in a window never shown.
std::string NSApplication::post_key_press(const KeyInput& input) {
    NSWindow* window = window_for_display(input.window);
    if (!window) return "no such window";
    NSEvent* event = NSEvent::key_down_for_press(input.key, window->windowNumber());
    postEventAtStart(event, NO);
    return {};
}

std::string NSApplication::close_window(const CloseRequest& input) {
    NSWindow* window = visible_window_for_display(input.window);
    if (!window) return "no such window";
    if (!(window->styleMask() & NSWindowStyleMaskClosable)) return "the window has no close button";
    msg_send<void>(window, "performClose:", id{nil});
    return {};
}

void register_ns_application_class() {
    for (NSString* constant :
         {NSApplicationWillFinishLaunchingNotification, NSApplicationDidFinishLaunchingNotification,
          NSApplicationWillTerminateNotification,
          NSApplicationDidChangeScreenParametersNotification})
        NSString::give_constant_class(constant);
    register_native_class<NSApplication>(
        "NSApplication", "NSResponder",
        {
            class_method<&NSApplication::sharedApplication>("sharedApplication"),
            instance_method<&NSApplication::delegate>("delegate"),
            instance_method<&NSApplication::setDelegate>("setDelegate:"),
            instance_method<&NSApplication::setActivationPolicy>("setActivationPolicy:"),
            instance_method<&NSApplication::mainMenu>("mainMenu"),
            instance_method<&NSApplication::setMainMenu>("setMainMenu:"),
            instance_method<&NSApplication::finishLaunching>("finishLaunching"),
            instance_method<&NSApplication::nextEventMatchingMaskUntilDateInModeDequeue>(
                "nextEventMatchingMask:untilDate:inMode:dequeue:"),
            instance_method<&NSApplication::postEventAtStart>("postEvent:atStart:"),
            instance_method<&NSApplication::sendEvent>("sendEvent:"),
            instance_method<&NSApplication::updateWindows>("updateWindows"),
            instance_method<&NSApplication::sendActionToFrom>("sendAction:to:from:"),
            instance_method<&NSApplication::keyWindow>("keyWindow"),
            instance_method<&NSApplication::windows>("windows"),
            instance_method<&NSApplication::windowWithWindowNumber>("windowWithWindowNumber:"),
            instance_method<&NSApplication::terminate>("terminate:"),
            instance_method<&NSApplication::activateIgnoringOtherApps>(
                "activateIgnoringOtherApps:"),
            instance_method<&NSApplication::hide>("hide:"),
            instance_method<&NSApplication::unhideAllApplications>("unhideAllApplications:"),
            instance_method<&NSApplication::hideOtherApplications>("hideOtherApplications:"),
        });
}

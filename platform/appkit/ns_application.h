#pragma once
// NSApplication: the application's one instance, its windows, its queue of events and its
// termination. The application's run method is never started: callers take events one at a time
// with nextEventMatchingMask:untilDate:inMode:dequeue:, which waits through the main run loop, so
// timers of the mode fire while it waits and a posted event wakes it. Input from the display
// (key presses, close buttons, sleep and wake, termination requests) arrives through
// handle_display_input while the run loop waits.
//
// The process ends through a replaceable exit handler: after a granted termination, and when the
// display's input ends.

#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_responder.h"
#include "platform/display/display_input.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_string.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

class NSApplication;
class NSArray;
class NSMenu;
class NSWindow;

// Set by the first sharedApplication.
extern NSApplication* NSApp;

enum : NSInteger {
    NSApplicationActivationPolicyRegular = 0,
    NSApplicationActivationPolicyAccessory = 1,
    NSApplicationActivationPolicyProhibited = 2,
};
enum : NSUInteger { NSTerminateCancel = 0, NSTerminateNow = 1, NSTerminateLater = 2 };

extern NSString* const NSApplicationWillFinishLaunchingNotification;
extern NSString* const NSApplicationDidFinishLaunchingNotification;
extern NSString* const NSApplicationWillTerminateNotification;
extern NSString* const NSApplicationDidChangeScreenParametersNotification;

class NSApplication : public NSResponder {
  public:
    NSApplication() = default;

    // Makes an instance of the receiving class the first time (so a subclass's
    // sharedApplication makes the subclass); the instance is immortal.
    static NSApplication* sharedApplication(Class self);

    // Not retained.
    id delegate() const { return m_delegate; }
    void setDelegate(id delegate) { m_delegate = delegate; }
    // NO, changing nothing, for an unknown policy.
    BOOL setActivationPolicy(NSInteger policy);
    NSMenu* mainMenu() const { return m_main_menu.get(); }
    // Retained.
    void setMainMenu(NSMenu* menu);

    // Posts NSApplicationWillFinishLaunchingNotification, then DidFinish..., on the default
    // center; the delegate hears applicationDidFinishLaunching: when it answers it.
    void finishLaunching();

    // The first queued event whose type is in `mask` (NSEventMaskFromType); otherwise runs the
    // main run loop in `mode` (nil: the default mode) until `until` (nil: now) or until a post
    // wakes it, and looks again. Nil at the deadline, and when the display's input has ended
    // (after calling the exit handler with status 0). The event is autoreleased; without
    // `dequeue` it stays queued.
    NSEvent* nextEventMatchingMaskUntilDateInModeDequeue(uint64_t mask, NSDate* until,
                                                         NSString* mode, BOOL dequeue);
    // Queues the event (first when `at_start`) and wakes the main run loop. Thread-safe.
    void postEventAtStart(NSEvent* event, BOOL at_start);
    // Key-down and mouse events go to their window's sendEvent:; others go nowhere.
    void sendEvent(NSEvent* event);
    // Sends update to every visible window.
    void updateWindows();
    // A nil target stands for the first of: the key window's responder chain from its first
    // responder, the key window, its delegate, the application, its delegate, that answers the
    // action. YES when the action was sent.
    BOOL sendActionToFrom(SEL action, id target, id sender);

    NSWindow* keyWindow() const { return m_key_window; }
    // Autoreleased, in the order the windows were made.
    NSArray* windows() const;
    NSWindow* windowWithWindowNumber(NSInteger number) const;

    // Asks the delegate's applicationShouldTerminate: (when it answers it); on NSTerminateNow
    // posts NSApplicationWillTerminateNotification, tells the display will_exit(0) and calls the
    // exit handler with status 0. Other answers change nothing.
    void terminate(id sender);
    // Accepted; there is nothing to activate, show or hide.
    void activateIgnoringOtherApps(BOOL flag);
    void hide(id sender);
    void unhideAllApplications(id sender);
    void hideOtherApplications(id sender);

    // For the model. Windows are listed, not retained: NSWindow adds itself when made and
    // removes itself when closed or freed.
    void add_window(NSWindow* window);
    void remove_window(NSWindow* window);
    const std::vector<NSWindow*>& window_list() const { return m_windows; }
    // Makes `window` (nil: none) the key window; the old key window's delegate hears
    // windowDidResignKey: and the new one's windowDidBecomeKey:, each also posted on the default
    // center.
    void set_key_window(NSWindow* window);
    // Whether any event is queued, without waiting.
    bool native_event_pending() const;
    // Carries out what a person did on the display (see the .cpp for each kind); input that
    // cannot be carried out is handed back with reject_input.
    void handle_display_input(const Input& input);

    // The process ends through this handler; the default calls std::exit(status). Null restores
    // the default. Tests replace it. Returns the handler it replaces (null: the default).
    static std::function<void(int status)>
    set_exit_handler(std::function<void(int status)> handler);
    // Tells the display will_exit(status), then ends the process through the exit handler.
    static void exit_with_status(int status);
    // The display's input has ended: the process ends with status 0.
    static void end_of_input();
    // The receiver of an action sent to a nil target: the key window's responder chain, the key
    // window, its delegate, the application, its delegate; nil when nobody answers it.
    id target_for_action(SEL action) const;

  private:
    // Removes and returns (or, without `dequeue`, only returns) the first queued event in `mask`.
    ObjcRef<NSEvent> take_matching(uint64_t mask, bool dequeue);
    // Each returns why the input could not be carried out; empty when it was.
    std::string post_key_press(const KeyInput& input);
    std::string close_window(const CloseRequest& input);
    NSWindow* window_for_display(int number) const;
    NSWindow* visible_window_for_display(int number) const;
    void notify_key_change(NSWindow* window, const char* delegate_selector,
                           NSString* notification_name) const;

    id m_delegate = nullptr;
    ObjcRef<NSMenu> m_main_menu;
    std::vector<NSWindow*> m_windows;
    NSWindow* m_key_window = nullptr;
    mutable std::mutex m_queue_mutex;
    std::deque<ObjcRef<NSEvent>> m_queue;
};

void register_ns_application_class();

#include "platform/appkit/ns_application.h"

#include "platform/appkit/ns_window.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/ns_notification_center.h"
#include "platform/foundation/ns_timer.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/platform/foundation/timer_test_support.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

NSEvent* wake_event(short subtype = 0) {
    return NSEvent::otherEventWithType(nil, NSEventTypeApplicationDefined, {0, 0}, 0, 0, 0, nil,
                                       subtype, 0, 0);
}

NSEvent* key_event(NSInteger window_number) {
    ObjcRef<NSString> i = NSString::make(u"i");
    return NSEvent::keyEventWithType(nil, NSEventTypeKeyDown, {0, 0}, NSEventModifierFlagCommand, 0,
                                     window_number, nil, i.get(), i.get(), NO, 34);
}

ObjcRef<NSWindow> make_window(NSUInteger style, bool visible) {
    ObjcRef<NSWindow> window = make_native<NSWindow>();
    window->initWithContentRectStyleMaskBackingDefer(NSMakeRect(10, 10, 200, 100), style,
                                                     NSBackingStoreBuffered, NO);
    window->setReleasedWhenClosed(NO);
    if (visible) window->makeKeyAndOrderFront(nil);
    return window;
}

// An application delegate that answers termination requests with `reply` and records the
// messages it gets.
class AppDelegate : public NSObject {
  public:
    NSUInteger applicationShouldTerminate(id) {
        calls.push_back("applicationShouldTerminate:");
        return reply;
    }
    void applicationDidFinishLaunching(NSNotification*) {
        calls.push_back("applicationDidFinishLaunching:");
    }
    void tick(id) { calls.push_back("tick:"); }

    NSUInteger reply = NSTerminateCancel;
    std::vector<std::string> calls;
};

ObjcRef<AppDelegate> make_delegate(NSUInteger reply) {
    static Class s_class = register_native_class<AppDelegate>(
        "ApplicationTestDelegate", "NSObject",
        {
            instance_method<&AppDelegate::applicationShouldTerminate>(
                "applicationShouldTerminate:"),
            instance_method<&AppDelegate::applicationDidFinishLaunching>(
                "applicationDidFinishLaunching:"),
            instance_method<&AppDelegate::tick>("tick:"),
        });
    (void)s_class;
    ObjcRef<AppDelegate> delegate = make_native<AppDelegate>();
    delegate->reply = reply;
    return delegate;
}

// A window delegate that writes down key changes and the actions it receives.
class KeyDelegate : public NSObject {
  public:
    void windowDidBecomeKey(NSNotification*) { calls->push_back(label + " became key"); }
    void windowDidResignKey(NSNotification*) { calls->push_back(label + " resigned key"); }
    void tick(id) { calls->push_back(label + " tick"); }

    std::string label;
    std::vector<std::string>* calls = nullptr;
};

ObjcRef<KeyDelegate> make_key_delegate(std::string label, std::vector<std::string>& calls) {
    static Class s_class = register_native_class<KeyDelegate>(
        "ApplicationTestKeyDelegate", "NSObject",
        {
            instance_method<&KeyDelegate::windowDidBecomeKey>("windowDidBecomeKey:"),
            instance_method<&KeyDelegate::windowDidResignKey>("windowDidResignKey:"),
            instance_method<&KeyDelegate::tick>("tick:"),
        });
    (void)s_class;
    ObjcRef<KeyDelegate> delegate = make_native<KeyDelegate>();
    delegate->label = std::move(label);
    delegate->calls = &calls;
    return delegate;
}

// A content view that keeps the key events it receives.
class KeyView : public NSView {
  public:
    void keyDown(NSEvent* event) { events.push_back(ObjcRef<NSEvent>::retain(event)); }
    std::vector<ObjcRef<NSEvent>> events;
};

ObjcRef<KeyView> make_key_view() {
    static Class s_class = register_native_class<KeyView>(
        "ApplicationTestKeyView", "NSView", {instance_method<&KeyView::keyDown>("keyDown:")});
    (void)s_class;
    ObjcRef<KeyView> view = make_native<KeyView>();
    view->initWithFrame(NSMakeRect(0, 0, 10, 10));
    return view;
}

// Posts an application-defined event from a timer's action.
class Poster : public NSObject {
  public:
    void post(NSTimer*) { NSApp->postEventAtStart(wake_event(7), NO); }
};

ObjcRef<Poster> make_poster() {
    static Class s_class = register_native_class<Poster>("ApplicationTestPoster", "NSObject",
                                                         {instance_method<&Poster::post>("post:")});
    (void)s_class;
    return make_native<Poster>();
}

} // namespace

TEST(NSApplication, SharedApplicationIsMadeOnceAndSetsNSApp) {
    NSApplication* app = NSApplication::sharedApplication(nil);
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(NSApp, app);
    EXPECT_EQ(NSApplication::sharedApplication(nil), app);
    EXPECT_EQ(msg_send<id>(objc_lookUpClass("NSApplication"), "sharedApplication"), app);
}

// The runtime's application class is made through the subclass's sharedApplication; NSApp is
// forgotten only in the child process of the death test.
TEST(NSApplicationDeathTest, SharedApplicationOfASubclassMakesTheSubclass) {
    EXPECT_EXIT(
        {
            Class subclass = objc_allocateClassPair(objc_lookUpClass("NSApplication"),
                                                    "ApplicationTestSubclass", 0);
            objc_registerClassPair(subclass);
            NSApp = nullptr;
            NSApplication* app = NSApplication::sharedApplication(subclass);
            std::_Exit(app && object_getClass(app) == subclass ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(NSApplication, PostedEventWakesAWaitOnVirtualTime) {
    clean_application();
    DriverSession session("advance 60000\n");
    double start = platform_now();
    ObjcRef<Poster> poster = make_poster();
    NSTimer* timer = NSTimer::scheduledTimerWithTimeInterval(nil, 1.5, poster.get(),
                                                             sel_registerName("post:"), nil, NO);

    NSEvent* event = next_event();

    ASSERT_NE(event, nil);
    EXPECT_EQ(event->subtype(), 7);
    EXPECT_NEAR(platform_now() - start, 1.5, 1e-6);
    EXPECT_FALSE(timer->isValid());
}

TEST(NSApplication, PostFromAnotherThreadWakesARealTimeWait) {
    clean_application();
    std::thread poster([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        NSApp->postEventAtStart(wake_event(3), NO);
    });
    NSEvent* event = next_event_within(30);
    poster.join();
    ASSERT_NE(event, nil);
    EXPECT_EQ(event->subtype(), 3);
}

TEST(NSApplication, NextEventReturnsNilAtItsDeadlineOnVirtualTime) {
    clean_application();
    DriverSession session("advance 5000\n");
    double start = platform_now();
    auto real_start = std::chrono::steady_clock::now();

    EXPECT_EQ(next_event_within(2), nil);

    EXPECT_EQ(session.display.now_ms(), 2000);
    EXPECT_NEAR(platform_now() - start, 2.0, 1e-6);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - real_start).count(),
              1.0);
    EXPECT_TRUE(session.exits.statuses.empty());
}

TEST(NSApplication, NilDateOnlyLooks) {
    clean_application();
    DriverSession session("advance 5000\n");
    EXPECT_EQ(NSApp->nextEventMatchingMaskUntilDateInModeDequeue(NSEventMaskAny, nil,
                                                                 NSDefaultRunLoopMode, YES),
              nil);
    EXPECT_EQ(session.display.now_ms(), 0);
}

TEST(NSApplication, TakesTheFirstEventInTheMaskAndPeeksWithoutDequeue) {
    NSApplication* app = clean_application();
    app->postEventAtStart(wake_event(1), NO);
    app->postEventAtStart(key_event(0), NO);
    app->postEventAtStart(wake_event(2), YES);
    EXPECT_TRUE(app->native_event_pending());

    uint64_t keys = NSEventMaskFromType(NSEventTypeKeyDown);
    NSEvent* peeked = app->nextEventMatchingMaskUntilDateInModeDequeue(keys, nil, nil, NO);
    NSEvent* taken = app->nextEventMatchingMaskUntilDateInModeDequeue(keys, nil, nil, YES);
    ASSERT_NE(taken, nil);
    EXPECT_EQ(peeked, taken);
    EXPECT_EQ(app->nextEventMatchingMaskUntilDateInModeDequeue(keys, nil, nil, YES), nil);

    NSEvent* first =
        app->nextEventMatchingMaskUntilDateInModeDequeue(NSEventMaskAny, nil, nil, YES);
    NSEvent* second =
        app->nextEventMatchingMaskUntilDateInModeDequeue(NSEventMaskAny, nil, nil, YES);
    ASSERT_NE(first, nil);
    ASSERT_NE(second, nil);
    EXPECT_EQ(first->subtype(), 2); // posted at the start
    EXPECT_EQ(second->subtype(), 1);
    EXPECT_FALSE(app->native_event_pending());
}

TEST(NSApplication, EndOfInputCallsTheExitHandlerAndGivesNil) {
    clean_application();
    DriverSession session("advance 250\n");
    EXPECT_EQ(next_event(), nil);
    EXPECT_EQ(session.exits.statuses, std::vector<int>{0});
    EXPECT_TRUE(session.wrote(end_line(250)));
}

TEST(NSApplication, TerminateAsksTheDelegate) {
    struct Row {
        bool has_delegate;
        NSUInteger reply;
        bool exits;
    };
    const Row rows[] = {{true, NSTerminateCancel, false},
                        {true, NSTerminateLater, false},
                        {true, NSTerminateNow, true},
                        {false, 0, true}};
    for (const Row& row : rows) {
        NSApplication* app = clean_application();
        DriverSession session("terminate\n");
        ObjcRef<AppDelegate> delegate = make_delegate(row.reply);
        if (row.has_delegate) app->setDelegate(delegate.get());

        EXPECT_EQ(next_event(), nil); // the script ends after the request

        std::vector<int> expected = row.exits ? std::vector<int>{0, 0} : std::vector<int>{0};
        EXPECT_EQ(session.exits.statuses, expected) << "reply " << row.reply;
        EXPECT_EQ(session.wrote(exit_line(0, 0)), row.exits) << "reply " << row.reply;
        EXPECT_EQ(delegate->calls.size(), row.has_delegate ? 1u : 0u);
        app->setDelegate(nil);
    }
}

TEST(NSApplication, KeyCommandsBecomeKeyDownEventsForTheirWindow) {
    struct Row {
        const char* shortcut;
        NSUInteger flags;
        std::u16string characters;
        std::u16string ignoring;
        unsigned short key_code;
    };
    const Row rows[] = {
        {"cmd+i", NSEventModifierFlagCommand, u"i", u"i", 34},
        {"cmd+shift+z", NSEventModifierFlagCommand | NSEventModifierFlagShift, u"Z", u"z", 6},
        {"ctrl+alt+f5", NSEventModifierFlagControl | NSEventModifierFlagOption, u"\uF708",
         u"\uF708", 96},
    };
    NSApplication* app = clean_application();
    ObjcRef<NSWindow> window = make_window(NSWindowStyleMaskTitled, true);
    std::string script;
    for (const Row& row : rows)
        script += "key " + std::to_string(window->display_number()) + " " + row.shortcut + "\n";
    DriverSession session(script);

    for (const Row& row : rows) {
        NSEvent* event = next_event();
        ASSERT_NE(event, nil) << row.shortcut;
        EXPECT_EQ(event->type(), NSEventTypeKeyDown) << row.shortcut;
        EXPECT_EQ(event->modifierFlags(), row.flags) << row.shortcut;
        EXPECT_EQ(units_of(event->characters()), row.characters) << row.shortcut;
        EXPECT_EQ(units_of(event->charactersIgnoringModifiers()), row.ignoring) << row.shortcut;
        EXPECT_EQ(event->keyCode(), row.key_code) << row.shortcut;
        EXPECT_EQ(event->window(), window.get()) << row.shortcut;
    }
    EXPECT_EQ(next_event(), nil);
    window->close();
    (void)app;
}

TEST(NSApplication, RejectsInputItCannotCarryOut) {
    NSApplication* app = clean_application();
    ObjcRef<NSWindow> fixed = make_window(NSWindowStyleMaskTitled, true);
    DriverSession session("");
    struct Row {
        Input input;
        std::string message;
    };
    int number = static_cast<int>(fixed->display_number());
    const Row rows[] = {
        {KeyInput{number + 1000, KeyPress{0, "i"}}, "no such window"},
        {CloseRequest{number + 1000}, "no such window"},
        {CloseRequest{number}, "the window has no close button"},
        {MenuChoice{1}, "the status menu is not available"},
        {ControlClick{number, 0}, "no control 0"},
    };
    // Given straight to the application, the input has no command line of the driver's.
    for (const Row& row : rows) {
        session.out.str({});
        app->handle_display_input(row.input);
        EXPECT_EQ(session.lines(), Lines{error_line(0, "", row.message)}) << row.message;
    }
    EXPECT_FALSE(app->native_event_pending());
    EXPECT_TRUE(fixed->isVisible());
    fixed->close();
}

TEST(NSApplication, CloseCommandPressesTheCloseButton) {
    clean_application();
    ObjcRef<NSWindow> window =
        make_window(NSWindowStyleMaskTitled | NSWindowStyleMaskClosable, true);
    DriverSession session("close " + std::to_string(window->display_number()) + "\n");
    EXPECT_EQ(next_event(), nil);
    EXPECT_TRUE(window->is_closed());
}

TEST(NSApplication, ScreenChangesArePostedOnTheDefaultCenter) {
    clean_application();
    ObjcRef<ActionRecorder> observer = make_recorder();
    NSNotificationCenter* center = NSNotificationCenter::defaultCenter(nil);
    center->addObserver(observer.get(), sel_registerName("noted:"),
                        NSApplicationDidChangeScreenParametersNotification, nil);
    DriverSession session("screens 800x600\n");
    EXPECT_EQ(next_event(), nil);
    center->removeObserver(observer.get());
    EXPECT_EQ(observer->notifications,
              std::vector<std::string>{"NSApplicationDidChangeScreenParametersNotification"});
}

TEST(NSApplication, FinishLaunchingPostsWillThenDidAndTellsTheDelegate) {
    NSApplication* app = clean_application();
    std::vector<std::string> log;
    ObjcRef<ActionRecorder> observer = make_recorder("observer", &log);
    ObjcRef<AppDelegate> delegate = make_delegate(NSTerminateNow);
    app->setDelegate(delegate.get());
    NSNotificationCenter* center = NSNotificationCenter::defaultCenter(nil);
    center->addObserver(observer.get(), sel_registerName("noted:"), nil, app);

    app->finishLaunching();

    center->removeObserver(observer.get());
    app->setDelegate(nil);
    EXPECT_EQ(observer->notifications,
              (std::vector<std::string>{"NSApplicationWillFinishLaunchingNotification",
                                        "NSApplicationDidFinishLaunchingNotification"}));
    EXPECT_EQ(delegate->calls, std::vector<std::string>{"applicationDidFinishLaunching:"});
}

TEST(NSApplication, SendEventRoutesKeyDownToTheWindowsFirstResponder) {
    NSApplication* app = clean_application();
    ObjcRef<NSWindow> window = make_window(NSWindowStyleMaskTitled, true);
    ObjcRef<KeyView> view = make_key_view();
    window->setContentView(view.get());

    app->sendEvent(key_event(window->windowNumber()));
    app->sendEvent(key_event(window->windowNumber() + 1000)); // no such window
    app->sendEvent(wake_event());

    EXPECT_EQ(view->events.size(), 1u);
    window->close();
}

TEST(NSApplication, KeyChangesReachBothWindowsDelegates) {
    NSApplication* app = clean_application();
    std::vector<std::string> calls;
    ObjcRef<KeyDelegate> first_delegate = make_key_delegate("first", calls);
    ObjcRef<KeyDelegate> second_delegate = make_key_delegate("second", calls);
    ObjcRef<NSWindow> first = make_window(NSWindowStyleMaskTitled, false);
    ObjcRef<NSWindow> second = make_window(NSWindowStyleMaskTitled, false);
    first->setDelegate(first_delegate.get());
    second->setDelegate(second_delegate.get());

    app->set_key_window(first.get());
    app->set_key_window(second.get());
    app->set_key_window(second.get());

    EXPECT_EQ(calls, (std::vector<std::string>{"first became key", "first resigned key",
                                               "second became key"}));
    EXPECT_EQ(app->keyWindow(), second.get());
    EXPECT_EQ(app->mainWindow(), second.get());
    first->setDelegate(nil);
    second->setDelegate(nil);
    first->close();
    second->close();
    EXPECT_EQ(app->keyWindow(), nil);
}

TEST(NSApplication, ActionsToNilGoToTheFirstThatAnswersThem) {
    NSApplication* app = clean_application();
    std::vector<std::string> calls;
    ObjcRef<AppDelegate> app_delegate = make_delegate(NSTerminateNow);
    app->setDelegate(app_delegate.get());
    SEL tick = sel_registerName("tick:");

    EXPECT_EQ(app->sendActionToFrom(tick, nil, nil), YES);
    EXPECT_EQ(app_delegate->calls, std::vector<std::string>{"tick:"});

    ObjcRef<KeyDelegate> window_delegate = make_key_delegate("window", calls);
    ObjcRef<NSWindow> window = make_window(NSWindowStyleMaskTitled, true);
    window->setDelegate(window_delegate.get());
    app->set_key_window(window.get());
    EXPECT_EQ(app->sendActionToFrom(tick, nil, nil), YES);
    EXPECT_EQ(calls.back(), "window tick");
    EXPECT_EQ(app_delegate->calls.size(), 1u);

    EXPECT_EQ(app->sendActionToFrom(sel_registerName("noSuchAction:"), nil, nil), NO);
    EXPECT_EQ(app->sendActionToFrom(tick, window.get(), nil), NO); // the target does not answer
    window->setDelegate(nil);
    window->close();
    app->setDelegate(nil);
}

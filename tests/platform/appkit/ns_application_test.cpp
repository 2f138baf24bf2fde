#include "platform/appkit/ns_application.h"

#include "platform/appkit/ns_window.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/platform/foundation/timer_test_support.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

namespace {

ObjcRef<NSWindow> make_window() {
    ObjcRef<NSWindow> window = make_native<NSWindow>();
    window->initWithContentRectStyleMaskBackingDefer(
        NSMakeRect(10, 10, 200, 100), NSWindowStyleMaskTitled, NSBackingStoreBuffered, NO);
    window->setReleasedWhenClosed(NO);
    window->makeKeyAndOrderFront(nil);
    return window;
}

class AppDelegate : public NSObject {
  public:
    NSUInteger applicationShouldTerminate(id) {
        ++asked;
        return reply;
    }
    NSUInteger reply = NSTerminateCancel;
    int asked = 0;
};

ObjcRef<AppDelegate> make_delegate(NSUInteger reply) {
    static Class s_class = register_native_class<AppDelegate>(
        "ApplicationTestDelegate", "NSObject",
        {instance_method<&AppDelegate::applicationShouldTerminate>("applicationShouldTerminate:")});
    ObjcRef<AppDelegate> delegate = make_native<AppDelegate>();
    (void)s_class;
    delegate->reply = reply;
    return delegate;
}

} // namespace

TEST(NSApplication, TerminateAsksTheDelegate) {
    struct Row {
        bool has_delegate;
        NSUInteger reply;
        bool exits;
    };
    const Row rows[] = {
        {true, NSTerminateCancel, false}, {true, NSTerminateNow, true}, {false, 0, true}};
    for (const Row& row : rows) {
        NSApplication* app = clean_application();
        DriverSession session("terminate\n");
        ObjcRef<AppDelegate> delegate = make_delegate(row.reply);
        if (row.has_delegate) app->setDelegate(delegate.get());

        EXPECT_EQ(next_event(), nil); // the script ends after the request

        EXPECT_EQ(session.exits.statuses.size(), row.exits ? 2u : 1u) << "reply " << row.reply;
        EXPECT_EQ(delegate->asked, row.has_delegate ? 1 : 0);
        app->setDelegate(nil);
    }
}

TEST(NSApplication, ActionsToNilGoToTheFirstThatAnswersThem) {
    NSApplication* app = clean_application();
    std::vector<std::string> calls;
    ObjcRef<ActionRecorder> app_delegate = make_recorder("application", &calls);
    app->setDelegate(app_delegate.get());
    SEL tick = sel_registerName("tick:");

    EXPECT_EQ(app->sendActionToFrom(tick, nil, nil), YES);
    ObjcRef<ActionRecorder> window_delegate = make_recorder("window", &calls);
    ObjcRef<NSWindow> window = make_window();
    window->setDelegate(window_delegate.get());
    app->set_key_window(window.get());
    EXPECT_EQ(app->sendActionToFrom(tick, nil, nil), YES);
    EXPECT_EQ(calls, (std::vector<std::string>{"application", "window"}));

    EXPECT_EQ(app->sendActionToFrom(tick, window.get(), nil), NO); // the target does not answer
    window->setDelegate(nil);
    window->close();
    app->setDelegate(nil);
}

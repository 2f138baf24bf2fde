#include "platform/appkit/ns_workspace.h"

#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_running_application.h"
#include "platform/foundation/ns_url.h"
#include "platform/objc/selector.h"
#include "tests/platform/foundation/timer_test_support.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(NSWorkspace, SleepAndWakeReachTheWorkspacesObserversOnly) {
    clean_application();
    NSWorkspace* workspace = NSWorkspace::sharedWorkspace(nil);
    ASSERT_NE(workspace, nil);
    ASSERT_NE(workspace->notificationCenter(), NSNotificationCenter::defaultCenter(nil));
    ObjcRef<ActionRecorder> observer = make_recorder();
    ObjcRef<ActionRecorder> bystander = make_recorder();
    workspace->notificationCenter()->addObserver(observer.get(), sel_registerName("noted:"), nil,
                                                 workspace);
    NSNotificationCenter::defaultCenter(nil)->addObserver(bystander.get(),
                                                          sel_registerName("noted:"), nil, nil);
    DriverSession session("sleep\nadvance 1000\nwake\n");

    EXPECT_EQ(next_event(), nil);

    workspace->notificationCenter()->removeObserver(observer.get());
    NSNotificationCenter::defaultCenter(nil)->removeObserver(bystander.get());
    EXPECT_EQ(observer->notifications,
              (std::vector<std::string>{"NSWorkspaceWillSleepNotification",
                                        "NSWorkspaceDidWakeNotification"}));
    EXPECT_TRUE(bystander->notifications.empty());
}

TEST(NSWorkspace, OpensURLsThroughTheDisplay) {
    ObjcRef<NSString> text = NSString::make(u"https://example.org/battery");
    NSURL* url = NSURL::URLWithString(nil, text.get());
    ASSERT_NE(url, nil);
    NSWorkspace* workspace = NSWorkspace::sharedWorkspace(nil);
    EXPECT_EQ(workspace->openURL(url), NO);
    DriverSession session("");
    EXPECT_EQ(workspace->openURL(url), YES);
    EXPECT_EQ(workspace->openURL(nil), NO);
    EXPECT_EQ(session.lines(), Lines{open_line(0, "https://example.org/battery")});
}

TEST(NSWorkspace, IconsForFileTypesAreSystemIcons) {
    ObjcRef<NSString> type = NSString::make(u"'caut'");
    NSImage* icon = NSWorkspace::sharedWorkspace(nil)->iconForFileType(type.get());
    ASSERT_NE(icon, nil);
    EXPECT_EQ(units_of(icon->system_icon_type()), u"'caut'");
    EXPECT_EQ(icon->size().width, 32);
    EXPECT_EQ(icon->size().height, 32);
}

TEST(NSRunningApplication, IsThisProcess) {
    NSRunningApplication* current = NSRunningApplication::currentApplication(nil);
    ASSERT_NE(current, nil);
    EXPECT_EQ(current->processIdentifier(), getpid());
    EXPECT_NE(current->localizedName(), nil);
    EXPECT_EQ(current->activateWithOptions(0), YES);
}

#include "platform/appkit/ns_screen.h"

#include "platform/appkit/ns_window.h"
#include "platform/display/display_slot.h"
#include "platform/foundation/ns_array.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/support/screens_display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<NSRect> frames_of(NSArray* screens) {
    std::vector<NSRect> frames;
    for (const ObjcRef<>& screen : *screens)
        frames.push_back(msg_send<NSRect>(screen.get(), "frame"));
    return frames;
}

ObjcRef<NSWindow> make_screen_window(NSRect frame) {
    id object = NSObject::alloc(objc_getClass("NSWindow"));
    ObjcRef<NSWindow> window = ObjcRef<NSWindow>::adopt(
        msg_send<NSWindow*>(object, "initWithContentRect:styleMask:backing:defer:", frame,
                            NSUInteger{NSWindowStyleMaskBorderless}, NSUInteger{2}, NO));
    window->setReleasedWhenClosed(NO);
    return window;
}

} // namespace

TEST(NSScreen, WithoutADisplayThereIsOneScreenUnderAMenuBar) {
    AutoreleasePoolScope pool;
    ASSERT_EQ(current_display(), nullptr);
    NSScreen* main = NSScreen::mainScreen(nil);
    EXPECT_EQ(main, NSScreen::screens(nil)->objectAtIndex(0)) << "the same until screens change";
    EXPECT_EQ(main->frame(), NSMakeRect(0, 0, 1440, 900));
    EXPECT_EQ(main->visibleFrame(), NSMakeRect(0, 0, 1440, 876));
}

TEST(NSScreen, FollowsTheDisplaysScreens) {
    AutoreleasePoolScope pool;
    ScreensDisplay display({{0, 0, 1440, 900}, {1440, 0, 1024, 768}});
    DisplayScope scope(display);
    NSArray* screens = NSScreen::screens(nil);
    EXPECT_EQ(frames_of(screens),
              (std::vector<NSRect>{NSMakeRect(0, 0, 1440, 900), NSMakeRect(1440, 132, 1024, 768)}));
    auto* second = static_cast<NSScreen*>(screens->objectAtIndex(1));
    EXPECT_EQ(second->visibleFrame(), second->frame()) << "only the first has the menu bar";

    display.set_screens({{0, 0, 800, 600}});
    EXPECT_EQ(frames_of(NSScreen::screens(nil)), std::vector<NSRect>{NSMakeRect(0, 0, 800, 600)});
    EXPECT_EQ(NSScreen::mainScreen(nil)->visibleFrame(), NSMakeRect(0, 0, 800, 576));
    EXPECT_EQ(second->frame(), NSMakeRect(1440, 132, 1024, 768)) << "kept alive by its array";

    display.set_screens({});
    EXPECT_EQ(NSScreen::mainScreen(nil), nil);
    EXPECT_EQ(NSScreen::screens(nil)->count(), 0u);
}

TEST(NSScreen, AWindowIsOnTheScreenHoldingItsCentreOrMostOfIt) {
    struct Case {
        const char* name;
        NSRect frame;
        std::size_t screen; // index in screens; 2: none expected
    };
    const Case cases[] = {
        {"inside the first", NSMakeRect(100, 100, 200, 200), 0},
        {"centre on the second", NSMakeRect(1300, 300, 400, 200), 1},
        {"centre off screen, mostly on the second", NSMakeRect(1500, 850, 300, 200), 1},
        {"off every screen: the main screen", NSMakeRect(5000, 5000, 10, 10), 0},
    };
    AutoreleasePoolScope pool;
    ScreensDisplay display({{0, 0, 1440, 900}, {1440, 0, 1024, 768}});
    DisplayScope scope(display);
    NSArray* screens = NSScreen::screens(nil);
    for (const Case& test : cases) {
        ObjcRef<NSWindow> window = make_screen_window(test.frame);
        EXPECT_EQ(msg_send<NSScreen*>(window.get(), "screen"), screens->objectAtIndex(test.screen))
            << test.name;
    }
    display.set_screens({});
    EXPECT_EQ(make_screen_window(NSMakeRect(0, 0, 10, 10))->screen(), nil) << "no screens";
}

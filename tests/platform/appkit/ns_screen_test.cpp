#include "platform/appkit/ns_screen.h"

#include "platform/appkit/ns_window.h"
#include "platform/display/display_slot.h"
#include "platform/foundation/ns_array.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/support/screens_display.h"

#include <gtest/gtest.h>

namespace {

ObjcRef<NSWindow> make_screen_window(NSRect frame) {
    id object = NSObject::alloc(objc_getClass("NSWindow"));
    ObjcRef<NSWindow> window = ObjcRef<NSWindow>::adopt(
        msg_send<NSWindow*>(object, "initWithContentRect:styleMask:backing:defer:", frame,
                            NSUInteger{NSWindowStyleMaskBorderless}, NSUInteger{2}, NO));
    window->setReleasedWhenClosed(NO);
    return window;
}

} // namespace

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
    ASSERT_EQ(NSScreen::mainScreen(nil)->visibleFrame(), NSMakeRect(0, 0, 1440, 876))
        << "no display";
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

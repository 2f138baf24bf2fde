#include "platform/appkit/model_presenter.h"

#include "platform/appkit/ns_window.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

namespace {

ObjcRef<NSWindow> shown_window() {
    ObjcRef<NSWindow> window = make_native<NSWindow>();
    window->initWithContentRectStyleMaskBackingDefer(
        NSMakeRect(100, 200, 300, 150), NSWindowStyleMaskTitled | NSWindowStyleMaskClosable,
        NSBackingStoreBuffered, NO);
    window->setReleasedWhenClosed(NO);
    window->orderFront(nil);
    return window;
}

} // namespace

TEST(ModelPresenter, ShowsVisibleWindowsAndTellsOfTheirClosing) {
    clean_application();
    DriverSession session("");
    ObjcRef<NSWindow> hidden = make_native<NSWindow>();
    hidden->initWithContentRectStyleMaskBackingDefer(
        NSMakeRect(0, 0, 50, 50), NSWindowStyleMaskTitled, NSBackingStoreBuffered, NO);
    hidden->setReleasedWhenClosed(NO);
    ObjcRef<NSWindow> window = shown_window();

    show_model_on_display();
    session.display.wait_for_input(0); // writes what changed
    WindowSnapshot snapshot = window->display_snapshot(900);
    EXPECT_TRUE(session.wrote(window_line(0, snapshot)));
    for (const std::string& line : session.lines())
        EXPECT_EQ(line.find("\"number\":" + std::to_string(hidden->display_number()) + ","),
                  std::string::npos)
            << line;

    window->close();
    show_model_on_display();
    session.display.wait_for_input(0);
    EXPECT_TRUE(session.wrote(window_closed_line(0, static_cast<int>(snapshot.number))));
    hidden->close();
}

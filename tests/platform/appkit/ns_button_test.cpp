#include "platform/appkit/ns_button.h"

#include "platform/objc/message_send.h"
#include "tests/platform/foundation/timer_test_support.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ObjcRef<NSButton> make_button(NSUInteger type, bool mixed, id target) {
    ObjcRef<NSButton> button = make_native<NSButton>();
    button->initWithFrame(NSMakeRect(0, 0, 100, 20));
    button->setButtonType(type);
    button->setAllowsMixedState(mixed ? YES : NO);
    button->setTarget(target);
    button->setAction(sel_registerName("tick:"));
    return button;
}

TEST(NSButton, AClickMovesToTheNextStateBeforeTheActionGoesOut) {
    struct Case {
        NSUInteger type;
        bool mixed;
        NSInteger from;
        NSInteger to;
    };
    const Case cases[] = {
        {NSButtonTypeSwitch, false, 1, 0}, {NSButtonTypeSwitch, true, 0, -1},
        {NSButtonTypeSwitch, true, -1, 1}, {NSButtonTypeToggle, false, 0, 1},
        {NSButtonTypeRadio, false, 1, 1},  {NSButtonTypeMomentaryPushIn, false, 0, 0},
    };
    clean_application();
    for (const Case& c : cases) {
        // The state its sender shows when each action arrives.
        std::vector<NSInteger> seen;
        ObjcRef<ActionRecorder> target = make_recorder();
        target->on_action = [&](id sender) {
            seen.push_back(static_cast<NSButton*>(sender)->state());
        };
        ObjcRef<NSButton> button = make_button(c.type, c.mixed, target.get());
        button->setState(c.from);
        msg_send<void>(button.get(), "performClick:", id{nil});
        EXPECT_EQ(button->state(), c.to)
            << "type " << c.type << " mixed " << c.mixed << " from " << c.from;
        EXPECT_EQ(seen, std::vector<NSInteger>{c.to}) << "type " << c.type;
        button->setEnabled(NO);
        button->performClick(nil);
        EXPECT_EQ(seen.size(), 1u) << "a disabled button ignores clicks";
    }
}

} // namespace

#include "platform/appkit/ns_alert.h"

#include "platform/foundation/ns_timer.h"
#include "platform/objc/selector.h"
#include "tests/platform/foundation/timer_test_support.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

namespace {

ObjcRef<NSTimer> schedule(ActionRecorder* recorder, NSString* mode) {
    ObjcRef<NSTimer> timer = ObjcRef<NSTimer>::retain(
        NSTimer::timerWithTimeInterval(nil, 1, recorder, sel_registerName("tick:"), nil, YES));
    NSRunLoop::main()->addTimer(timer.get(), mode);
    return timer;
}

} // namespace

TEST(NSAlert, HoldsDefaultModeTimersWhileModalOnesFire) {
    clean_application();
    ObjcRef<ActionRecorder> normal = make_recorder();
    ObjcRef<ActionRecorder> modal = make_recorder();
    ObjcRef<ActionRecorder> common = make_recorder();
    ObjcRef<NSTimer> timers[] = {schedule(normal.get(), NSDefaultRunLoopMode),
                                 schedule(modal.get(), NSModalPanelRunLoopMode),
                                 schedule(common.get(), NSRunLoopCommonModes)};
    ObjcRef<NSAlert> alert = make_native<NSAlert>();
    DriverSession session("advance 5000\nanswer 1\n");

    EXPECT_EQ(alert->runModal(), NSAlertFirstButtonReturn);
    EXPECT_EQ(alert->runModal(), NSModalResponseAbort) << "the input has ended";

    for (auto& timer : timers)
        timer->invalidate();
    EXPECT_EQ(normal->times.size(), 0u);
    EXPECT_EQ(modal->times.size(), 5u);
    EXPECT_EQ(common->times.size(), 5u);
    EXPECT_EQ(session.exits.statuses, std::vector<int>{0});
}

#include "platform/foundation/ns_timer.h"

#include "platform/foundation/ns_run_loop.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/platform/foundation/timer_test_support.h"

#include <gtest/gtest.h>

namespace {

SEL tick() {
    return sel_registerName("tick:");
}

// A repeating timer on its own run loop, so that tests do not share timers.
NSTimer* repeating_timer(NSRunLoop* loop, double interval, id target, NSString* mode) {
    NSTimer* timer = msg_send<NSTimer*>(
        class_named("NSTimer"), "timerWithTimeInterval:target:selector:userInfo:repeats:", interval,
        target, tick(), id{nil}, BOOL{YES});
    loop->addTimer(timer, mode);
    return timer;
}

} // namespace

TEST(NSTimer, RepeatingTimersFireOncePerIntervalWithoutDrift) {
    struct Row {
        double interval;
        double span;
        std::size_t firings;
    };
    const Row rows[] = {{10, 3600, 360}, {0.25, 60, 240}, {7, 100, 14}, {0.1, 10, 100}};
    for (const Row& row : rows) {
        AutoreleasePoolScope pool;
        VirtualTime time;
        ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
        ObjcRef<ActionRecorder> recorder = make_recorder();
        NSTimer* timer =
            repeating_timer(loop.get(), row.interval, recorder.get(), NSDefaultRunLoopMode);
        time.clock.advance(row.span);
        EXPECT_EQ(loop->run_until(row.span, NSDefaultRunLoopMode), RunLoopEnd::deadline);
        EXPECT_EQ(recorder->times.size(), row.firings)
            << "interval " << row.interval << " over " << row.span << " s";
        // Every firing happens exactly on its point of the schedule: the first fire date plus
        // whole intervals, with no error carried from one firing to the next.
        for (std::size_t i = 0; i < recorder->times.size(); ++i)
            ASSERT_EQ(recorder->times[i], row.interval + static_cast<double>(i) * row.interval)
                << "firing " << i << " of interval " << row.interval;
        timer->invalidate();
    }
}

TEST(NSTimer, InvalidatingInsideTheActionStopsItAndReleasesTheTarget) {
    AutoreleasePoolScope pool;
    VirtualTime time;
    ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
    ObjcRef<ActionRecorder> recorder = make_recorder();
    recorder->on_action = [&](id timer) {
        if (recorder->times.size() == 3) static_cast<NSTimer*>(timer)->invalidate();
    };
    ObjcRef<NSTimer> timer = ObjcRef<NSTimer>::retain(
        repeating_timer(loop.get(), 10, recorder.get(), NSDefaultRunLoopMode));
    EXPECT_EQ(recorder->retainCount(), 2u);
    time.clock.advance(100);
    loop->run_until(100, NSDefaultRunLoopMode);
    EXPECT_EQ(recorder->times.size(), 3u);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(recorder->retainCount(), 1u);
    EXPECT_FALSE(loop->next_fire_time(NSDefaultRunLoopMode).has_value());
    recorder->on_action = nullptr;
}

TEST(NSTimer, AOneShotTimerFiresOnceAndInvalidatesItself) {
    AutoreleasePoolScope pool;
    VirtualTime time;
    ObjcRef<ActionRecorder> recorder = make_recorder();
    ObjcRef<NSTimer> held;
    {
        AutoreleasePoolScope inner;
        held = ObjcRef<NSTimer>::retain(msg_send<NSTimer*>(
            class_named("NSTimer"),
            "scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:", 5.0,
            static_cast<id>(recorder.get()), tick(), static_cast<id>(recorder.get()), BOOL{NO}));
    }
    ASSERT_TRUE(held);
    NSTimer* timer = held.get();
    EXPECT_EQ(msg_send<double>(timer, "timeInterval"), 0.0);
    EXPECT_EQ(msg_send<NSDate*>(timer, "fireDate")->seconds_since_1970(), 5.0);
    time.clock.advance(60);
    NSRunLoop::current()->run_until(60, NSDefaultRunLoopMode);
    EXPECT_EQ(recorder->times, std::vector<double>{5.0});
    EXPECT_FALSE(msg_send<BOOL>(timer, "isValid"));
    // The user information outlives the invalidation; the target reference is gone.
    EXPECT_EQ(msg_send<id>(timer, "userInfo"), recorder.get());
    EXPECT_EQ(recorder->retainCount(), 2u);
    held.reset();
    EXPECT_EQ(recorder->retainCount(), 1u);
}

TEST(NSTimer, InitWithFireDateStartsAtThatDateAndCountsFromIt) {
    AutoreleasePoolScope pool;
    VirtualTime time;
    ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
    ObjcRef<ActionRecorder> recorder = make_recorder();
    id allocated = msg_send<id>(class_named("NSTimer"), "alloc");
    ObjcRef<NSTimer> timer = ObjcRef<NSTimer>::adopt(
        msg_send<NSTimer*>(allocated, "initWithFireDate:interval:target:selector:userInfo:repeats:",
                           NSDate::make(3).autorelease(), 4.0, static_cast<id>(recorder.get()),
                           tick(), id{nil}, BOOL{YES}));
    ASSERT_TRUE(timer);
    msg_send<void>(loop.get(), "addTimer:forMode:", timer.get(), NSDefaultRunLoopMode);
    time.clock.advance(12);
    loop->run_until(12, NSDefaultRunLoopMode);
    EXPECT_EQ(recorder->times, (std::vector<double>{3, 7, 11}));
    EXPECT_EQ(timer->fireDate()->seconds_since_1970(), 15.0);
    timer->invalidate();
}

TEST(NSTimer, FireSendsTheActionWithoutMovingTheSchedule) {
    AutoreleasePoolScope pool;
    VirtualTime time;
    ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
    ObjcRef<ActionRecorder> recorder = make_recorder();
    NSTimer* timer = repeating_timer(loop.get(), 10, recorder.get(), NSDefaultRunLoopMode);
    msg_send<void>(timer, "fire");
    EXPECT_EQ(recorder->times.size(), 1u);
    EXPECT_EQ(timer->fireDate()->seconds_since_1970(), 10.0);
    EXPECT_TRUE(timer->isValid());
    timer->invalidate();
    timer->fire();
    EXPECT_EQ(recorder->times.size(), 1u);
}

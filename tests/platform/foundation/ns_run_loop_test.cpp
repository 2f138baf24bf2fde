#include "platform/foundation/ns_run_loop.h"

#include "platform/foundation/ns_timer.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/platform/foundation/timer_test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class NSRunLoopTest : public ::testing::Test {
  protected:
    AutoreleasePoolScope pool;
    VirtualTime time;
    ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
};

} // namespace

TEST_F(NSRunLoopTest, ATimerThatMissedAModalRunFiresOnceThenKeepsItsSchedule) {
    ObjcRef<ActionRecorder> recorder = make_recorder();
    NSTimer* timer = add_loop_timer(loop.get(), 10, recorder.get(), NSDefaultRunLoopMode);
    time.clock.advance(35);
    loop->run_until(35, NSModalPanelRunLoopMode);
    EXPECT_TRUE(recorder->times.empty());
    time.clock.advance(25);
    loop->run_until(60, NSDefaultRunLoopMode);
    EXPECT_EQ(recorder->times, (std::vector<double>{35, 40, 50, 60}));
    timer->invalidate();
}

TEST_F(NSRunLoopTest, EndsAtAWakeRaisedBeforeOrDuringTheRunAndStallsWhenTimeCannotMove) {
    time.clock.advance(50);
    loop->wake();
    EXPECT_EQ(loop->run_until(100, NSDefaultRunLoopMode), RunLoopEnd::woken);
    EXPECT_EQ(platform_now(), 0.0);
    EXPECT_EQ(loop->run_until(100, NSDefaultRunLoopMode), RunLoopEnd::stalled) << "consumed";
    EXPECT_EQ(platform_now(), 50.0);

    ObjcRef<ActionRecorder> recorder = make_recorder();
    NSTimer* timer = add_loop_timer(loop.get(), 10, recorder.get(), NSDefaultRunLoopMode);
    int reads = 0; // the input reader first advances 25 s, then an event is posted
    time.clock.set_input_reader([&] {
        if (++reads == 1)
            time.clock.advance(25);
        else
            loop->wake();
        return true;
    });
    EXPECT_EQ(loop->run_until(k_no_deadline, NSDefaultRunLoopMode), RunLoopEnd::woken);
    EXPECT_EQ(recorder->times, (std::vector<double>{60, 70}));
    EXPECT_EQ(platform_now(), 75.0);
    time.clock.set_input_reader(nullptr);
    timer->invalidate();
}

// A modal run inside a timer's action fires the modal timers, but not the firing timer again.
TEST_F(NSRunLoopTest, ANestedRunDoesNotRefireTheFiringTimer) {
    std::vector<std::string> log;
    ObjcRef<ActionRecorder> outer = make_recorder("outer", &log);
    ObjcRef<ActionRecorder> inner = make_recorder("inner", &log);
    outer->on_action = [&](id) { loop->run_until(platform_now(), NSModalPanelRunLoopMode); };
    NSTimer* timer = add_loop_timer(loop.get(), 10, outer.get(), NSRunLoopCommonModes, false);
    add_loop_timer(loop.get(), 10, inner.get(), NSModalPanelRunLoopMode, false);
    time.clock.advance(10);
    loop->run_until(10, NSDefaultRunLoopMode);
    EXPECT_EQ(log, (std::vector<std::string>{"outer", "inner"}));
    EXPECT_FALSE(timer->isValid());
    outer->on_action = nullptr;
    NSRunLoop* other = nullptr;
    std::thread([&] { other = NSRunLoop::current(); }).join();
    EXPECT_NE(other, NSRunLoop::main());
    EXPECT_EQ(NSRunLoop::current(), NSRunLoop::main());
}

#include "platform/foundation/ns_run_loop.h"

#include "platform/foundation/ns_timer.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/platform/foundation/timer_test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

NSTimer* add_loop_timer(NSRunLoop* loop, double interval, id target, NSString* mode,
                        bool repeats = true) {
    NSTimer* timer = NSTimer::timerWithTimeInterval(nil, interval, target,
                                                    sel_registerName("tick:"), nil, repeats);
    loop->addTimer(timer, mode);
    return timer;
}

std::string mode_name(NSString* mode) {
    return mode ? mode->utf8() : "<nil>";
}

} // namespace

TEST(NSRunLoop, FiresATimerOnlyInTheModesItWasScheduledFor) {
    const struct {
        NSString* scheduled;
        NSString* run;
        std::size_t firings; // of a 10 s timer over 30 s
    } rows[] = {
        {NSDefaultRunLoopMode, NSDefaultRunLoopMode, 3},
        {NSDefaultRunLoopMode, NSModalPanelRunLoopMode, 0},
        {NSModalPanelRunLoopMode, NSDefaultRunLoopMode, 0},
        {NSRunLoopCommonModes, NSDefaultRunLoopMode, 3},
        {NSRunLoopCommonModes, NSModalPanelRunLoopMode, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("scheduled in " + mode_name(row.scheduled) + ", run in " + mode_name(row.run));
        AutoreleasePoolScope pool;
        VirtualTime time;
        ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
        ObjcRef<ActionRecorder> recorder = make_recorder();
        NSTimer* timer = add_loop_timer(loop.get(), 10, recorder.get(), row.scheduled);
        time.clock.advance(30);
        EXPECT_EQ(loop->run_until(30, row.run), RunLoopEnd::deadline);
        EXPECT_EQ(recorder->times.size(), row.firings);
        timer->invalidate();
    }
}

TEST(NSRunLoop, ATimerThatMissedAModalRunFiresOnceThenKeepsItsSchedule) {
    AutoreleasePoolScope pool;
    VirtualTime time;
    ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
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

TEST(NSRunLoop, TimersDueAtTheSameInstantFireInTheOrderTheyWereScheduled) {
    AutoreleasePoolScope pool;
    VirtualTime time;
    ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
    std::vector<std::string> log;
    ObjcRef<ActionRecorder> b = make_recorder("b", &log);
    ObjcRef<ActionRecorder> a = make_recorder("a", &log);
    ObjcRef<ActionRecorder> early = make_recorder("early", &log);
    NSTimer* timers[] = {add_loop_timer(loop.get(), 10, b.get(), NSDefaultRunLoopMode),
                         add_loop_timer(loop.get(), 10, a.get(), NSDefaultRunLoopMode),
                         add_loop_timer(loop.get(), 5, early.get(), NSDefaultRunLoopMode, false)};
    time.clock.advance(20);
    loop->run_until(20, NSDefaultRunLoopMode);
    EXPECT_EQ(log, (std::vector<std::string>{"early", "b", "a", "b", "a"}));
    for (NSTimer* timer : timers)
        timer->invalidate();
}

TEST(NSRunLoop, EndsAtAWakeRaisedBeforeOrDuringTheRunAndStallsWhenTimeCannotMove) {
    AutoreleasePoolScope pool;
    VirtualTime time;
    ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
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

TEST(NSRunLoop, AWakeFromAnotherThreadEndsARealTimeWait) {
    ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        loop->wake();
    });
    // The deadline only keeps a broken wake from hanging the test.
    RunLoopEnd end = loop->run_until(platform_now() + 30, NSDefaultRunLoopMode);
    waker.join();
    EXPECT_EQ(end, RunLoopEnd::woken);
}

TEST(NSRunLoop, ReportsTheModeOfTheInnermostRunAndDoesNotRefireAFiringTimer) {
    AutoreleasePoolScope pool;
    VirtualTime time;
    ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
    std::vector<std::string> modes;
    auto note_mode = [&] { modes.push_back(mode_name(loop->currentMode())); };
    ObjcRef<ActionRecorder> outer = make_recorder();
    ObjcRef<ActionRecorder> inner = make_recorder();
    outer->on_action = [&](id) {
        note_mode();
        // A modal run inside the action: the firing timer, though due in that mode too, waits.
        loop->run_until(platform_now(), NSModalPanelRunLoopMode);
        note_mode();
    };
    inner->on_action = [&](id) { note_mode(); };
    NSTimer* timer = add_loop_timer(loop.get(), 10, outer.get(), NSRunLoopCommonModes, false);
    add_loop_timer(loop.get(), 10, inner.get(), NSModalPanelRunLoopMode, false);
    time.clock.advance(10);
    loop->run_until(10, NSDefaultRunLoopMode);
    EXPECT_EQ(modes, (std::vector<std::string>{"kCFRunLoopDefaultMode", "NSModalPanelRunLoopMode",
                                               "kCFRunLoopDefaultMode"}));
    EXPECT_EQ(outer->times.size(), 1u);
    EXPECT_EQ(loop->currentMode(), nil);
    EXPECT_FALSE(timer->isValid());
    outer->on_action = inner->on_action = nullptr;
}

TEST(NSRunLoop, TheMainThreadsCurrentLoopIsTheMainLoop) {
    Class cls = class_named("NSRunLoop");
    NSRunLoop* main = msg_send<NSRunLoop*>(cls, "mainRunLoop");
    ASSERT_TRUE(main);
    EXPECT_EQ(msg_send<NSRunLoop*>(cls, "currentRunLoop"), main);
    NSRunLoop* other = nullptr;
    std::thread([&] { other = NSRunLoop::current(); }).join();
    EXPECT_NE(other, main);
}

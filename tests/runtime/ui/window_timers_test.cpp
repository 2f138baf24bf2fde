#include "runtime/ui/window_timers.h"

#include "platform/foundation/ns_run_loop.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/ui/application.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/window_records.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace rt;

// One step before the script runs: start (with its expected answer), stop, or close a window.
struct TimerStep {
    char op; // 's' start, 'x' stop, 'd' dispose the window
    int64_t window, timer;
    int32_t milliseconds = 0;
    int expected = 1;
};

int64_t queued_ticks() {
    int64_t ticks = 0;
    for (const EventRecord* record = queue_head(); record; record = record->next)
        ticks += record->kind == EventKindTimer ? 1 : 0;
    return ticks;
}

// The application, the queue and the window table over a driver display reading `script`, with
// the hidden anchor window 0 and a second window 1.
struct TimerSession {
    explicit TimerSession(const std::string& script) : session(script) {
        EXPECT_EQ(InitApplication(), 1);
        EXPECT_EQ(InitEvents(), 1);
        install_application_waker();
        EXPECT_EQ(InitWindows(), 1);
        EXPECT_NE(NewWindow(0, 0, 0, 10, 10, u"", 1), 0);
        EXPECT_NE(NewWindow(1, 0, 0, 10, 10, u"", 1), 0);
    }
    ~TimerSession() {
        DisposeWindow(AutoNumber);
        set_native_event_waker(nullptr);
        InitEvents();
    }
    // Waits for events until the script ends and returns the timer events taken as
    // "timer/window@milliseconds"; the bound ends a faulty test instead of hanging it.
    std::string take_ticks_until_input_ends() {
        std::string ticks;
        for (int pass = 0; pass < 100000 && session.exits.statuses.empty(); ++pass) {
            if (WaitEvent() != EventKindTimer) continue;
            ticks += (ticks.empty() ? "" : " ") + std::to_string(CurrentEventTimer()) + "/" +
                     std::to_string(current_event().window) + "@" +
                     std::to_string(session.display.now_ms());
        }
        EXPECT_FALSE(session.exits.statuses.empty()) << "the script did not end";
        return ticks;
    }

    AutoreleasePoolScope pool;
    DriverSession session;
};

TEST(WindowTimers, StartStopAndReplaceTimersPerWindow) {
    // What the steps do, the steps, the timers left on window 0 and the ticks over 30 s.
    const std::tuple<const char*, std::vector<TimerStep>, int64_t, const char*> rows[] = {
        {"starting again replaces", {{'s', 0, 1, 10000}, {'s', 0, 1, 25000}}, 1, "1/0@25000"},
        {"side by side",
         {{'s', 0, 1, 10000}, {'s', 0, 2, 14000}, {'s', 1, 1, 12000}},
         2,
         "1/0@10000 1/1@12000 2/0@14000 1/0@20000 1/1@24000 2/0@28000 1/0@30000"},
        {"refused",
         {{'s', 0, 2, 0, 0}, {'s', 0, 2, -5, 0}, {'s', 7, 1, 1, 0}, {'s', -1, 1, 1, 0}},
         0,
         ""},
        {"a 1 ms interval is allowed", {{'s', 0, 3, 1}, {'x', 0, 3}}, 0, ""},
        {"a zero interval still stops", {{'s', 0, 2, 10000}, {'s', 0, 2, 0, 0}}, 0, ""},
        {"others", {{'s', 0, 1, 30000}, {'x', 0, 9}, {'x', 5, 1}, {'x', 1, 1}}, 1, "1/0@30000"},
        {"stopped",
         {{'s', 0, 1, 10000}, {'s', 0, 2, 9000}, {'x', 0, 1}},
         1,
         "2/0@9000 2/0@18000 2/0@27000"},
        {"closing the window stops its timers", {{'s', 1, 1, 10000}, {'d', 1, 0}}, 0, ""},
    };
    for (const auto& [what, steps, count_on_0, ticks] : rows) {
        SCOPED_TRACE(what);
        TimerSession timers("advance 30000\n");
        for (const TimerStep& step : steps) {
            if (step.op == 's') {
                EXPECT_EQ(StartWindowTimer(step.window, step.timer, step.milliseconds),
                          step.expected);
            }
            if (step.op == 'x') StopWindowTimer(step.window, step.timer);
            if (step.op == 'd') DisposeWindow(step.window);
        }
        EXPECT_EQ(window_timer_count(0), count_on_0);
        EXPECT_EQ(timers.take_ticks_until_input_ends(), ticks);
    }
}

TEST(WindowTimers, StoppingDropsTheQueuedTick) {
    TimerSession timers("advance 10000\nadvance 30000\n");
    ASSERT_EQ(StartWindowTimer(0, 1, 10000), 1);
    // Runs the loop until the first tick is queued, without taking it. A wake left over from an
    // earlier test may end the first pass before the timer fires.
    for (int pass = 0; pass < 3 && queued_ticks() == 0; ++pass)
        NSRunLoop::main()->run_until(k_no_deadline, NSDefaultRunLoopMode);
    ASSERT_EQ(queued_ticks(), 1);
    StopWindowTimer(0, 1);
    EXPECT_EQ(queued_ticks(), 0);
    EXPECT_EQ(timers.take_ticks_until_input_ends(), "");
}

} // namespace

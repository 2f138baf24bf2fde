#include "runtime/ui/window_timers.h"

#include "platform/appkit/ns_application.h"
#include "platform/display/display_slot.h"
#include "platform/display/driver/driver_display.h"
#include "platform/foundation/ns_run_loop.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/ui/application.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/windows.h"

#include "tests/runtime/ui/runtime_window_test.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace rt;

struct Tick {
    int64_t timer;
    int64_t window;
    int64_t at_ms; // display time when the program took it
    bool operator==(const Tick&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Tick& tick) {
    return out << "{timer " << tick.timer << ", window " << tick.window << ", at " << tick.at_ms
               << "}";
}

// The application with the hidden anchor window 0 over a driver display that plays `script`.
class WindowTimersTest : public RuntimeWindowTest {
  protected:
    void SetUp() override {
        RuntimeWindowTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_NE(NewWindow(0, 0, 0, 10, 10, u"", 1), 0);
    }
    // Waits for events until the script ends and returns the timer events taken. The loop has a
    // bound so that a fault ends the test instead of hanging it.
    std::vector<Tick> run_script(const std::string& script) {
        m_script.str(script);
        return take_ticks_until_input_ends();
    }
    std::vector<Tick> take_ticks_until_input_ends() {
        std::vector<Tick> ticks;
        for (int pass = 0; pass < 100000 && !m_exited; ++pass) {
            if (WaitEvent() != EventKindTimer) continue;
            ticks.push_back({CurrentEventTimer(), current_event().window, m_display.now_ms()});
        }
        EXPECT_TRUE(m_exited) << "the script did not end";
        return ticks;
    }
};

TEST_F(WindowTimersTest, TicksEveryTenSecondsForAnHour) {
    ASSERT_EQ(StartWindowTimer(0, 1, 10000), 1);
    const std::vector<Tick> ticks = run_script("advance 3600000\n");
    ASSERT_EQ(ticks.size(), 360u);
    for (size_t index = 0; index < ticks.size(); ++index) {
        const Tick expected{1, 0, static_cast<int64_t>(index + 1) * 10000};
        ASSERT_EQ(ticks[index], expected) << "tick " << index;
    }
}

TEST_F(WindowTimersTest, StartingATimerAgainReplacesIt) {
    ASSERT_EQ(StartWindowTimer(0, 1, 10000), 1);
    ASSERT_EQ(StartWindowTimer(0, 1, 25000), 1);
    EXPECT_EQ(window_timer_count(0), 1);
    EXPECT_EQ(run_script("advance 30000\n"), (std::vector<Tick>{{1, 0, 25000}}));
}

TEST_F(WindowTimersTest, TimersOfDifferentNumbersRunSideBySide) {
    ASSERT_EQ(StartWindowTimer(0, 1, 10000), 1);
    ASSERT_EQ(StartWindowTimer(0, 2, 15000), 1);
    EXPECT_EQ(window_timer_count(0), 2);
    EXPECT_EQ(run_script("advance 20000\n"),
              (std::vector<Tick>{{1, 0, 10000}, {2, 0, 15000}, {1, 0, 20000}}));
}

int64_t queued_ticks() {
    int64_t ticks = 0;
    for (const EventRecord* record = queue_head(); record; record = record->next)
        ticks += record->kind == EventKindTimer ? 1 : 0;
    return ticks;
}

TEST_F(WindowTimersTest, StoppingDropsTheQueuedTickAndTheTimer) {
    ASSERT_EQ(StartWindowTimer(0, 1, 10000), 1);
    m_script.str("advance 10000\nadvance 30000\n");
    // Runs the loop until the first tick is queued, without taking it. A wake left over from an
    // earlier test may end the first pass before the timer fires.
    for (int pass = 0; pass < 3 && queued_ticks() == 0; ++pass)
        NSRunLoop::main()->run_until(k_no_deadline, NSDefaultRunLoopMode);
    ASSERT_EQ(queued_ticks(), 1);
    StopWindowTimer(0, 1);
    EXPECT_EQ(queued_ticks(), 0);
    EXPECT_EQ(window_timer_count(0), 0);
    EXPECT_EQ(take_ticks_until_input_ends(), std::vector<Tick>{});
}

TEST_F(WindowTimersTest, RefusesIntervalsBelowOneMillisecondAndMissingWindows) {
    struct Case {
        int64_t window;
        int64_t timer;
        int32_t milliseconds;
    };
    const Case cases[] = {{0, 2, 0}, {0, 2, -5}, {7, 1, 1000}, {-1, 1, 1000}};
    for (const Case& c : cases) {
        EXPECT_EQ(StartWindowTimer(c.window, c.timer, c.milliseconds), 0)
            << "window " << c.window << " timer " << c.timer << " ms " << c.milliseconds;
    }
    EXPECT_EQ(window_timer_count(0), 0);
}

TEST_F(WindowTimersTest, AZeroIntervalStillStopsTheRunningTimer) {
    ASSERT_EQ(StartWindowTimer(0, 2, 10000), 1);
    EXPECT_EQ(StartWindowTimer(0, 2, 0), 0);
    EXPECT_EQ(window_timer_count(0), 0);
    EXPECT_EQ(run_script("advance 30000\n"), std::vector<Tick>{});
}

TEST_F(WindowTimersTest, StoppingAnUnknownTimerChangesNothing) {
    ASSERT_EQ(StartWindowTimer(0, 1, 10000), 1);
    StopWindowTimer(0, 9);
    StopWindowTimer(5, 1);
    EXPECT_EQ(window_timer_count(0), 1);
}

TEST_F(WindowTimersTest, TimersStopWhenTheirWindowCloses) {
    ASSERT_EQ(StartWindowTimer(0, 1, 10000), 1);
    DisposeWindow(0);
    EXPECT_EQ(run_script("advance 30000\n"), std::vector<Tick>{});
}

} // namespace

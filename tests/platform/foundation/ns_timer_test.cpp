#include "platform/foundation/ns_timer.h"

#include "platform/foundation/ns_run_loop.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/platform/foundation/timer_test_support.h"

#include <gtest/gtest.h>

TEST(NSTimer, RepeatingTimersFireOncePerIntervalWithoutDrift) {
    const struct {
        double interval, span;
        std::size_t firings;
    } rows[] = {{0.1, 10, 100}, {7, 100, 14}};
    for (const auto& row : rows) {
        SCOPED_TRACE("interval " + std::to_string(row.interval));
        AutoreleasePoolScope pool;
        VirtualTime time;
        ObjcRef<NSRunLoop> loop = make_native<NSRunLoop>();
        ObjcRef<ActionRecorder> recorder = make_recorder();
        NSTimer* timer = add_loop_timer(loop.get(), row.interval, recorder.get());
        time.clock.advance(row.span);
        loop->run_until(row.span, NSDefaultRunLoopMode);
        ASSERT_EQ(recorder->times.size(), row.firings);
        for (std::size_t i = 0; i < recorder->times.size(); ++i)
            ASSERT_EQ(recorder->times[i], row.interval + static_cast<double>(i) * row.interval)
                << i;
        timer->invalidate();
    }
}

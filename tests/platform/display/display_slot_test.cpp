#include "platform/display/display_slot.h"

#include "platform/appkit/main_thread_tasks.h"
#include "platform/display/terminal/terminal_display.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/ns_run_loop.h"
#include "platform/startup/model_on_display.h"
#include "tests/support/driver_session.h"
#include "tests/support/input_text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <thread>
#include <unistd.h>

namespace {

struct SlotInputRecorder final : InputSink {
    void take(Display&, const Input& input) override { taken.push_back(input_text(input)); }
    std::vector<std::string> taken;
};

} // namespace

// Platform times close above a whole millisecond are that millisecond: 10 s after the start is
// not exact in floating point, and must not wait until 10.001 s.
TEST(DisplaySlot, DeadlinesRoundUpToWholeMilliseconds) {
    struct Row {
        double seconds_after_start;
        int64_t expected_ms;
    };
    const Row rows[] = {{0, 0}, {10, 10000}, {0.0101, 11}, {0.0009, 1}, {3600, 3600000}};
    EXPECT_EQ(display_deadline(platform_now() + 1), std::nullopt);
    DriverSession session("");
    double start = platform_now();
    for (const Row& row : rows) {
        EXPECT_EQ(display_deadline(start + row.seconds_after_start), row.expected_ms)
            << row.seconds_after_start << " s";
    }
    EXPECT_EQ(display_deadline(k_no_deadline), std::nullopt);
}

// Sleep and wake reach the model one way, whether the display gives them (the terminal's keys) or
// the system bus's thread sends them, which cuts the display's wait short; a sent notice counts
// as delivered only after the sink has it.
TEST(DisplaySlot, NoticesFromAnotherThreadInterruptTheWaitAndReachTheSinkAsTheDisplaysDo) {
    int keys[2];
    int screen[2];
    ASSERT_EQ(pipe(keys), 0);
    ASSERT_EQ(pipe2(screen, O_NONBLOCK), 0);
    auto display = std::make_unique<TerminalDisplay>(keys[0], screen[1]);
    SlotInputRecorder sink;
    auto scope = std::make_unique<DisplayScope>(*display, nullptr, &sink);
    size_t taken_when_delivered = 0;
    std::thread bus([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the wait has begun
        send_input_to_model(SystemSleep{}, [&] { taken_when_delivered = sink.taken.size(); });
    });
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(NSRunLoop::main()->run_until(platform_now() + 10, NSDefaultRunLoopMode),
              RunLoopEnd::woken);
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
    bus.join();
    EXPECT_EQ(sink.taken, std::vector<std::string>{});
    EXPECT_EQ(run_main_thread_tasks(), 1);
    EXPECT_EQ(taken_when_delivered, 1u);

    EXPECT_EQ(write(keys[1], "sw", 2), 2);
    close(keys[1]);
    EXPECT_EQ(NSRunLoop::main()->run_until(k_no_deadline, NSDefaultRunLoopMode),
              RunLoopEnd::stalled);
    EXPECT_EQ(sink.taken, (std::vector<std::string>{"sleep", "sleep", "wake"}));
    scope.reset();
    display.reset();
    for (int fd : {keys[0], screen[0], screen[1]})
        close(fd);
}

// Other threads read the driver's virtual clock while the main thread moves it, never seeing it
// go back, and a wait for a virtual deadline ends once the main thread's wait has moved the clock
// past it, without waiting out the deadline in real time.
TEST(DisplaySlot, OtherThreadsReadAndWaitOnTheVirtualClockWhileTheMainThreadMovesIt) {
    std::string script;
    for (int second = 0; second < 60; ++second)
        script += "advance 1000\n";
    DriverScript driver(script);
    DisplayScope scope(driver.display);
    const double start = platform_now();
    std::promise<void> started;
    WakeSignal wake;
    auto waited = std::async(std::launch::async, [&] {
        started.set_value();
        const WaitEnd end = platform_wait_until(start + 45, wake);
        return std::pair(end, platform_now() - start);
    });
    std::atomic<bool> moved{false};
    auto went_back = std::async(std::launch::async, [&] {
        for (double last = start; !moved;) {
            const double now = platform_now();
            if (now < last) return true;
            last = now;
        }
        return false;
    });
    started.get_future().wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the thread has begun to wait
    NSRunLoop::main()->run_until(k_no_deadline, NSDefaultRunLoopMode);
    moved = true;
    EXPECT_FALSE(went_back.get());
    if (waited.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        wake.raise();
        FAIL() << "the other thread waited on after the clock passed its deadline";
    }
    const auto [end, seconds] = waited.get();
    EXPECT_EQ(end, WaitEnd::deadline);
    EXPECT_NEAR(seconds, 60, 1e-3);
}

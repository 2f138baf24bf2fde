#include "platform/display/display_slot.h"

#include "platform/appkit/main_thread_tasks.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/ns_run_loop.h"
#include "platform/startup/model_on_display.h"
#include "tests/support/driver_session.h"
#include "tests/support/input_text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace {

// Keeps, in order, the input it is given.
struct InputRecorder final : InputSink {
    void take(Display&, const Input& input) override { taken.push_back(input_text(input)); }
    std::vector<std::string> taken;
};

// A display on real time whose wait for input ends at its deadline or when interrupted.
class InterruptibleDisplay final : public Display {
  public:
    int64_t now_ms() const override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now() - m_start).count();
    }
    void set_status(const std::optional<StatusSnapshot>&) override {}
    void set_status_menu(const std::optional<std::vector<MenuItemSnapshot>>&) override {}
    void set_window(const WindowSnapshot&) override {}
    void window_closed(int) override {}
    int run_alert(const AlertSnapshot&, ModalPass&) override { return 0; }
    void play_sound(int) override {}
    bool open_url(const std::string&) override { return false; }
    void will_exit(int) override {}
    std::vector<ScreenRect> screens() const override { return {ScreenRect{0, 0, 1, 1}}; }
    ScreenPoint pointer() const override { return {}; }
    void reject_input(const Input&, const std::string&) override {}
    Input wait_for_input(std::optional<int64_t> deadline_ms) override {
        std::unique_lock lock(m_mutex);
        m_waiting = true;
        m_changed.notify_all();
        const auto until = m_start + std::chrono::milliseconds(deadline_ms.value_or(60000));
        interrupted += m_changed.wait_until(lock, until, [this] { return m_interrupted; });
        m_waiting = m_interrupted = false;
        return Timeout{};
    }
    void interrupt_wait() override {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
        m_changed.notify_all();
    }
    int interrupted = 0; // waits that ended by an interrupt
    void wait_until_waiting() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_waiting; });
    }

  private:
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_waiting = false;
    bool m_interrupted = false;
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

// Sleep and wake reach the model one way, whether the display gives them or the system bus's
// thread sends them; a sent notice counts as delivered only after the sink has it.
TEST(DisplaySlot, NoticesFromAnotherThreadInterruptTheWaitAndReachTheSinkAsTheDisplaysDo) {
    InputRecorder sink;
    InterruptibleDisplay display;
    DisplayScope scope(display, nullptr, &sink);
    size_t taken_when_delivered = 0;
    std::thread bus([&] {
        display.wait_until_waiting();
        send_input_to_model(SystemSleep{}, [&] { taken_when_delivered = sink.taken.size(); });
    });
    EXPECT_EQ(NSRunLoop::main()->run_until(platform_now() + 10, NSDefaultRunLoopMode),
              RunLoopEnd::woken);
    bus.join();
    EXPECT_EQ(display.interrupted, 1);
    EXPECT_EQ(sink.taken, std::vector<std::string>{});
    EXPECT_EQ(run_main_thread_tasks(), 1);
    EXPECT_EQ(taken_when_delivered, 1u);

    DriverScript driver("sleep\nwake\n");
    DisplayScope driven(driver.display, nullptr, &sink);
    EXPECT_EQ(NSRunLoop::main()->run_until(k_no_deadline, NSDefaultRunLoopMode),
              RunLoopEnd::stalled);
    EXPECT_EQ(sink.taken, (std::vector<std::string>{"sleep", "sleep", "wake"}));
}

// Another thread reads the driver's virtual clock while the main thread moves it, and its wait
// for a virtual deadline ends once the main thread's wait has moved the clock past it, without
// waiting out the deadline in real time.
TEST(DisplaySlot, AnotherThreadWaitsOnTheVirtualClockUntilTheMainThreadMovesIt) {
    DriverScript driver("advance 30000\nadvance 30000\n");
    DisplayScope scope(driver.display);
    const double start = platform_now();
    std::promise<void> started;
    WakeSignal wake;
    auto waited = std::async(std::launch::async, [&] {
        started.set_value();
        const WaitEnd end = platform_wait_until(start + 45, wake);
        return std::pair(end, platform_now() - start);
    });
    started.get_future().wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the thread has begun to wait
    NSRunLoop::main()->run_until(k_no_deadline, NSDefaultRunLoopMode);
    if (waited.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        wake.raise();
        FAIL() << "the other thread waited on after the clock passed its deadline";
    }
    const auto [end, seconds] = waited.get();
    EXPECT_EQ(end, WaitEnd::deadline);
    EXPECT_NEAR(seconds, 60, 1e-3);
}

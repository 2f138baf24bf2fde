#include "platform/display/display_slot.h"

#include "platform/foundation/clock.h"
#include "platform/foundation/clock_wait.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Platform times handed to the display are rounded up to whole milliseconds, but a time that
// lies within this much (in ms) past a millisecond is taken as that millisecond: the sum of the
// base and a whole number of seconds is not exact in floating point, and a timer due at 10 s
// must not wait for 10.001 s.
constexpr double k_rounding_slack_ms = 1e-3;

// A real-time wait is taken in slices no longer than this, as the platform's own waiter does.
constexpr double k_longest_slice = 3600.0;

double real_time() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

int64_t clamp_to_ms(double ms) {
    constexpr double k_limit = 9.0e15; // far beyond any date, and exact in a double
    return static_cast<int64_t>(std::clamp(ms, -k_limit, k_limit));
}

} // namespace

// The display as the platform's clock and waiter.
class DisplayScope::Link final : public PlatformClock, public ClockWaiter {
  public:
    Link(Display& display, DisplayPresenter* presenter, InputSink* sink)
        : m_display(display), m_presenter(presenter), m_sink(sink), m_base(real_time()),
          m_thread(std::this_thread::get_id()) {}

    Display& display() const { return m_display; }

    double now() const override;
    WaitEnd wait_until(double deadline, WakeSignal& wake) override;
    std::optional<int64_t> deadline_for(double platform_time);
    void show_model();
    void hand_on(const Input& input);

    Link* previous = nullptr;
    PlatformClock* previous_clock = nullptr;
    ClockWaiter* previous_waiter = nullptr;

  private:
    struct Pending {
        double time;
        int64_t ms;
    };

    double time_of(int64_t ms) const { return m_base + static_cast<double>(ms) / 1000.0; }
    // Other threads never touch the display: they wait in real time for a wake or for the
    // display's clock to pass the deadline, and are nudged whenever the main thread's wait on the
    // display ends, since a virtual clock moves only there.
    WaitEnd wait_off_thread(double deadline, WakeSignal& wake);
    void nudge_off_thread_waits();

    Display& m_display;
    DisplayPresenter* const m_presenter;
    InputSink* const m_sink;
    const double m_base;
    const std::thread::id m_thread;
    mutable std::mutex m_mutex;
    mutable double m_floor = 0;               // platform_now() never reads less
    mutable std::optional<Pending> m_pending; // the last deadline handed to the display
    std::vector<WakeSignal*> m_off_thread_waits;
};

namespace {

std::atomic<DisplayScope::Link*> g_link{nullptr};
// Held while a scope is installed or ended, and while another thread interrupts the display.
std::mutex g_slot_mutex;

} // namespace

double DisplayScope::Link::now() const {
    int64_t ms = m_display.now_ms();
    std::lock_guard lock(m_mutex);
    if (m_pending && ms >= m_pending->ms) {
        m_floor = std::max(m_floor, m_pending->time);
        m_pending.reset();
    }
    return std::max(m_floor, time_of(ms));
}

std::optional<int64_t> DisplayScope::Link::deadline_for(double platform_time) {
    if (!std::isfinite(platform_time)) return std::nullopt;
    double ms = std::ceil((platform_time - m_base) * 1000.0 - k_rounding_slack_ms);
    int64_t deadline = clamp_to_ms(ms);
    std::lock_guard lock(m_mutex);
    m_pending = Pending{platform_time, deadline};
    return deadline;
}

WaitEnd DisplayScope::Link::wait_until(double deadline, WakeSignal& wake) {
    if (std::this_thread::get_id() != m_thread) return wait_off_thread(deadline, wake);
    for (;;) {
        if (wake.consume()) return WaitEnd::woken;
        if (now() >= deadline) return WaitEnd::deadline;
        show_model();
        Input input = m_display.wait_for_input(deadline_for(deadline));
        nudge_off_thread_waits();
        if (std::holds_alternative<EndOfInput>(input))
            return wake.consume() ? WaitEnd::woken : WaitEnd::stalled;
        if (std::holds_alternative<Timeout>(input)) continue;
        hand_on(input);
    }
}

void DisplayScope::Link::hand_on(const Input& input) {
    if (m_sink) {
        m_sink->take(m_display, input);
    } else {
        m_display.reject_input(input, "the application is not running");
    }
}

WaitEnd DisplayScope::Link::wait_off_thread(double deadline, WakeSignal& wake) {
    {
        std::lock_guard lock(m_mutex);
        m_off_thread_waits.push_back(&wake);
    }
    WaitEnd end = WaitEnd::deadline;
    for (;;) {
        if (wake.consume()) {
            end = WaitEnd::woken;
            break;
        }
        const double remaining = deadline - now();
        if (remaining <= 0) break;
        wake.wait_for(std::min(remaining, k_longest_slice));
    }
    std::lock_guard lock(m_mutex);
    std::erase(m_off_thread_waits, &wake);
    return end;
}

void DisplayScope::Link::nudge_off_thread_waits() {
    std::lock_guard lock(m_mutex);
    for (WakeSignal* wake : m_off_thread_waits)
        wake->nudge();
}

void DisplayScope::Link::show_model() {
    if (m_presenter) m_presenter->show_on(m_display);
}

DisplayScope::DisplayScope(Display& display, DisplayPresenter* presenter, InputSink* sink)
    : m_link(std::make_unique<Link>(display, presenter, sink)) {
    std::lock_guard lock(g_slot_mutex);
    m_link->previous = g_link.exchange(m_link.get());
    m_link->previous_clock = set_platform_clock(m_link.get());
    m_link->previous_waiter = set_clock_waiter(m_link.get());
}

DisplayScope::~DisplayScope() {
    std::lock_guard lock(g_slot_mutex);
    set_clock_waiter(m_link->previous_waiter);
    set_platform_clock(m_link->previous_clock);
    g_link.store(m_link->previous);
}

Display* current_display() {
    DisplayScope::Link* link = g_link.load();
    return link ? &link->display() : nullptr;
}

void interrupt_display_wait() {
    std::lock_guard lock(g_slot_mutex);
    if (DisplayScope::Link* link = g_link.load()) link->display().interrupt_wait();
}

void hand_input_to_model(const Input& input) {
    if (DisplayScope::Link* link = g_link.load()) link->hand_on(input);
}

void show_model_on_display() {
    if (DisplayScope::Link* link = g_link.load()) link->show_model();
}

std::optional<int64_t> display_deadline(double platform_time) {
    DisplayScope::Link* link = g_link.load();
    return link ? link->deadline_for(platform_time) : std::nullopt;
}

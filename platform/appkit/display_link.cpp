#include "platform/appkit/display_link.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_status_item.h"
#include "platform/appkit/ns_view.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/clock_wait.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

// Platform times handed to the display are rounded up to whole milliseconds, but a time that
// lies within this much (in ms) past a millisecond is taken as that millisecond: the sum of the
// base and a whole number of seconds is not exact in floating point, and a timer due at 10 s
// must not wait for 10.001 s.
constexpr double k_rounding_slack_ms = 1e-3;

constexpr double k_off_thread_slice = 0.01;

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

// The display as the platform's clock and waiter, and what it was last shown.
class DisplayScope::Link final : public PlatformClock, public ClockWaiter {
  public:
    explicit Link(Display& display)
        : m_display(display), m_base(real_time()), m_thread(std::this_thread::get_id()) {}

    Display& display() const { return m_display; }

    double now() const override;
    WaitEnd wait_until(double deadline, WakeSignal& wake) override;
    std::optional<int64_t> deadline_for(double platform_time);
    void show_model();

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
    // display's clock to pass the deadline.
    WaitEnd wait_off_thread(double deadline, WakeSignal& wake) const;
    void draw_visible_windows(const std::vector<ObjcRef<NSWindow>>& windows) const;

    Display& m_display;
    const double m_base;
    const std::thread::id m_thread;
    mutable std::mutex m_mutex;
    mutable double m_floor = 0;               // platform_now() never reads less
    mutable std::optional<Pending> m_pending; // the last deadline handed to the display
    std::set<int64_t> m_shown;                // windows the display shows as open
};

namespace {

std::atomic<DisplayScope::Link*> g_link{nullptr};

std::vector<ObjcRef<NSWindow>> application_windows() {
    std::vector<ObjcRef<NSWindow>> windows;
    if (!NSApp) return windows;
    for (NSWindow* window : NSApp->window_list())
        windows.push_back(ObjcRef<NSWindow>::retain(window));
    return windows;
}

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
        if (input.kind == InputKind::end) return wake.consume() ? WaitEnd::woken : WaitEnd::stalled;
        if (input.kind == InputKind::timeout) continue;
        if (NSApp) {
            NSApp->handle_display_input(input);
        } else {
            m_display.reject_input(input, "the application is not running");
        }
    }
}

WaitEnd DisplayScope::Link::wait_off_thread(double deadline, WakeSignal& wake) const {
    for (;;) {
        if (wake.consume()) return WaitEnd::woken;
        if (now() >= deadline) return WaitEnd::deadline;
        wake.wait_for(k_off_thread_slice);
    }
}

void DisplayScope::Link::draw_visible_windows(const std::vector<ObjcRef<NSWindow>>& windows) const {
    for (const auto& window : windows) {
        if (!window->isVisible()) continue;
        if (NSView* content = window->contentView()) content->display_if_needed();
    }
}

void DisplayScope::Link::show_model() {
    show_status_item_on(m_display);
    std::vector<ObjcRef<NSWindow>> windows = application_windows();
    draw_visible_windows(windows);
    double main_height = m_display.screens().front().height;
    std::set<int64_t> listed;
    std::set<int64_t> shown;
    for (const auto& window : windows) {
        WindowSnapshot snapshot = window->display_snapshot(main_height);
        listed.insert(snapshot.number);
        if (!snapshot.visible && !m_shown.contains(snapshot.number)) continue;
        m_display.set_window(snapshot);
        shown.insert(snapshot.number);
    }
    for (int64_t number : m_shown) {
        if (!listed.contains(number)) m_display.window_closed(static_cast<int>(number));
    }
    m_shown = std::move(shown);
}

DisplayScope::DisplayScope(Display& display) : m_link(std::make_unique<Link>(display)) {
    m_link->previous = g_link.exchange(m_link.get());
    m_link->previous_clock = set_platform_clock(m_link.get());
    m_link->previous_waiter = set_clock_waiter(m_link.get());
}

DisplayScope::~DisplayScope() {
    set_clock_waiter(m_link->previous_waiter);
    set_platform_clock(m_link->previous_clock);
    g_link.store(m_link->previous);
}

Display* current_display() {
    DisplayScope::Link* link = g_link.load();
    return link ? &link->display() : nullptr;
}

void show_model_on_display() {
    if (DisplayScope::Link* link = g_link.load()) link->show_model();
}

std::optional<int64_t> display_deadline(double platform_time) {
    DisplayScope::Link* link = g_link.load();
    return link ? link->deadline_for(platform_time) : std::nullopt;
}

#pragma once
// The link between the model and the display it shows itself on. While a DisplayScope is
// installed the display is the platform's clock and clock waiter: platform_now() follows the
// display's clock, and a run loop that waits shows the model on the display and then waits for
// the display's input, which it hands to the application (NSApplication::handle_display_input).
// So timers, dates and nextEventMatchingMask:... all run on the display's time, which for the
// driver display is virtual.

#include "platform/display/display.h"

#include <cstdint>
#include <memory>
#include <optional>

// The display the model shows itself on; null when none is installed (then the model keeps its
// state, shows nothing, and waits through the platform clock as before).
Display* current_display();

// Installs `display` (borrowed; it must outlive the scope) for the life of the scope. The
// platform clock reads the display's milliseconds / 1000 plus the real time at installation. A
// wait that reaches the end of the display's input ends as WaitEnd::stalled. Scopes nest; the
// previous display, clock and waiter come back when the scope ends.
class DisplayScope {
  public:
    explicit DisplayScope(Display& display);
    ~DisplayScope();
    DisplayScope(const DisplayScope&) = delete;
    DisplayScope& operator=(const DisplayScope&) = delete;

    class Link;

  private:
    std::unique_ptr<Link> m_link;
};

// Tells the display the visible state of every window: windows that are visible or were visible
// before get set_window(snapshot), windows closed since the last call get window_closed(number).
// Visible windows' views that need display draw first. Does nothing without a display.
void show_model_on_display();

// The display's time (milliseconds) at which platform_now() reaches `platform_time`, rounded up
// so that a wait until it does not end early; null for an infinite time or without a display.
// Once the display's clock reaches the returned time, platform_now() reads at least
// `platform_time`, so a timer due then is due, whatever the rounding.
std::optional<int64_t> display_deadline(double platform_time);

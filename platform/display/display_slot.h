#pragma once
// The slot that holds the display the model shows itself on. While a DisplayScope is installed
// the display is the platform's clock and clock waiter: platform_now() follows the display's
// clock, and a wait on the main thread has the presenter show the model on the display, waits for
// the display's input and hands it to the input sink. So timers, dates and
// nextEventMatchingMask:... all run on the display's time, which for the driver display is
// virtual.

#include "platform/display/display.h"

#include <cstdint>
#include <memory>
#include <optional>

// Shows the model's visible state on a display; asked before every wait for input.
class DisplayPresenter {
  public:
    virtual ~DisplayPresenter() = default;
    virtual void show_on(Display& display) = 0;
};

// Takes each input the display gives, other than timeouts and the end of input.
class InputSink {
  public:
    virtual ~InputSink() = default;
    virtual void take(Display& display, const Input& input) = 0;
};

// The display the model shows itself on; null when none is installed (then the model keeps its
// state, shows nothing, and waits through the platform clock as before).
Display* current_display();

// Installs `display` for the life of the scope. The platform clock reads the display's
// milliseconds / 1000 plus the real time at installation. A wait that reaches the end of the
// display's input ends as WaitEnd::stalled. Scopes nest; the previous display, clock and waiter
// come back when the scope ends. Everything is borrowed and must outlive the scope; a null
// presenter shows nothing, a null sink refuses all input.
class DisplayScope {
  public:
    explicit DisplayScope(Display& display, DisplayPresenter* presenter = nullptr,
                          InputSink* sink = nullptr);
    ~DisplayScope();
    DisplayScope(const DisplayScope&) = delete;
    DisplayScope& operator=(const DisplayScope&) = delete;

    class Link;

  private:
    std::unique_ptr<Link> m_link;
};

// Has the installed presenter show the model now; does nothing without a display or presenter.
void show_model_on_display();

// The display's time (milliseconds) at which platform_now() reaches `platform_time`, rounded up
// so that a wait until it does not end early; null for an infinite time or without a display.
// Once the display's clock reaches the returned time, platform_now() reads at least
// `platform_time`, so a timer due then is due, whatever the rounding.
std::optional<int64_t> display_deadline(double platform_time);

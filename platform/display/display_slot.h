#pragma once
// The slot that holds the display the model shows itself on. While a DisplayScope is installed
// the display is the platform's clock and clock waiter: platform_now() follows the display's
// clock, and a wait on the main thread has the presenter show the model on the display, waits for
// the display's input and hands it to the input sink. So timers, dates and
// nextEventMatchingMask:... all run on the display's time, which for the driver display is
// virtual.
//
// Threads. The model, AppKit and the display belong to the main thread: it makes the display,
// installs and ends its scope, and makes every call of a Display, a DisplayPresenter and an
// InputSink, and of everything in this file but interrupt_display_wait(). The other threads are
// the system bus's (platform/system/system_bus.h), GDBus's worker under the desktop display, and
// whichever thread reports a problem (problem_report.h) or runs a run loop of its own. They may
// only:
//   - read the clock: platform_now() reads Display::now_ms() from any thread, so every display's
//     now_ms() is thread-safe (the driver's virtual clock is atomic);
//   - wait on the clock, in a run loop of their own: such a wait never touches the display; it
//     waits in real time for its deadline or its wake, and is nudged to look again each time a
//     wait of the main thread on the display ends, which is where a virtual clock moves;
//   - hand work to the main thread: perform_on_main_thread (main_thread_tasks.h) queues a task,
//     wakes the main run loop and cuts the display's wait short through interrupt_display_wait();
//     the main thread runs the task at its next wait for events or pass of a modal loop. Sleep
//     and wake from the system bus travel so and are handed to hand_input_to_model(), where the
//     display's own input goes too;
//   - report a problem: the handler a display installs holds what it uses (the desktop display's
//     session bus) for as long as it may run.
// A scope outlives the threads that read or wait on its clock: they are started after it is
// installed and stopped before it ends (ModelOnDisplay owns the system bus so). An interrupt may
// come from any thread at any time: it takes the slot's lock, and never reaches a display whose
// scope has ended.

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

// Thread-safe: cuts the installed display's wait for input short (Display::interrupt_wait), so
// that the main thread looks at what another thread handed it; nothing without a display.
void interrupt_display_wait();

// Hands `input` to the installed input sink, as a wait hands on what the display gives: the one
// way in for input, whether the display gave it or another thread sent it to the main thread.
// Without a display it is dropped.
void hand_input_to_model(const Input& input);

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

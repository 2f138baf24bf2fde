#pragma once
// The seam between the AppKit model and what a person sees. The model keeps all state and tells
// a display about every visible change as plain snapshots (display_snapshots.h), so a display
// never touches model objects; input comes back from wait_for_input() as display-neutral values
// (display_input.h). A display owns the clock that all waiting goes through: real time, or a
// driver's virtual time.

#include "platform/display/display_input.h"
#include "platform/display/display_snapshots.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Display {
  public:
    virtual ~Display() = default;

    // The display's clock in milliseconds; every deadline is on this clock.
    virtual int64_t now_ms() const = 0;

    // Null: there is no status item.
    virtual void set_status(const std::optional<StatusSnapshot>& status) = 0;
    // Whether the display draws the status item's own picture, and so wants its pixels in the
    // snapshots; the others are spared reading them out whenever the picture changes.
    virtual bool shows_status_pixels() const { return false; }
    // Null: the status item has no menu.
    virtual void set_status_menu(const std::optional<std::vector<MenuItemSnapshot>>& items) = 0;
    // Adds or replaces the window of that number.
    virtual void set_window(const WindowSnapshot& window) = 0;
    virtual void window_closed(int number) = 0;

    // Shows `alert` and waits until one of its buttons is pressed. `modal_pass` runs before every
    // wait: it fires what is due in the modal mode and returns the next deadline (null: none).
    // Returns the button (1-based), or 0 when input ends with the alert still on screen.
    class ModalPass {
      public:
        virtual ~ModalPass() = default;
        virtual std::optional<int64_t> run_due() = 0;
    };
    virtual int run_alert(const AlertSnapshot& alert, ModalPass& modal_pass) = 0;

    virtual void play_sound(int id) = 0;
    // Shows `notification` in place of the one shown before, without waiting for the person.
    virtual void show_notification(const NotificationSnapshot& notification) = 0;
    // Whether the desktop's own power manager warns at low and critical charge.
    virtual bool desktop_warns_about_battery() const { return false; }
    // Returns false when the URL could not be handed on.
    virtual bool open_url(const std::string& url) = 0;
    virtual void will_exit(int status) = 0;
    // The status the process is to end with in place of `status`: a failure once what the
    // display had to show could not be written (output_failure.h).
    virtual int exit_status(int status) const { return status; }

    // The first screen holds the menu bar and has its corner at 0,0; never empty.
    virtual std::vector<ScreenRect> screens() const = 0;
    virtual ScreenPoint pointer() const = 0;

    // Shows what changed, then waits until input arrives or the clock reaches `deadline_ms`
    // (null: no deadline). A deadline not after now_ms() returns a timeout at once.
    virtual Input wait_for_input(std::optional<int64_t> deadline_ms) = 0;
    // Thread-safe: the wait_for_input in progress, or else the next one, returns a timeout soon,
    // so that the model looks at what another thread handed it. A display with a virtual clock
    // never waits for other threads and ignores it.
    virtual void interrupt_wait() {}
    // Tells the person that `input`, the last one this display gave, could not be carried out;
    // it changed nothing.
    virtual void reject_input(const Input& input, const std::string& message) = 0;
};

#pragma once
// The display without a screen: commands come one per line from an input stream, what a person
// would see goes as JSON lines to an output stream, and time is virtual. It refuses what a person
// could not do (choose a disabled item, click in a closed window, act past a modal alert) with
// an error line, and the model never hears of it.

#include "platform/display/display.h"
#include "platform/display/driver/driver_clock.h"
#include "platform/display/driver/driver_commands.h"
#include "platform/display/driver/driver_output.h"

#include <istream>
#include <ostream>

class DriverDisplay final : public Display {
  public:
    // Both streams are borrowed and must outlive the display.
    DriverDisplay(std::istream& in, std::ostream& out);

    const DriverClock& clock() const { return m_clock; }

    int64_t now_ms() const override { return m_clock.now_ms(); }
    void set_status(const std::optional<StatusSnapshot>& status) override {
        m_output.set_status(status);
    }
    void set_status_menu(const std::optional<std::vector<MenuItemSnapshot>>& items) override {
        m_output.set_status_menu(items);
    }
    void set_window(const WindowSnapshot& window) override { m_output.set_window(window); }
    void window_closed(int number) override { m_output.window_closed(number); }
    int run_alert(const AlertSnapshot& alert, ModalPass& modal_pass) override;
    void play_sound(int id) override;
    void show_notification(const NotificationSnapshot& notification) override;
    bool open_url(const std::string& url) override;
    void will_exit(int status) override;
    int exit_status(int status) const override { return m_output.failure().exit_status(status); }
    std::vector<ScreenRect> screens() const override { return m_screens; }
    ScreenPoint pointer() const override { return m_pointer; }
    Input wait_for_input(std::optional<int64_t> deadline_ms) override;
    void reject_input(const Input& input, const std::string& message) override;

  private:
    // Moves the clock along an unfinished `advance`, stopping at `deadline_ms`; true when the
    // deadline was reached.
    bool continue_advance(std::optional<int64_t> deadline_ms);
    // Reads lines until one gives input for the model; null after a command the display carried
    // out itself (advance, dump, history, mouse) so that the caller checks the clock again.
    std::optional<Input> read_input();
    std::optional<Input> run_command(const DriverCommand& command);
    std::optional<Input> choose_menu_item(int number);
    std::optional<Input> press_key(const DriverCommand& command);
    // The visible window that holds control `number`; nullopt, with the error set, for none.
    std::optional<int> window_holding(int number);
    std::optional<Input> click_control(int number);
    std::optional<Input> choose_control_item(int number, int item);
    std::optional<Input> close_window(int number);
    std::optional<Input> answer_alert(int button);
    void fail(const std::string& line, const std::string& message);

    std::istream& m_in;
    DriverClock m_clock;
    DriverOutput m_output;
    std::vector<ScreenRect> m_screens{ScreenRect{0, 0, 1440, 900}};
    ScreenPoint m_pointer;
    // Virtual time never passes the distant future, which a run loop running for ever waits for.
    const int64_t m_latest_ms;
    std::optional<int64_t> m_advance_target;
    std::string m_error;      // why the command being run was refused
    std::string m_input_line; // the command line of the last input given, for its refusal
    bool m_ended = false;
};

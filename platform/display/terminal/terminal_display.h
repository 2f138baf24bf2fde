#pragma once
// The display for a person at a terminal: the status item as one line that updates in place, the
// status menu, the visible windows' controls and alerts below it, all driven by keys. Time is
// real. Waiting blocks on the input until a key or the deadline, and nothing is written
// unless what is shown changed.

#include "platform/display/display.h"
#include "platform/display/output_failure.h"
#include "platform/display/terminal/input_watch.h"
#include "platform/display/terminal/terminal_keys.h"
#include "platform/display/terminal/terminal_mode.h"
#include "platform/display/terminal/terminal_screen.h"
#include "platform/display/terminal/terminal_state.h"
#include "platform/display/terminal/terminal_view.h"

#include <deque>
#include <optional>
#include <string_view>

class TerminalDisplay final : public Display {
  public:
    // Neither descriptor is owned. Key-at-a-time mode is used when `in_fd` is a terminal; other
    // input (a pipe) is read as it comes. Colours are used when `out_fd` is a terminal.
    TerminalDisplay(int in_fd, int out_fd);
    ~TerminalDisplay() override;

    int64_t now_ms() const override;
    void set_status(const std::optional<StatusSnapshot>& status) override;
    void set_status_menu(const std::optional<std::vector<MenuItemSnapshot>>& items) override;
    void set_window(const WindowSnapshot& window) override;
    void window_closed(int number) override;
    int run_alert(const AlertSnapshot& alert, ModalPass& modal_pass) override;
    void play_sound(int id) override;
    void show_notification(const NotificationSnapshot& notification) override;
    bool open_url(const std::string& url) override;
    void will_exit(int status) override;
    int exit_status(int status) const override { return m_failure.exit_status(status); }
    std::vector<ScreenRect> screens() const override { return {ScreenRect{0, 0, 1440, 900}}; }
    ScreenPoint pointer() const override { return {}; }
    Input wait_for_input(std::optional<int64_t> deadline_ms) override;
    void reject_input(const Input& input, const std::string& message) override;
    void interrupt_wait() override;

  private:
    enum class ReadEnd : uint8_t { keys, timeout, end };

    void redraw();
    void print(const std::vector<std::string>& lines);
    void write_out(std::string_view bytes);
    // Runs the next key read; input for the model when it gives some.
    std::optional<Input> take_input();
    ReadEnd read_keys(std::optional<int64_t> deadline_ms);
    void take_terminal_changes();
    size_t columns();
    size_t rows() const; // 0 when the output tells none
    void finish();

    int m_in;
    int m_out;
    int64_t m_start_ns;
    TerminalMode m_mode;
    ViewOptions m_options;
    TerminalState m_state;
    // The lines last drawn, each cut to m_fitted_columns: the status line, then those under it.
    // A redraw makes again only the part whose state changed since: the status line at every
    // refresh of a changing battery, the menu, windows and hint only when they change.
    std::vector<std::string> m_lines;
    size_t m_fitted_columns = 0;
    bool m_status_changed = true;
    bool m_below_changed = true;
    LiveRegion m_region;
    std::optional<size_t> m_columns; // the output's width, until the next resize
    std::deque<Key> m_keys;
    OutputFailure m_failure;
    bool m_ended = false;
    bool m_finished = false;
    int m_interrupt_fd = -1; // an eventfd that interrupt_wait() raises
    InputWatch m_watch;
};

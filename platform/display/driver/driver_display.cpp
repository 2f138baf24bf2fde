#include "platform/display/driver/driver_display.h"

#include "platform/display/history_source.h"
#include "platform/foundation/clock.h"

#include <chrono>
#include <string>
#include <utility>

namespace {

const MenuItemSnapshot* find_menu_item(const std::vector<MenuItemSnapshot>& items, int number) {
    for (const auto& item : items) {
        if (!item.separator && item.number == number) return &item;
    }
    return nullptr;
}

// Virtual time starts now, in real time; a day is kept in hand for a clock installed later.
int64_t ms_until_distant_future() {
    using namespace std::chrono;
    const double now = duration<double>(system_clock::now().time_since_epoch()).count();
    constexpr double k_day = 86400;
    return static_cast<int64_t>((k_distant_future_time - now - k_day) * 1000);
}

} // namespace

DriverDisplay::DriverDisplay(std::istream& in, std::ostream& out)
    : m_in(in), m_output(out, m_clock), m_latest_ms(ms_until_distant_future()) {}

int DriverDisplay::run_alert(const AlertSnapshot& alert, ModalPass& modal_pass) {
    m_output.set_alert(alert);
    m_output.write_changes();
    for (;;) {
        auto deadline = modal_pass.run_due();
        Input input = wait_for_input(deadline);
        if (std::holds_alternative<EndOfInput>(input)) return 0;
        const auto* answer = std::get_if<AlertAnswer>(&input);
        if (!answer) continue;
        m_output.set_alert(std::nullopt);
        return answer->button;
    }
}

void DriverDisplay::play_sound(int id) {
    m_output.write_line(sound_line(now_ms(), id));
}

void DriverDisplay::show_notification(const NotificationSnapshot& notification) {
    m_output.write_line(notification_line(now_ms(), notification));
}

bool DriverDisplay::open_url(const std::string& url) {
    m_output.write_line(open_line(now_ms(), url));
    return true;
}

void DriverDisplay::will_exit(int status) {
    m_output.write_line(exit_line(now_ms(), status));
}

Input DriverDisplay::wait_for_input(std::optional<int64_t> deadline_ms) {
    m_output.write_changes();
    for (;;) {
        if (deadline_ms && *deadline_ms <= now_ms()) return Timeout{};
        if (continue_advance(deadline_ms)) return Timeout{};
        if (m_ended || m_output.failure().happened()) return EndOfInput{};
        if (auto input = read_input()) return *input;
    }
}

void DriverDisplay::reject_input(const Input&, const std::string& message) {
    fail(m_input_line, message);
}

bool DriverDisplay::continue_advance(std::optional<int64_t> deadline_ms) {
    if (!m_advance_target) return false;
    if (deadline_ms && *deadline_ms <= *m_advance_target) {
        m_clock.advance_to(*deadline_ms);
        if (*deadline_ms == *m_advance_target) m_advance_target.reset();
        return true;
    }
    m_clock.advance_to(*m_advance_target);
    m_advance_target.reset();
    return false;
}

std::optional<Input> DriverDisplay::read_input() {
    std::string line;
    while (!m_advance_target && !m_output.failure().happened()) {
        if (!std::getline(m_in, line)) {
            m_ended = true;
            m_output.write_line(end_line(now_ms()));
            return EndOfInput{};
        }
        ParsedLine parsed = parse_driver_command(line);
        if (parsed.outcome == ParsedLine::Outcome::ignored) continue;
        if (parsed.outcome == ParsedLine::Outcome::error) {
            fail(line, parsed.message);
            continue;
        }
        auto input = run_command(parsed.command);
        if (!m_error.empty()) fail(line, std::exchange(m_error, {}));
        if (input) {
            m_input_line = line;
            return input;
        }
    }
    return std::nullopt;
}

std::optional<Input> DriverDisplay::run_command(const DriverCommand& command) {
    if (m_output.alert() && !accepted_during_alert(command.kind)) {
        m_error = "an alert is on screen";
        return std::nullopt;
    }
    switch (command.kind) {
    case CommandKind::advance:
        if (command.milliseconds > m_latest_ms - now_ms()) {
            m_error = "virtual time cannot pass the distant future (the year 4001)";
            return std::nullopt;
        }
        m_advance_target = now_ms() + command.milliseconds;
        return std::nullopt;
    case CommandKind::dump:
        m_output.write_all();
        return std::nullopt;
    case CommandKind::history:
        m_output.write_line(history_line(now_ms(), current_history().get()));
        return std::nullopt;
    case CommandKind::mouse:
        m_pointer = command.point;
        return std::nullopt;
    case CommandKind::answer:
        return answer_alert(command.number);
    case CommandKind::menu:
        return choose_menu_item(command.number);
    case CommandKind::key:
        return press_key(command);
    case CommandKind::click:
        return click_control(command.number);
    case CommandKind::choose:
        return choose_control_item(command.number, command.item);
    case CommandKind::close:
        return close_window(command.number);
    case CommandKind::sleep:
        return SystemSleep{};
    case CommandKind::wake:
        return SystemWake{};
    case CommandKind::terminate:
        return TerminateRequest{};
    case CommandKind::screens:
        m_screens = command.screens;
        return ScreensChanged{};
    case CommandKind::battery_set:
    case CommandKind::battery_unset:
    case CommandKind::power_set:
    case CommandKind::power_unset:
    case CommandKind::battery_remove:
        return BatteryEdit{command.property};
    }
    return std::nullopt;
}

std::optional<Input> DriverDisplay::choose_menu_item(int number) {
    const auto& menu = m_output.status_menu();
    const MenuItemSnapshot* item = menu ? find_menu_item(*menu, number) : nullptr;
    if (!item) {
        m_error = "no menu item " + std::to_string(number);
        return std::nullopt;
    }
    if (!item->enabled) {
        m_error = "menu item " + std::to_string(number) + " is disabled";
        return std::nullopt;
    }
    return MenuChoice{number};
}

// A key press goes to the application, which may handle it in a window that is not on screen
// (its own shortcuts); whether the window exists is the model's to say.
std::optional<Input> DriverDisplay::press_key(const DriverCommand& command) {
    return KeyInput{command.window, command.key};
}

// Gadget numbers are unique across windows, so the first visible window that has it wins.
std::optional<int> DriverDisplay::window_holding(int number) {
    for (int window_number : m_output.window_numbers()) {
        const WindowSnapshot* window = m_output.window(window_number);
        if (!window || !window->visible) continue;
        for (const auto& control : window->controls) {
            if (control.number == number) return window_number;
        }
    }
    m_error = "no control " + std::to_string(number) + " in a visible window";
    return std::nullopt;
}

std::optional<Input> DriverDisplay::click_control(int number) {
    std::optional<int> window = window_holding(number);
    if (!window) return std::nullopt;
    return ControlClick{*window, number};
}

// Whether the control is a choice with that item is the model's to say, as for a click.
std::optional<Input> DriverDisplay::choose_control_item(int number, int item) {
    std::optional<int> window = window_holding(number);
    if (!window) return std::nullopt;
    return ControlChoice{*window, number, item};
}

std::optional<Input> DriverDisplay::close_window(int number) {
    const WindowSnapshot* window = m_output.window(number);
    if (!window || !window->visible) {
        m_error = "no visible window " + std::to_string(number);
        return std::nullopt;
    }
    if (!window->closable) {
        m_error = "window " + std::to_string(number) + " has no close button";
        return std::nullopt;
    }
    return CloseRequest{number};
}

std::optional<Input> DriverDisplay::answer_alert(int button) {
    const auto& alert = m_output.alert();
    if (!alert) {
        m_error = "no alert is on screen";
        return std::nullopt;
    }
    if (button > static_cast<int>(alert->buttons.size())) {
        m_error = "the alert has no button " + std::to_string(button);
        return std::nullopt;
    }
    return AlertAnswer{button};
}

void DriverDisplay::fail(const std::string& line, const std::string& message) {
    m_output.write_line(error_line(now_ms(), line, message));
}

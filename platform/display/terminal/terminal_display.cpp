#include "platform/display/terminal/terminal_display.h"

#include "platform/display/desktop_url_opener.h"
#include "platform/display/terminal/terminal_input.h"
#include "platform/display/terminal/terminal_text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <ctime>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr size_t k_default_columns = 80;
constexpr char k_bell = '\a';

int64_t monotonic_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Milliseconds a wait may last before `deadline_ms`; -1 for no deadline.
int poll_timeout(std::optional<int64_t> deadline_ms, int64_t now) {
    if (!deadline_ms) return -1;
    return static_cast<int>(std::clamp<int64_t>(*deadline_ms - now, 0, INT_MAX));
}

} // namespace

TerminalDisplay::TerminalDisplay(int in_fd, int out_fd)
    : m_in(in_fd), m_out(out_fd), m_start_ns(monotonic_ns()), m_mode(in_fd, out_fd) {
    m_options.colour = isatty(out_fd) != 0;
    m_interrupt_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); // -1: the wait skips it
}

TerminalDisplay::~TerminalDisplay() {
    finish();
    if (m_interrupt_fd >= 0) ::close(m_interrupt_fd);
}

void TerminalDisplay::interrupt_wait() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(m_interrupt_fd, &one, sizeof one); // full: pending
}

// Whole milliseconds since the display was made, on a clock that never jumps.
int64_t TerminalDisplay::now_ms() const {
    return (monotonic_ns() - m_start_ns) / 1'000'000;
}

void TerminalDisplay::set_status(const std::optional<StatusSnapshot>& status) {
    if (m_state.status == status) return;
    m_state.status = status;
    m_status_changed = true;
}

void TerminalDisplay::set_status_menu(const std::optional<std::vector<MenuItemSnapshot>>& items) {
    if (m_state.menu == items) return;
    m_state.menu = items;
    if (!items) m_state.menu_open = false;
    m_below_changed = true;
}

void TerminalDisplay::set_window(const WindowSnapshot& window) {
    m_state.set_window(window);
    m_below_changed = true;
}

void TerminalDisplay::window_closed(int number) {
    m_state.close_window(number);
    m_below_changed = true;
}

int TerminalDisplay::run_alert(const AlertSnapshot& alert, ModalPass& modal_pass) {
    m_state.menu_open = false;
    m_state.typed.clear();
    m_state.alert = alert;
    m_below_changed = true;
    // The lines below shrink to the alert's first (an open menu's would be drawn again under the
    // text), so that the text and they take the rows the charts were fitted to.
    redraw();
    m_options.columns = columns() - 1; // as redraw() leaves the last column free
    m_options.rows = rows();
    print(alert_text_lines(alert, m_options));
    for (;;) {
        auto deadline = modal_pass.run_due();
        Input input = wait_for_input(deadline);
        const auto* answer = std::get_if<AlertAnswer>(&input);
        if (!answer && !std::holds_alternative<EndOfInput>(input)) continue;
        m_state.alert.reset();
        m_state.typed.clear();
        m_below_changed = true;
        return answer ? answer->button : 0;
    }
}

void TerminalDisplay::play_sound(int) {
    write_out(std::string_view(&k_bell, 1));
}

void TerminalDisplay::show_notification(const NotificationSnapshot& notification) {
    write_out(std::string_view(&k_bell, 1));
    std::string line = printable(notification.title + ": " + notification.text);
    print({styled(line, notification.urgent ? TextStyle::warning : TextStyle::dim,
                  m_options.colour)});
}

bool TerminalDisplay::open_url(const std::string& url) {
    bool opened = open_url_on_desktop(url);
    std::string line = (opened ? "Opening " : "Could not open ") + printable(url);
    print({styled(line, opened ? TextStyle::dim : TextStyle::warning, m_options.colour)});
    return opened;
}

void TerminalDisplay::will_exit(int) {
    finish();
}

Input TerminalDisplay::wait_for_input(std::optional<int64_t> deadline_ms) {
    for (;;) {
        if (auto input = take_input()) return *input;
        // What the model changed, or the key just taken (an opened menu, a typed digit), shows
        // before the next key is taken or the wait begins.
        redraw();
        if (!m_keys.empty()) continue;
        if (m_ended || m_failure.happened()) return EndOfInput{};
        if (deadline_ms && *deadline_ms <= now_ms()) return Timeout{};
        ReadEnd end = read_keys(deadline_ms);
        if (end == ReadEnd::timeout) return Timeout{};
        if (end == ReadEnd::end) m_ended = true;
    }
}

void TerminalDisplay::reject_input(const Input&, const std::string& message) {
    m_state.note = message;
    m_below_changed = true;
    write_out(std::string_view(&k_bell, 1));
}

void TerminalDisplay::redraw() {
    if (m_finished) return;
    const size_t width = columns() - 1;
    if (width != m_fitted_columns) {
        m_fitted_columns = width;
        m_status_changed = m_below_changed = true;
    }
    if (!m_status_changed && !m_below_changed) return;
    if (m_lines.empty()) m_lines.emplace_back();
    if (m_status_changed) {
        write_status_line(m_lines.front(), m_state.status, m_options);
        fit_in_place(m_lines.front(), width);
    }
    if (m_below_changed) {
        m_lines.resize(1);
        for (std::string& line : render_below_status(m_state, m_options)) {
            fit_in_place(line, width);
            m_lines.push_back(std::move(line));
        }
    }
    m_status_changed = m_below_changed = false;
    write_out(m_region.redraw(m_lines));
}

void TerminalDisplay::print(const std::vector<std::string>& lines) {
    if (m_finished) return;
    write_out(m_region.print_above(lines));
}

void TerminalDisplay::write_out(std::string_view bytes) {
    while (!bytes.empty() && !m_failure.happened()) {
        ssize_t written = ::write(m_out, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return m_failure.note(written < 0 ? errno : 0);
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

std::optional<Input> TerminalDisplay::take_input() {
    if (m_keys.empty()) return std::nullopt;
    Key key = m_keys.front();
    m_keys.pop_front();
    if (key.kind == KeyKind::end_of_input) {
        m_keys.clear();
        m_ended = true;
        return std::nullopt;
    }
    KeyOutcome outcome = handle_key(m_state, key);
    m_below_changed = true;
    if (outcome.refused) write_out(std::string_view(&k_bell, 1));
    return outcome.input;
}

TerminalDisplay::ReadEnd TerminalDisplay::read_keys(std::optional<int64_t> deadline_ms) {
    constexpr int k_terminal_changes = 1 << 1, k_interrupt = 1 << 2;
    const int ready =
        m_watch.wait({m_in, m_mode.wake_fd(), m_interrupt_fd}, poll_timeout(deadline_ms, now_ms()));
    if (ready < 0) return errno == EINTR ? ReadEnd::keys : ReadEnd::end;
    if (ready == 0) return ReadEnd::timeout;
    if (ready & k_interrupt) {
        uint64_t count = 0;
        [[maybe_unused]] ssize_t ignored = ::read(m_interrupt_fd, &count, sizeof count);
        return ReadEnd::timeout;
    }
    if (ready & k_terminal_changes) {
        take_terminal_changes();
        return ReadEnd::keys;
    }
    std::array<char, 256> buffer{};
    ssize_t count = ::read(m_in, buffer.data(), buffer.size());
    if (count < 0) return errno == EINTR || errno == EAGAIN ? ReadEnd::keys : ReadEnd::end;
    if (count == 0) return ReadEnd::end;
    auto keys = decode_keys(std::string_view(buffer.data(), static_cast<size_t>(count)));
    m_keys.insert(m_keys.end(), keys.begin(), keys.end());
    return ReadEnd::keys;
}

// After a stop the terminal was given back and the shell wrote below the display's lines: the
// lines are drawn afresh where the cursor now is. After a resize the next redraw goes back over
// the rows the old lines take at the new width, and fits the lines to it.
void TerminalDisplay::take_terminal_changes() {
    TerminalChanges changes = m_mode.take_changes();
    if (changes.continued || changes.resized) m_columns.reset();
    // A region drawn afresh, or rewrapped, is drawn in full at the next redraw.
    m_status_changed = m_below_changed = true;
    if (changes.continued) {
        m_mode.resume();
        m_region = LiveRegion{};
    } else if (changes.resized) {
        m_region.rewrap(columns());
    }
}

// While the mode is in charge it hears every resize, so the width is asked again only once one
// has come.
size_t TerminalDisplay::columns() {
    if (m_columns && m_mode.in_charge() && !m_mode.changes_pending()) return *m_columns;
    winsize size{};
    const bool known = ioctl(m_out, TIOCGWINSZ, &size) == 0 && size.ws_col >= 2;
    m_columns = known ? size.ws_col : k_default_columns;
    return *m_columns;
}

size_t TerminalDisplay::rows() const {
    winsize size{};
    return ioctl(m_out, TIOCGWINSZ, &size) == 0 ? size.ws_row : 0;
}

// The last state stays on screen above the restored terminal.
void TerminalDisplay::finish() {
    if (m_finished) return;
    m_finished = true;
    m_mode.restore();
}

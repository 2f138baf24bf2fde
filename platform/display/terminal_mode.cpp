#include "platform/display/terminal_mode.h"

#include <array>
#include <csignal>
#include <cstdlib>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr char k_hide_cursor[] = "\x1b[?25l";
constexpr char k_restore_output[] = "\x1b[0m\x1b[?25h\r\n";
constexpr std::array<int, 4> k_signals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Everything the signal handler and the exit handler need, set before either can run.
struct SavedTerminal {
    volatile sig_atomic_t active = 0;
    int in_fd = -1;
    int out_fd = -1;
    bool has_settings = false;
    termios settings{};
    std::array<struct sigaction, k_signals.size()> previous{};
};

SavedTerminal g_saved;

void write_fully(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, bytes, size);
        if (written < 0) return; // nothing better to do on the way out; EINTR included
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

// Async-signal-safe: tcsetattr and write only.
void put_terminal_back() {
    if (!g_saved.active) return;
    g_saved.active = 0;
    if (g_saved.has_settings) tcsetattr(g_saved.in_fd, TCSANOW, &g_saved.settings);
    write_fully(g_saved.out_fd, k_restore_output, sizeof k_restore_output - 1);
}

// SA_RESETHAND has already put back the default action; the signal, blocked while the handler
// runs, is delivered again as soon as it returns.
void on_signal(int signal_number) {
    put_terminal_back();
    raise(signal_number);
}

void on_exit() {
    put_terminal_back();
}

void install_handlers() {
    struct sigaction action {};
    action.sa_handler = on_signal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < k_signals.size(); ++i)
        sigaction(k_signals[i], &action, &g_saved.previous[i]);
}

void remove_handlers() {
    for (size_t i = 0; i < k_signals.size(); ++i)
        sigaction(k_signals[i], &g_saved.previous[i], nullptr);
}

bool enter_key_mode(int fd) {
    termios settings = g_saved.settings;
    // Signals from the keyboard stay on, so Control-C ends the program through the handler.
    settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

TerminalMode::TerminalMode(int in_fd, int out_fd) {
    if (g_saved.active) return;
    static bool exit_handler_registered = false;
    if (!exit_handler_registered) exit_handler_registered = std::atexit(on_exit) == 0;
    m_in_charge = true;
    g_saved.in_fd = in_fd;
    g_saved.out_fd = out_fd;
    g_saved.has_settings = isatty(in_fd) && tcgetattr(in_fd, &g_saved.settings) == 0;
    install_handlers();
    g_saved.active = 1;
    m_raw = g_saved.has_settings && enter_key_mode(in_fd);
    write_fully(out_fd, k_hide_cursor, sizeof k_hide_cursor - 1);
}

TerminalMode::~TerminalMode() {
    restore();
}

void TerminalMode::restore() {
    if (!m_in_charge) return;
    m_in_charge = false;
    put_terminal_back();
    remove_handlers();
}

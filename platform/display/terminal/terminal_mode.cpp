#include "platform/display/terminal/terminal_mode.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr char k_hide_cursor[] = "\x1b[?25l";
constexpr char k_restore_output[] = "\x1b[0m\x1b[?25h\r\n";
constexpr std::array<int, 4> k_signals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr std::array<int, 2> k_change_signals = {SIGTSTP, SIGWINCH};

constexpr int k_continued = 1;
constexpr int k_resized = 2;

// Everything the signal handler and the exit handler need, set before either can run.
struct SavedTerminal {
    volatile sig_atomic_t active = 0;
    int in_fd = -1;
    int out_fd = -1;
    bool has_settings = false;
    termios settings{};
    std::array<struct sigaction, k_signals.size()> previous{};
    std::array<struct sigaction, k_change_signals.size()> previous_for_changes{};
    int wake_write_fd = -1;
    std::atomic<int> changes{0}; // k_continued and k_resized
};
static_assert(std::atomic<int>::is_always_lock_free, "changes are set from signal handlers");

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
// runs, is delivered again as soon as it returns. Like every handler it leaves errno as it found
// it.
void on_signal(int signal_number) {
    const int saved_errno = errno;
    put_terminal_back();
    raise(signal_number);
    errno = saved_errno;
}

void on_exit() {
    put_terminal_back();
}

// Async-signal-safe: an atomic or and a write that never blocks.
void note_change(int change) {
    g_saved.changes.fetch_or(change);
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(g_saved.wake_write_fd, &byte, 1); // full: awake
}

// Stops the process the way Control-Z would have without this handler, and returns once it
// continues.
void stop_process() {
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    struct sigaction own {};
    sigaction(SIGTSTP, &default_action, &own);
    sigset_t stop_signal;
    sigemptyset(&stop_signal);
    sigaddset(&stop_signal, SIGTSTP);
    pthread_sigmask(SIG_UNBLOCK, &stop_signal, nullptr);
    raise(SIGTSTP);
    sigaction(SIGTSTP, &own, nullptr);
}

void on_stop(int) {
    const int saved_errno = errno;
    put_terminal_back();
    stop_process();
    note_change(k_continued);
    errno = saved_errno;
}

void on_resize(int) {
    const int saved_errno = errno;
    note_change(k_resized);
    errno = saved_errno;
}

void install_handlers() {
    struct sigaction action {};
    action.sa_handler = on_signal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < k_signals.size(); ++i)
        sigaction(k_signals[i], &action, &g_saved.previous[i]);
    // Calls the program is in the middle of go on after a stop or a resize.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < k_change_signals.size(); ++i) {
        action.sa_handler = k_change_signals[i] == SIGTSTP ? on_stop : on_resize;
        sigaction(k_change_signals[i], &action, &g_saved.previous_for_changes[i]);
    }
}

void remove_handlers() {
    for (size_t i = 0; i < k_signals.size(); ++i)
        sigaction(k_signals[i], &g_saved.previous[i], nullptr);
    for (size_t i = 0; i < k_change_signals.size(); ++i)
        sigaction(k_change_signals[i], &g_saved.previous_for_changes[i], nullptr);
}

// The read end for the owner, or -1; the write end goes to the signal handlers.
int open_wake_pipe() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    g_saved.wake_write_fd = ends[1];
    return ends[0];
}

void close_wake_pipe(int read_fd) {
    if (read_fd >= 0) ::close(read_fd);
    if (g_saved.wake_write_fd >= 0) ::close(g_saved.wake_write_fd);
    g_saved.wake_write_fd = -1;
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
    g_saved.changes = 0;
    m_wake_fd = open_wake_pipe();
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
    close_wake_pipe(m_wake_fd);
    m_wake_fd = -1;
}

TerminalChanges TerminalMode::take_changes() {
    if (!m_in_charge) return {};
    char bytes[64];
    while (::read(m_wake_fd, bytes, sizeof bytes) > 0) {
    }
    const int changes = g_saved.changes.exchange(0);
    return {(changes & k_continued) != 0, (changes & k_resized) != 0};
}

bool TerminalMode::changes_pending() const {
    return m_in_charge && g_saved.changes.load() != 0;
}

// While this mode is in charge the terminal is given back only for a stop: every other way
// ends the process.
void TerminalMode::resume() {
    if (!m_in_charge || g_saved.active) return;
    // Settings changed while stopped (stty at the shell) are what the terminal returns to.
    if (g_saved.has_settings)
        g_saved.has_settings = tcgetattr(g_saved.in_fd, &g_saved.settings) == 0;
    g_saved.active = 1;
    m_raw = g_saved.has_settings && enter_key_mode(g_saved.in_fd);
    write_fully(g_saved.out_fd, k_hide_cursor, sizeof k_hide_cursor - 1);
}

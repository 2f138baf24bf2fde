#include "platform/display/terminal/terminal_mode.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A pseudo-terminal: the program's side is `terminal`, the person's side is `person`.
struct Pty {
    Pty() { EXPECT_EQ(openpty(&person, &terminal, nullptr, nullptr, nullptr), 0); }
    ~Pty() {
        close(person);
        close(terminal);
    }
    bool key_at_a_time() const {
        termios settings{};
        tcgetattr(terminal, &settings);
        return (settings.c_lflag & (ICANON | ECHO)) == 0;
    }
    std::string take_output() const {
        std::string text;
        char buffer[512];
        while (true) {
            pollfd ready{person, POLLIN, 0};
            if (poll(&ready, 1, 0) <= 0) return text;
            ssize_t count = read(person, buffer, sizeof buffer);
            if (count <= 0) return text;
            text.append(buffer, static_cast<size_t>(count));
        }
    }
    int person = -1;
    int terminal = -1;
};

// Runs a child that takes the terminal and then raises `signal` (0: calls exit(7)); returns its
// wait status.
int end_child(const Pty& pty, int signal) {
    pid_t child = fork();
    if (child == 0) {
        rlimit no_core{0, 0};
        setrlimit(RLIMIT_CORE, &no_core); // SIGQUIT would leave a core file behind
        TerminalMode mode(pty.terminal, pty.terminal);
        if (!mode.raw()) _exit(90);
        if (signal == 0) std::exit(7);
        raise(signal);
        _exit(91); // the signal should have ended the process
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

} // namespace

TEST(TerminalMode, LeavesTheSettingsOfAnInputThatIsNoTerminalAndOnlyOneIsInCharge) {
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    struct sigaction before {};
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &before);
    {
        TerminalMode mode(pipe_ends[0], pipe_ends[1]);
        EXPECT_FALSE(mode.raw());
        EXPECT_TRUE(mode.in_charge());
        EXPECT_FALSE(TerminalMode(pipe_ends[0], pipe_ends[1]).in_charge());
    }
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler) << "the interrupt handler is handed back";
    close(pipe_ends[0]);
    close(pipe_ends[1]);
}

TEST(TerminalMode, PutsTheTerminalBackOnEveryWayOut) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, 0}) {
        Pty pty;
        const int status = end_child(pty, signal);
        EXPECT_TRUE(signal ? WIFSIGNALED(status) && WTERMSIG(status) == signal
                           : WIFEXITED(status) && WEXITSTATUS(status) == 7)
            << "signal " << signal << ", status " << status;
        EXPECT_FALSE(pty.key_at_a_time()) << "signal " << signal;
        EXPECT_NE(pty.take_output().find("\x1b[?25h"), std::string::npos) << "signal " << signal;
    }
}

TEST(TerminalMode, WakesItsOwnerWhenTheWindowIsResized) {
    Pty pty;
    TerminalMode mode(pty.terminal, pty.terminal);
    pollfd ready{mode.wake_fd(), POLLIN, 0};
    EXPECT_EQ(poll(&ready, 1, 0), 0);
    raise(SIGWINCH);
    EXPECT_EQ(poll(&ready, 1, 1000), 1);
    const TerminalChanges changes = mode.take_changes();
    EXPECT_TRUE(changes.resized);
    EXPECT_FALSE(changes.continued);
    EXPECT_EQ(poll(&ready, 1, 0), 0); // taken
    mode.resume();                    // not stopped: nothing to take back
    EXPECT_TRUE(pty.key_at_a_time());
}

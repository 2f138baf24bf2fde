#include "platform/display/terminal/terminal_display.h"

#include "platform/display/terminal/terminal_text.h"
#include "tests/platform/display/terminal/terminal_test_snapshots.h"
#include "tests/support/input_text.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace terminal_test;

namespace {

// What a non-blocking descriptor holds now.
std::string read_all(int fd) {
    std::string text;
    char buffer[1024];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

struct Piped {
    Piped() {
        EXPECT_EQ(pipe(keys), 0);
        EXPECT_EQ(pipe(screen), 0);
        fcntl(screen[0], F_SETFL, O_NONBLOCK);
        display = std::make_unique<TerminalDisplay>(keys[0], screen[1]);
        display->set_status(StatusSnapshot{"battery_icon.png", true, "78%", std::nullopt});
        display->set_status_menu(status_menu());
    }
    ~Piped() {
        display.reset();
        for (int fd : {keys[0], keys[1], screen[0], screen[1], pty_main, pty_side})
            close(fd);
    }
    // The display drawn on a pseudo-terminal `columns` wide and 24 rows high instead.
    void on_pty(unsigned short columns) {
        ASSERT_EQ(openpty(&pty_main, &pty_side, nullptr, nullptr, nullptr), 0);
        resize(columns);
        display.reset();
        display = std::make_unique<TerminalDisplay>(keys[0], pty_side);
    }
    void resize(unsigned short columns) const {
        winsize size{.ws_row = 24, .ws_col = columns, .ws_xpixel = 0, .ws_ypixel = 0};
        EXPECT_EQ(ioctl(pty_side, TIOCSWINSZ, &size), 0);
    }
    // All the display wrote to the pseudo-terminal, once it is gone.
    std::string pty_screen() {
        display.reset();
        fcntl(pty_main, F_SETFL, O_NONBLOCK);
        return read_all(pty_main);
    }
    void type(const std::string& bytes) const {
        EXPECT_EQ(write(keys[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void end_input() {
        close(keys[1]);
        keys[1] = -1;
    }
    std::string take_output() const { return read_all(screen[0]); }

    int keys[2] = {-1, -1};
    int screen[2] = {-1, -1};
    int pty_main = -1, pty_side = -1;
    std::unique_ptr<TerminalDisplay> display;
};

struct CountingPass : Display::ModalPass {
    std::optional<int64_t> run_due() override {
        ++passes;
        return std::nullopt;
    }
    int passes = 0;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

// Nothing changed, nothing is written; with no key the wait lasts until the deadline. A key that
// only changes what the display shows (here: opening the menu) shows before the wait for the next
// key begins, not at the next timeout.
TEST(TerminalDisplay, WritesOnlyChangesAndWaitsUntilTheDeadline) {
    Piped p;
    EXPECT_EQ(input_text(p.display->wait_for_input(p.display->now_ms())), "timeout");
    EXPECT_FALSE(p.take_output().empty());
    const int64_t deadline = p.display->now_ms() + 30;
    EXPECT_EQ(input_text(p.display->wait_for_input(deadline)), "timeout");
    EXPECT_GE(p.display->now_ms(), deadline);
    EXPECT_EQ(p.take_output(), "");
    p.display->set_status(StatusSnapshot{"battery_icon.png", true, "77%", std::nullopt});
    EXPECT_EQ(input_text(p.display->wait_for_input(p.display->now_ms())), "timeout");
    EXPECT_TRUE(contains(p.take_output(), "77%"));
    raise(SIGWINCH); // the wake a resize leaves is taken, and the key behind it read
    p.type("m");
    EXPECT_EQ(input_text(p.display->wait_for_input(p.display->now_ms() + 50)), "timeout");
    EXPECT_TRUE(contains(p.take_output(), "  4  Preferences..."));
    p.type("\x1b"); // closed again: a menu that changes shows in the hint under the status line
    EXPECT_EQ(input_text(p.display->wait_for_input(p.display->now_ms() + 50)), "timeout");
    p.take_output();
    const std::vector<MenuItemSnapshot> menu{{.number = 9, .title = "Zap", .key = "z"}};
    p.display->set_status_menu(menu);
    EXPECT_EQ(input_text(p.display->wait_for_input(p.display->now_ms())), "timeout");
    EXPECT_TRUE(contains(p.take_output(), "z Zap"));
    p.display->set_status_menu(menu);
    EXPECT_EQ(input_text(p.display->wait_for_input(p.display->now_ms())), "timeout");
    EXPECT_EQ(p.take_output(), "");
}

// Control-D ends the input as its end does; an alert up at the end answers 0.
TEST(TerminalDisplay, EndsWhenTheInputEndsOrControlDIsTyped) {
    Piped p;
    p.end_input();
    EXPECT_EQ(input_text(p.display->wait_for_input(std::nullopt)), "end");
    CountingPass pass;
    EXPECT_EQ(p.display->run_alert(AlertSnapshot{"T", "", AlertIcon::app, {"OK"}}, pass), 0);

    Piped q;
    q.type("\x04m4");
    EXPECT_EQ(input_text(q.display->wait_for_input(std::nullopt)), "end");
}

TEST(TerminalDisplay, AnswersAnAlertAndRunsTheModalPassBeforeEveryWait) {
    Piped p;
    CountingPass pass;
    p.type("x2");
    AlertSnapshot alert{"Battery Information", "Cycles: 5", AlertIcon::note, {"OK", "Copy"}};
    EXPECT_EQ(p.display->run_alert(alert, pass), 2);
    EXPECT_GE(pass.passes, 1);
    EXPECT_TRUE(contains(p.take_output(), "\a")) << "x is refused with the bell";
    p.display->reject_input(Input{}, "the application is not running");
    EXPECT_EQ(p.take_output(), "\a");
    p.display->wait_for_input(p.display->now_ms());
    EXPECT_TRUE(contains(p.take_output(), "the application is not running"));
    p.display->will_exit(0);
    EXPECT_EQ(p.take_output(), "\x1b[0m\x1b[?25h\r\n");
    p.display->set_status(StatusSnapshot{std::nullopt, false, "changed", std::nullopt});
    p.display->wait_for_input(p.display->now_ms());
    EXPECT_EQ(p.take_output(), "") << "nothing drawn once the program exits";
}

// A notification rings the bell and shows its title and text on a line.
TEST(TerminalDisplay, RingsTheBellAndShowsANotificationsLine) {
    Piped p;
    p.take_output();
    const NotificationSnapshot notifications[] = {
        {"low", "Battery Low", "18% remaining.", false},
        {"critical", "Battery Critically Low", "4%", true}};
    for (const NotificationSnapshot& notification : notifications) {
        p.display->show_notification(notification);
        const std::string shown = p.take_output();
        EXPECT_TRUE(shown.starts_with("\a")) << shown;
        EXPECT_TRUE(contains(shown, notification.title + ": " + notification.text)) << shown;
    }
}

// The history's charts fill the terminal's width but its last column, as every line drawn does;
// on 24 rows the health chart gives way to its caption, so that the report stays on the screen.
TEST(TerminalDisplay, DrawsTheHistoryChartsToTheTerminalsWidth) {
    Piped p;
    p.on_pty(50);
    AlertSnapshot alert{"Battery Information", "Cycles: 5", AlertIcon::note, {"OK"}};
    alert.history = history_charts();
    p.type("1");
    CountingPass pass;
    EXPECT_EQ(p.display->run_alert(alert, pass), 1);
    std::vector<size_t> axis_widths;
    const std::string screen = p.pty_screen();
    for (size_t start = 0, end; start < screen.size(); start = end + 1) {
        end = std::min(screen.find('\n', start), screen.size());
        std::string line = screen.substr(start, end - start);
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find("└") != std::string::npos) axis_widths.push_back(display_width(line));
    }
    EXPECT_EQ(axis_widths, (std::vector<size_t>{49, 49})) << screen;
    EXPECT_TRUE(contains(screen, "Health 91 %")) << screen;
}

// The width is asked once and again after each resize: the lines drawn after one fit the new width.
// A terminal that tells no width is taken to be 80 columns wide.
TEST(TerminalDisplay, FitsItsLinesToTheNewWidthAfterAResize) {
    Piped p;
    p.on_pty(0); // a terminal that tells no width
    p.display->set_status(StatusSnapshot{std::nullopt, false, std::string(100, 'x'), std::nullopt});
    p.display->wait_for_input(p.display->now_ms());
    p.resize(60);
    raise(SIGWINCH); // a pty tells only its own process group
    p.display->set_status(StatusSnapshot{std::nullopt, false, std::string(40, 'y'), std::nullopt});
    p.display->wait_for_input(p.display->now_ms());
    p.resize(20);
    raise(SIGWINCH);
    p.display->set_status(StatusSnapshot{std::nullopt, false, std::string(40, 'z'), std::nullopt});
    p.display->wait_for_input(p.display->now_ms() + 50);
    const std::string screen = p.pty_screen();
    EXPECT_FALSE(contains(screen, std::string(80, 'x'))) << "80 columns";
    EXPECT_TRUE(contains(screen, std::string(40, 'y'))) << "60 columns";
    EXPECT_FALSE(contains(screen, std::string(20, 'z'))) << "20 columns";
    EXPECT_TRUE(contains(screen, "zzzz…")) << screen;
}

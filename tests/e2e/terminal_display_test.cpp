// The application shown in a terminal and driven by keys, as a person would: it runs inside a
// private tmux server, keys are sent with send-keys and the screen is read with capture-pane.

#include "tests/e2e/app_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr const char* k_tmux = "/usr/bin/tmux";

// A private tmux server with one 100 x 30 pane running `script`; the server ends with the test.
class TmuxPane {
  public:
    TmuxPane(const e2e::TempHome& home, const std::string& script)
        : m_home(home), m_socket("zerarazi-e2e-" + std::to_string(getpid())) {
        m_started = tmux({"new-session", "-d", "-x", "100", "-y", "30", "-s", "e2e", script})
                        .exited_cleanly();
    }
    ~TmuxPane() { tmux({"kill-server"}); }

    bool started() const { return m_started; }
    void send(const std::string& key) const { tmux({"send-keys", "-t", "e2e", key}); }
    bool cursor_shown() const {
        return tmux({"display-message", "-p", "-t", "e2e", "#{cursor_flag}"}).lines ==
               std::vector<std::string>{"1"};
    }
    // Reads the screen until it holds `text` (or no longer does) for at most 15 seconds.
    ::testing::AssertionResult wait_for(const std::string& text, bool shown = true) const {
        std::string screen;
        for (auto give_up = std::chrono::steady_clock::now() + 15s;
             std::chrono::steady_clock::now() < give_up; std::this_thread::sleep_for(50ms)) {
            screen.clear();
            for (const std::string& line : tmux({"capture-pane", "-p", "-t", "e2e"}).lines)
                screen += line + "\n";
            if ((screen.find(text) != std::string::npos) == shown)
                return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << (shown ? "never saw \"" : "still saw \"") << text << "\"; the screen:\n"
               << screen;
    }

  private:
    // A server that tmux leaves behind keeps no pipe of ours open: run_app reads files.
    e2e::AppRun tmux(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {k_tmux, "-L", m_socket, "-f", "/dev/null"});
        return e2e::run_app(m_home, {.command = arguments});
    }

    const e2e::TempHome& m_home;
    std::string m_socket;
    bool m_started = false;
};

} // namespace

// The pane's shell then reports how the program ended and the terminal settings it left behind,
// and stays so that the pane can be read.
TEST(TerminalDisplayE2E, APersonReadsTheStatusUsesTheMenuAndQuits) {
    if (!std::filesystem::exists(k_tmux)) GTEST_SKIP() << "tmux is not installed";
    e2e::TempHome home("zerarazi-terminal-");
    TmuxPane pane(home,
                  "HOME=" + home.path().string() +
                      " ZERARAZI_DISPLAY=terminal ZERARAZI_BATTERY=" ZERARAZI_SOURCE_DIR
                      "/resources/samples/sample-battery.plist " +
                      e2e::bundle_executable(e2e::built_bundle()).string() +
                      "; echo \"[exited $?]\"; echo \"[settings $(stty -a | tr \" \" \"\\n\" "
                      "| grep -x -e -icanon -e icanon -e -echo -e echo | tr \"\\n\" \" \")]\"; "
                      "exec sleep 600");
    ASSERT_TRUE(pane.started());
    ASSERT_TRUE(pane.wait_for("78%"));
    EXPECT_FALSE(pane.cursor_shown());

    pane.send("m");
    ASSERT_TRUE(pane.wait_for("Show Battery Information..."));
    EXPECT_TRUE(pane.wait_for("⌘Q"));
    pane.send("3");
    ASSERT_TRUE(pane.wait_for("[1 OK]"));
    EXPECT_TRUE(pane.wait_for("Battery Information\n")); // the alert's title on a line of its own
    pane.send("Enter");
    ASSERT_TRUE(pane.wait_for("[1 OK]", false));

    pane.send("m");
    ASSERT_TRUE(pane.wait_for("Preferences..."));
    pane.send("4");
    ASSERT_TRUE(pane.wait_for("── Preferences ──"));
    ASSERT_TRUE(pane.wait_for("[ ]  3  Show Battery Condition"));
    pane.send("3");
    EXPECT_TRUE(pane.wait_for("[x]  3  Show Battery Condition"));
    EXPECT_TRUE(pane.wait_for(" • 78%")); // the condition now comes before the percentage
    pane.send("c");
    ASSERT_TRUE(pane.wait_for("── Preferences ──", false));

    pane.send("q");
    ASSERT_TRUE(pane.wait_for("[exited 0]"));
    EXPECT_TRUE(pane.wait_for("[settings icanon echo ]"));
    EXPECT_TRUE(pane.cursor_shown());
}

// The application shown in a terminal and driven by keys, as a person would: it runs inside a
// private tmux server, keys are sent with send-keys and the screen is read with capture-pane.

#include "tests/e2e/app_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto k_patience = 15s;
constexpr const char* k_tmux = "/usr/bin/tmux";

// A private tmux server with one 100 x 30 pane running `script`; the server ends with the test.
class TmuxPane {
  public:
    TmuxPane(const e2e::TempHome& home, const fs::path& script)
        : m_home(home), m_socket("zerarazi-e2e-" + std::to_string(getpid())) {
        m_started = tmux({"new-session", "-d", "-x", "100", "-y", "30", "-s", "e2e",
                          "sh " + script.string()})
                        .exited_cleanly();
    }
    ~TmuxPane() { tmux({"kill-server"}); }

    bool started() const { return m_started; }
    void send(const std::string& key) const { tmux({"send-keys", "-t", "e2e", key}); }
    std::string screen() const {
        std::string text;
        for (const std::string& line : tmux({"capture-pane", "-p", "-t", "e2e"}).lines)
            text += line + "\n";
        return text;
    }
    bool cursor_shown() const {
        return tmux({"display-message", "-p", "-t", "e2e", "#{cursor_flag}"}).lines ==
               std::vector<std::string>{"1"};
    }
    // Reads the screen until `seen` holds, for at most k_patience; the last screen on failure.
    ::testing::AssertionResult
    wait_until(const std::string& what, const std::function<bool(const std::string&)>& seen) const {
        std::string last;
        auto give_up = std::chrono::steady_clock::now() + k_patience;
        while (std::chrono::steady_clock::now() < give_up) {
            last = screen();
            if (seen(last)) return ::testing::AssertionSuccess();
            std::this_thread::sleep_for(50ms);
        }
        return ::testing::AssertionFailure() << "never saw " << what << "; the screen:\n" << last;
    }
    ::testing::AssertionResult wait_for(const std::string& text) const {
        return wait_until("\"" + text + "\"",
                          [&](const std::string& s) { return s.find(text) != std::string::npos; });
    }
    ::testing::AssertionResult wait_for_no(const std::string& text) const {
        return wait_until("no \"" + text + "\"",
                          [&](const std::string& s) { return s.find(text) == std::string::npos; });
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

class TerminalDisplayE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(k_tmux)) GTEST_SKIP() << "tmux is not installed";
    }

    // A script that runs the bundle with a private home and the recorded battery, then reports
    // how it ended and the terminal settings it left behind, and stays so the pane can be read.
    fs::path write_script() const {
        fs::path script = m_home.path() / "run.sh";
        std::ofstream out(script);
        out << "export HOME='" << m_home.path().string() << "'\n"
            << "export ZERARAZI_DISPLAY=terminal\n"
            << "export ZERARAZI_BATTERY='" ZERARAZI_SOURCE_DIR
               "/resources/samples/sample-battery.plist'\n"
            << "'" << e2e::bundle_executable(e2e::built_bundle()).string() << "'\n"
            << "echo \"[exited $?]\"\n"
            << "echo \"[settings $(stty -a | tr ' ' '\\n' | grep -x -e -icanon -e icanon -e "
               "-echo -e echo | tr '\\n' ' ')]\"\n"
            << "exec sleep 600\n";
        return script;
    }

    e2e::TempHome m_home{"zerarazi-terminal-"};
};

} // namespace

TEST_F(TerminalDisplayE2E, APersonReadsTheStatusUsesTheMenuAndQuits) {
    TmuxPane pane(m_home, write_script());
    ASSERT_TRUE(pane.started());
    ASSERT_TRUE(pane.wait_for("78%"));
    EXPECT_FALSE(pane.cursor_shown());

    pane.send("m");
    ASSERT_TRUE(pane.wait_for("Show Battery Information..."));
    EXPECT_TRUE(pane.wait_for("⌘Q"));
    pane.send("3");
    ASSERT_TRUE(pane.wait_for("[1 OK]"));
    EXPECT_TRUE(pane.wait_until("the alert's title on a line of its own", [](const std::string& s) {
        return s.find("Battery Information\n") != std::string::npos;
    }));
    pane.send("Enter");
    ASSERT_TRUE(pane.wait_for_no("[1 OK]"));

    pane.send("m");
    ASSERT_TRUE(pane.wait_for("Preferences..."));
    pane.send("4");
    ASSERT_TRUE(pane.wait_for("── Preferences ──"));
    ASSERT_TRUE(pane.wait_for("[ ]  3  Show Battery Condition"));
    pane.send("3");
    EXPECT_TRUE(pane.wait_for("[x]  3  Show Battery Condition"));
    EXPECT_TRUE(pane.wait_for(" • 78%")); // the condition now comes before the percentage
    pane.send("c");
    ASSERT_TRUE(pane.wait_for_no("── Preferences ──"));

    pane.send("q");
    ASSERT_TRUE(pane.wait_for("[exited 0]"));
    EXPECT_TRUE(pane.wait_for("[settings icanon echo ]"));
    EXPECT_TRUE(pane.cursor_shown());
}

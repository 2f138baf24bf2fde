#pragma once
// Runs the built application bundle as a child process in driver mode: a private home folder, a
// recorded battery, a script on standard input, and every line it prints collected for checks.

#include "tests/e2e/json_line.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;

// The bundle the build made, and the executable inside a bundle at `bundle`.
fs::path built_bundle();
fs::path bundle_executable(const fs::path& bundle);

// A fresh home folder named after `prefix` (which may hold blanks), removed with everything in
// it when the object goes.
struct TempHome : TemporaryFolder {
    explicit TempHome(std::string_view prefix = "zerarazi-e2e-") : TemporaryFolder(prefix) {}

    fs::path config_folder() const { return path() / ".config"; }
    fs::path battery_file() const { return path() / "battery.plist"; }
    fs::path preferences_file() const { return path() / "Library/Preferences" / k_plist_name; }
    fs::path launch_agent_file() const { return path() / "Library/LaunchAgents" / k_plist_name; }
    fs::path autostart_entry() const {
        return config_folder() / "autostart/org.zerarazi.Zerarazi.desktop";
    }

  private:
    static constexpr const char* k_plist_name = "org.zerarazi.Zerarazi.plist";
};

struct AppRunOptions {
    std::string script{};
    // "NAME=value" entries that replace the child's variable of that name or add one.
    std::vector<std::string> environment{};
    // The program and its arguments; empty: the bundle's executable alone.
    std::vector<std::string> command{};
    // The child's working folder; empty: the test's own.
    fs::path directory{};
};

// What one run printed and how it ended.
struct AppRun {
    std::vector<std::string> lines;
    std::string errors;
    int exit_status = -1; // -1 when the process did not exit normally
    int signal = 0;
    bool timed_out = false;

    std::vector<JsonValue> events(std::string_view name) const;
    std::optional<JsonValue> first(std::string_view name) const;
    std::optional<JsonValue> last(std::string_view name) const;
    // Index of the first line of that event, or lines.size() when there is none.
    size_t index_of(std::string_view name) const;
    bool exited_cleanly() const { return !timed_out && exit_status == 0; }
    // The whole output, for failure messages.
    std::string transcript() const;
};

// Starts the bundle's executable with `home` as HOME (and the sample battery unless the test
// recorded another), writes the script and closes the input,
// and waits for it to end; a run that outlives ten seconds is killed and marked timed out.
AppRun run_app(const TempHome& home, const AppRunOptions& options);

// Polls `condition` every few milliseconds until it holds or the deadline passes.
bool wait_until(const std::function<bool()>& condition,
                std::chrono::milliseconds deadline = std::chrono::milliseconds(5000));

} // namespace e2e

#include "tests/e2e/app_run.h"

#include "tests/e2e/plist_files.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

// Variables the child takes over from the test's own environment when they are set, so that
// the sanitizer build reports the same way in the child.
constexpr const char* k_passed_variables[] = {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"};

std::vector<std::string> child_environment(const TempHome& home, const AppRunOptions& options) {
    const char* own_path = std::getenv("PATH");
    std::vector<std::string> env = {
        "HOME=" + home.path().string(),
        "XDG_CONFIG_HOME=" + home.config_folder().string(),
        "ZERARAZI_DISPLAY=driver",
        "ZERARAZI_BATTERY=" + home.battery_file().string(),
        std::string("PATH=") + (own_path ? own_path : "/usr/bin:/bin"),
        "LANG=C.UTF-8",
        "TZ=UTC",
    };
    for (const char* name : k_passed_variables) {
        if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
    for (const std::string& entry : options.environment) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        std::erase_if(env, [&](const std::string& old) { return old.starts_with(name); });
        env.push_back(entry);
    }
    return env;
}

std::vector<char*> pointers_to(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The child's input and outputs are files of the run's own, so that no program the child
// leaves behind can hold a pipe open.
pid_t spawn_child(std::vector<std::string> args, const fs::path& directory,
                  std::vector<std::string> env, const std::string& files) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (files + ".in").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (files + ".out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (files + ".err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    std::vector<char*> argv = pointers_to(args);
    std::vector<char*> envp = pointers_to(env);
    pid_t pid = -1;
    int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

fs::path built_bundle() {
    return fs::path(ZERARAZI_BUNDLE);
}

fs::path bundle_executable(const fs::path& bundle) {
    return bundle / "Contents" / "MacOS" / "Zerarazi";
}

AppRun run_app(const TempHome& home, const AppRunOptions& options) {
    AppRun run;
    if (!fs::exists(home.battery_file())) BatteryRecording().write(home.battery_file());
    static int runs = 0;
    const std::string files = home / (".run-" + std::to_string(++runs));
    put_file(files + ".in", options.script);
    std::vector<std::string> command = options.command;
    if (command.empty()) command.push_back(bundle_executable(built_bundle()).string());
    const pid_t pid =
        spawn_child(command, options.directory, child_environment(home, options), files);
    if (pid < 0) {
        run.errors = "could not start " + command.front();
        return run;
    }
    int status = 0;
    run.timed_out = !wait_until([&] { return waitpid(pid, &status, WNOHANG) == pid; },
                                std::chrono::seconds(10));
    if (run.timed_out) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    if (WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    run.lines = split_lines(file_bytes(files + ".out"));
    run.errors = file_bytes(files + ".err");
    return run;
}

std::vector<JsonValue> AppRun::events(std::string_view name) const {
    std::vector<JsonValue> found;
    for (const auto& line : lines) {
        auto value = parse_json(line);
        if (value && value->event() == name) found.push_back(std::move(*value));
    }
    return found;
}

std::optional<JsonValue> AppRun::first(std::string_view name) const {
    const size_t at = index_of(name);
    return at < lines.size() ? parse_json(lines[at]) : std::nullopt;
}

std::optional<JsonValue> AppRun::last(std::string_view name) const {
    auto found = events(name);
    return found.empty() ? std::nullopt : std::optional(found.back());
}

size_t AppRun::index_of(std::string_view name) const {
    for (size_t i = 0; i < lines.size(); ++i) {
        auto value = parse_json(lines[i]);
        if (value && value->event() == name) return i;
    }
    return lines.size();
}

std::string AppRun::transcript() const {
    std::string text = "exit status " + std::to_string(exit_status);
    if (signal) text += ", signal " + std::to_string(signal);
    if (timed_out) text += ", timed out";
    text += "\n--- stdout\n";
    for (const auto& line : lines)
        text += line + "\n";
    return text + "--- stderr\n" + errors;
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    auto end = Clock::now() + deadline;
    while (!condition()) {
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace e2e

#include "tests/e2e/app_run.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* k_identifier = "org.zerarazi.Zerarazi";

// Variables the child takes over from the test's own environment when they are set, so that
// the sanitizer build reports the same way in the child.
constexpr const char* k_passed_variables[] = {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"};

class Pipe {
  public:
    Pipe() {
        if (pipe2(m_ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    }
    ~Pipe() {
        close_read();
        close_write();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int read_end() const { return m_ends[0]; }
    int write_end() const { return m_ends[1]; }
    void close_read() { close_end(m_ends[0]); }
    void close_write() { close_end(m_ends[1]); }

  private:
    static void close_end(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    int m_ends[2] = {-1, -1};
};

std::vector<std::string> child_environment(const TempHome& home, const AppRunOptions& options) {
    const char* own_path = std::getenv("PATH");
    std::vector<std::string> env = {
        "HOME=" + home.path().string(),
        "XDG_CONFIG_HOME=" + home.config_folder().string(),
        "ZERARAZI_DISPLAY=" + options.display,
        "ZERARAZI_BATTERY=" + home.battery_file().string(),
        "PATH=" + options.path.value_or(own_path ? own_path : "/usr/bin:/bin"),
        "LANG=C.UTF-8",
        "TZ=UTC",
    };
    if (options.os_version) env.push_back("ZERARAZI_OS_VERSION=" + *options.os_version);
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

pid_t spawn_child(std::vector<std::string> args, const fs::path& directory,
                  std::vector<std::string> env, Pipe& in, Pipe& out, Pipe& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.read_end(), 0);
    posix_spawn_file_actions_adddup2(&actions, out.write_end(), 1);
    posix_spawn_file_actions_adddup2(&actions, err.write_end(), 2);
    if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    std::vector<char*> argv = pointers_to(args);
    std::vector<char*> envp = pointers_to(env);
    pid_t pid = -1;
    int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

// Moves whatever the descriptor has now into `into`; false once it reached its end.
bool drain(int fd, std::string& into) {
    char buffer[4096];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            into.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        return got < 0 && errno == EAGAIN;
    }
}

void set_non_blocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void record_status(AppRun& run, int status) {
    if (WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
}

// Feeds the script and collects both outputs until the child ends or the deadline passes. A
// program the child starts may keep the output pipes open after the child exits, so the end
// is the child's exit, not the pipes' end.
struct ChildIo {
    Pipe& in;
    Pipe& out;
    Pipe& err;
    std::string_view script;
    std::string out_text;
    std::string err_text;

    void feed() {
        while (!script.empty() && in.write_end() >= 0) {
            ssize_t put = ::write(in.write_end(), script.data(), script.size());
            if (put < 0 && errno == EINTR) continue;
            if (put < 0 && errno == EAGAIN) return;
            if (put < 0) break; // the child stopped reading
            script.remove_prefix(static_cast<size_t>(put));
        }
        in.close_write();
    }
    void wait_a_little() {
        pollfd fds[3] = {
            {out.read_end(), POLLIN, 0}, {err.read_end(), POLLIN, 0}, {in.write_end(), POLLOUT, 0}};
        poll(fds, in.write_end() >= 0 ? 3 : 2, 10);
    }
    void collect() {
        drain(out.read_end(), out_text);
        drain(err.read_end(), err_text);
    }
};

} // namespace

fs::path built_bundle() {
    return fs::path(ZERARAZI_BUNDLE);
}

fs::path bundle_executable(const fs::path& bundle) {
    return bundle / "Contents" / "MacOS" / "Zerarazi";
}

TempHome::TempHome(const std::string& prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    // The application sees its paths resolved; so do the tests' expectations.
    m_path = fs::canonical(pattern);
}

TempHome::~TempHome() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

fs::path TempHome::preferences_file() const {
    return m_path / "Library" / "Preferences" / (std::string(k_identifier) + ".plist");
}

fs::path TempHome::launch_agent_file() const {
    return m_path / "Library" / "LaunchAgents" / (std::string(k_identifier) + ".plist");
}

fs::path TempHome::autostart_entry() const {
    return config_folder() / "autostart" / (std::string(k_identifier) + ".desktop");
}

AppRun run_app(const TempHome& home, const AppRunOptions& options) {
    // A child that ends before it has read its whole script must not end the test with it.
    std::signal(SIGPIPE, SIG_IGN);
    AppRun run;
    Pipe in, out, err;
    std::vector<std::string> command = options.command;
    if (command.empty()) command.push_back(bundle_executable(options.bundle).string());
    pid_t pid =
        spawn_child(command, options.directory, child_environment(home, options), in, out, err);
    if (pid < 0) {
        run.errors = "could not start " + command.front();
        return run;
    }
    in.close_read();
    out.close_write();
    err.close_write();
    for (int fd : {in.write_end(), out.read_end(), err.read_end()})
        set_non_blocking(fd);

    ChildIo io{in, out, err, options.script, {}, {}};
    auto deadline = Clock::now() + options.timeout;
    int status = 0;
    for (;;) {
        io.feed();
        io.wait_a_little();
        io.collect();
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        if (Clock::now() < deadline) continue;
        run.timed_out = true;
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        break;
    }
    io.collect();
    record_status(run, status);
    run.lines = split_lines(io.out_text);
    run.errors = std::move(io.err_text);
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
    auto found = events(name);
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::optional<JsonValue> AppRun::last(std::string_view name) const {
    auto found = events(name);
    if (found.empty()) return std::nullopt;
    return found.back();
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

std::optional<std::string> read_text_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_text_file(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("could not write " + path.string());
}

} // namespace e2e

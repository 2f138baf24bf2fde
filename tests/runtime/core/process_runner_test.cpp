#include "runtime/core/process_runner.h"

#include "runtime/core/argument_split.h"
#include "runtime/core/pipe_reader.h"
#include "runtime/core/process_start.h"
#include "runtime/core/program_search.h"
#include "runtime/core/rt_string.h"
#include "tests/support/environment_scope.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <pthread.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

// Tests that start real programs, the ones in the test programs' folder, on a private PATH.

namespace rt {
namespace {

namespace fs = std::filesystem;

constexpr int32_t open_and_wait = LaunchOpen | LaunchWait;
const std::string programs = ZERARAZI_TEST_PROGRAMS;

class ScopedWorkingDirectory {
  public:
    explicit ScopedWorkingDirectory(const fs::path& folder) : m_old(fs::current_path()) {
        fs::current_path(folder);
    }
    ~ScopedWorkingDirectory() { fs::current_path(m_old); }

  private:
    fs::path m_old;
};

void write_file(const fs::path& path, const std::string& text, fs::perms permissions) {
    put_file(path, text);
    fs::permissions(path, permissions);
}

// Counts this process's forks, to show that a launch that fails early starts nothing.
int fork_count() {
    static int count = 0;
    static const bool registered = pthread_atfork([] { ++count; }, nullptr, nullptr) == 0;
    EXPECT_TRUE(registered);
    return count;
}

// Ends the test process with SIGALRM if a test hangs, so that a fault fails instead of blocking.
struct HangGuard {
    HangGuard() { alarm(120); }
    ~HangGuard() { alarm(0); }
};

// The report of echo_args: its working folder, descriptors and arguments (entry 0 included).
struct EchoReport {
    std::string cwd, descriptors;
    std::vector<std::string> arguments;
};

EchoReport parse_echo_report(const std::string& text) {
    EchoReport report;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("cwd=")) report.cwd = line.substr(4);
        if (line.starts_with("fds=")) report.descriptors = line.substr(4);
        if (line.starts_with("arg=")) report.arguments.push_back(line.substr(4));
    }
    return report;
}

// Waits for a detached program's report, which it writes whole under another name first.
std::string wait_for_report(const fs::path& report) {
    for (int tries = 0; tries < 500 && file_bytes(report).empty(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return file_bytes(report);
}

// A ChildPlan for a test program and its arguments, the vector with the spare entries in front.
struct Plan {
    explicit Plan(std::vector<std::string> arguments) : words(std::move(arguments)) {
        words[0] = programs + "/" + words[0];
        for (std::string& word : words)
            entries.push_back(word.data());
        entries.push_back(nullptr);
        plan.exec_path = words[0].c_str();
        plan.vector = entries.data();
    }
    std::vector<std::string> words;
    std::vector<char*> entries = std::vector<char*>(child_vector_spare);
    ChildPlan plan{};
};

std::string read_all(PipeReader* reader) {
    std::string bytes;
    char buffer[4096];
    for (uint64_t got = sizeof buffer; got == sizeof buffer;)
        bytes.append(buffer, got = ReadPipeBytes(reader, buffer, sizeof buffer));
    return bytes;
}

int open_descriptor_count() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

class ProcessRunner : public ::testing::Test {
  protected:
    void SetUp() override { InitProcesses(); }

    ProcessRecord* open_process(const char16_t* program, const String& arguments, int32_t flags,
                                ProcessRecord* input_source = nullptr) {
        const int64_t result =
            LaunchProcessEx(program, arguments.c_str(), u"", flags | LaunchOpen, input_source);
        EXPECT_NE(launched_process(result), nullptr) << "launch result " << result;
        return launched_process(result);
    }

    EchoReport echo(const String& directory) {
        ProcessRecord* record = launched_process(LaunchProcessEx(
            u"echo_args", u"", directory.c_str(), open_and_wait | LaunchReadOutput, nullptr));
        if (!record) return {};
        EXPECT_EQ(record->exit_code, 0);
        return parse_echo_report(read_all(record->output_reader));
    }

  private:
    EnvironmentScope m_path{"PATH", programs};
    HangGuard m_guard;
};

TEST_F(ProcessRunner, FailsWithoutForkingWhenTheProgramCannotBeRun) {
    TemporaryFolder elsewhere{"zerarazi process "};
    const ScopedWorkingDirectory inside(elsewhere.path());
    const std::pair<std::u16string, std::optional<std::string>> rows[] = {
        {u"no_such_program", programs},
        {u"./echo_args", programs}, // not in this folder
        {u"echo_args", std::nullopt},
        {u"", programs}};
    for (const auto& [program, search_path] : rows) {
        const EnvironmentScope path("PATH", search_path);
        for (const int32_t flags : {0, LaunchWait, LaunchOpen | LaunchReadOutput}) {
            const int forks = fork_count(), descriptors = open_descriptor_count();
            EXPECT_EQ(LaunchProcessFlags(program.c_str(), u"x", u"", flags), 0)
                << String(program).utf8() << ", flags " << flags;
            EXPECT_EQ(std::tuple(fork_count(), open_descriptor_count()),
                      std::tuple(forks, descriptors));
        }
    }
}

TEST_F(ProcessRunner, AFailedPipeIsReportedByItsErrnoAfterTheLaunchGivesBackWhatItHeld) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int descriptors = open_descriptor_count();
    const int lowest_free = dup(0);
    close(lowest_free);
    rlimit low = saved;
    low.rlim_cur = static_cast<rlim_t>(lowest_free + 1); // room for one pipe end, not two
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    errno = 0;
    const int64_t launched =
        LaunchProcessFlags(u"echo_args", u"x", u"", LaunchOpen | LaunchReadOutput);
    const int error = errno;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(std::tuple(launched, error, open_descriptor_count()),
              std::tuple(0, EMFILE, descriptors));
}

// With LaunchWait the exit code is set before the launch returns: the program's own, 1 for a
// signal, 1 when the program cannot be executed once started, and a script without interpreter
// line runs through the shell.
TEST_F(ProcessRunner, LaunchWaitSetsTheExitCodeBeforeReturning) {
    TemporaryFolder folder{"zerarazi process "};
    write_file(folder.path() / "script", "exit 5\n", fs::perms::owner_all);
    const String elsewhere = String::from_utf8(folder.path().string());
    const ScopedWorkingDirectory inside(programs);
    const std::tuple<const char16_t*, const char16_t*, const char16_t*, int32_t> rows[] = {
        {u"exit_with", u"0", u"", 0},
        {u"exit_with", u"7", u"", 7},
        {u"exit_with", u"255", u"", 255},
        {u"exit_with", u"signal", u"", 1},
        {u"script", u"", u"", 5},
        // Found here, but looked for again after the change of directory, where it is missing.
        {u"./echo_args", u"", elsewhere.c_str(), 1}};
    const EnvironmentScope path("PATH", programs + ":" + folder.path().string());
    for (const auto& [program, arguments, directory, expected] : rows) {
        ProcessRecord* record = launched_process(
            LaunchProcessEx(program, arguments, directory, open_and_wait, nullptr));
        ASSERT_NE(record, nullptr) << String(program).utf8();
        EXPECT_EQ(std::tuple(record->exit_code.load(), record->flags, record->process_id > 0),
                  std::tuple(expected, open_and_wait, true))
            << String(program).utf8() << " " << String(arguments).utf8();
    }
}

TEST_F(ProcessRunner, RunsTheProgramInTheGivenDirectoryWithOnlyTheStandardDescriptors) {
    TemporaryFolder folder{"zerarazi process "};
    const int stray = open("/dev/null", O_RDONLY); // deliberately without close-on-exec
    ASSERT_GE(stray, 3);
    const EchoReport report = echo(String::from_utf8(folder.path().string()));
    close(stray);
    EXPECT_EQ(std::tuple(report.cwd, report.descriptors),
              std::tuple(fs::canonical(folder.path()).string(), "0,1,2"));
    EXPECT_EQ(echo(u"/no/such/directory").cwd, fs::current_path().string());
}

std::string pattern(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>(i % 251);
    return bytes;
}

// Without LaunchWait a waiter sets the exit code when the program ends.
int32_t exit_code_when_ended(ProcessRecord* record) {
    for (int tries = 0; tries < 1000 && process_exit_code(record) == -1; ++tries)
        usleep(5000);
    return process_exit_code(record);
}

// Each pipe flag keeps one end here, and only that one; the others go to the program.
TEST_F(ProcessRunner, PipesCarryErrorOutputAndInputAndKeepOneEndEach) {
    int descriptors = open_descriptor_count();
    ProcessRecord* errors = open_process(u"print_bytes", u"10000 2 3", LaunchReadError);
    ASSERT_NE(errors, nullptr);
    EXPECT_EQ(std::tuple(open_descriptor_count(), errors->output_reader, errors->input_stream),
              std::tuple(descriptors + 1, nullptr, nullptr));
    EXPECT_TRUE(read_all(errors->error_reader) == pattern(10000));
    EXPECT_EQ(exit_code_when_ended(errors), 3);

    descriptors = open_descriptor_count();
    ProcessRecord* input = open_process(u"exit_with", u"4 after-input", LaunchWriteInput);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(open_descriptor_count(), descriptors + 1);
    EXPECT_EQ(std::fputs("some input", input->input_stream), 1);
    usleep(20000);
    EXPECT_EQ(process_exit_code(input), -1) << "ended before its input did";
    std::fclose(std::exchange(input->input_stream, nullptr));
    EXPECT_EQ(exit_code_when_ended(input), 4);

    ProcessRecord* first = open_process(u"print_bytes", u"30000", LaunchReadOutput);
    ASSERT_NE(first, nullptr);
    descriptors = open_descriptor_count();
    ProcessRecord* second =
        open_process(u"/bin/cat", u"", LaunchReadOutput | LaunchConnectInput, first);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(open_descriptor_count(), descriptors + 1);
    EXPECT_TRUE(read_all(second->output_reader) == pattern(30000));
    EXPECT_EQ(std::tuple(exit_code_when_ended(second), exit_code_when_ended(first),
                         process_exit_code(nullptr)),
              std::tuple(0, 0, -1));
}

// With LaunchWait alone the answer comes after the program ended; without flags it is started
// detached: no child of this process, the middle process that started it already reaped, and the
// answer may come before it runs.
TEST_F(ProcessRunner, ShortFormsStartTheProgramWithoutAnObject) {
    TemporaryFolder folder{"zerarazi process "};
    const fs::path report = folder.path() / "report";
    const EnvironmentScope report_variable("ECHO_ARGS_REPORT", report.string());
    EXPECT_EQ(LaunchProcessFlags(u"echo_args", u"x", u"", LaunchWait), 1);
    EXPECT_EQ(parse_echo_report(file_bytes(report)).arguments,
              (std::vector<std::string>{"echo_args", "x"}));
    EXPECT_EQ(launched_process(1), nullptr);
    fs::remove(report);

    Plan plan({"echo_args", "one", "two"});
    const pid_t program = start_detached(plan.plan);
    ASSERT_GT(program, 0);
    errno = 0;
    EXPECT_EQ(waitpid(program, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    const std::string text = wait_for_report(report);
    EXPECT_NE(text.find("pid=" + std::to_string(program) + "\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("ppid=" + std::to_string(getpid()) + "\n"), std::string::npos) << text;
    EXPECT_EQ(parse_echo_report(text).arguments, plan.words);
    fs::remove(report);
    EXPECT_EQ(LaunchProcessFlags(u"echo_args", u"y", u"", 0), 1);
    EXPECT_EQ(parse_echo_report(wait_for_report(report)).arguments,
              (std::vector<std::string>{"echo_args", "y"}));
}

int input_end = -1;

// The child finds an ignored SIGPIPE at its default; a signal that interrupts the wait (a
// handler without SA_RESTART) does not end it: exit_with reads its input to the end, which the
// handler closes, and only then exits.
TEST(ProcessStart, ChildSignalsStartAtTheirDefaultAndWaitingOutlastsAnInterruption) {
    const HangGuard guard;
    struct sigaction action = {}, previous_pipe = {}, previous_user = {};
    action.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGPIPE, &action, &previous_pipe), 0);
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    close(ends[0]); // nobody will read: the first write raises SIGPIPE
    Plan print({"print_bytes", "100000"});
    print.plan.stdout_source = ends[1];
    pid_t pid = start_child(print.plan);
    close(ends[1]);
    sigaction(SIGPIPE, &previous_pipe, nullptr);
    ASSERT_GT(pid, 0);
    int status = -1;
    ASSERT_EQ(wait_for_process(pid, &status), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << "status " << status;
    EXPECT_EQ(exit_code_of(status), 1);

    action.sa_handler = [](int) { close(input_end); };
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous_user), 0);
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    input_end = ends[1];
    Plan exit_with({"exit_with", "3", "after-input"});
    exit_with.plan.stdin_source = ends[0];
    pid = start_child(exit_with.plan);
    close(ends[0]);
    ASSERT_GT(pid, 0);
    std::thread interrupter([waiter = pthread_self()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pthread_kill(waiter, SIGUSR1);
    });
    const pid_t waited = wait_for_process(pid, &status);
    interrupter.join();
    sigaction(SIGUSR1, &previous_user, nullptr);
    if (waited != pid) waitpid(pid, nullptr, 0);
    ASSERT_EQ(waited, pid);
    EXPECT_EQ(exit_code_of(status), 3);
}

// The words SplitArguments finds with room for `capacity`, which must end with a null within it.
std::pair<int64_t, std::vector<std::string>> split(std::string text, int64_t capacity) {
    char sentinel = 0; // fills the vector, so that only a null the split writes ends it
    std::vector<char*> vector(static_cast<size_t>(capacity) + 2, &sentinel);
    std::pair<int64_t, std::vector<std::string>> result{
        SplitArguments(text.data(), vector.data(), capacity), {}};
    for (size_t i = 0; vector[i] && vector[i] != &sentinel; ++i)
        result.second.emplace_back(vector[i]);
    EXPECT_LE(std::find(vector.begin(), vector.end(), nullptr) - vector.begin(), capacity);
    EXPECT_EQ(vector.back(), &sentinel) << "written past the vector";
    return result;
}

// A row's result is its word count unless it says otherwise; its vector holds 8 words unless it
// says otherwise.
TEST(ArgumentSplit, CutsWordsByTheQuoteAndSeparatorRules) {
    struct Row {
        std::string text;
        std::vector<std::string> words;
        int64_t result = -2, capacity = 8;
    };
    const Row rows[] = {
        {"", {}},
        {" \t\n ", {}},
        {"load \"/Users/a b/My Agents/x.plist\"", {"load", "/Users/a b/My Agents/x.plist"}},
        {"  a \t\t b\n\nc  ", {"a", "b", "c"}},
        {"\"\"", {""}},
        {"\"abc\"def", {"abc", "def"}},
        {"a\"b c\"", {"a\"b", "c\""}},
        {"\"tab\tinside\"", {"tab\tinside"}},
        {"\"left open runs to the end", {"left open runs to the end"}},
        {"a \"", {"a", ""}},
        {"\"first line\nsecond\"", {"first line", "second\""}},
        {"\"ends at newline\n\"next\"", {"ends at newline", "next"}},
        {"a\rb", {"a\rb"}},
        {"a b c", {"a", "b", "c"}, 3, 3},
        {"a b c d", {"a", "b", "c"}, -1, 3},
        {"a b c   ", {"a", "b", "c"}, 3, 3},
        {"a b c \"\"", {"a", "b", "c"}, -1, 3},
        {"", {}, 0, 0},
        {"a", {}, -1, 0}};
    for (const Row& row : rows) {
        const int64_t result = row.result == -2 ? std::ssize(row.words) : row.result;
        EXPECT_EQ(split(row.text, row.capacity), std::pair(result, row.words))
            << row.text << ", capacity " << row.capacity;
    }
    char* vector[2] = {nullptr, reinterpret_cast<char*>(&vector)};
    EXPECT_EQ(SplitArguments(nullptr, vector, 1), 0);
    EXPECT_EQ(vector[0], nullptr);
}

std::optional<std::string> found(const std::string& program,
                                 const std::optional<std::string>& search_path) {
    char* path = find_program(program.c_str(), search_path ? search_path->c_str() : nullptr);
    if (!path) return std::nullopt;
    std::string result = path;
    std::free(path);
    return result;
}

// A name without a slash is looked for in each PATH element in turn, the first runnable file
// winning; a name holding a slash is taken as it is, from the working folder when relative. The
// folders hold things named "tool": a directory, an empty executable file, a file that may not be
// executed, and runnable files.
TEST(ProgramSearch, TakesTheFirstPathElementThatHoldsARunnableFileOrTheNamedOne) {
    const TemporaryFolder folder{"zerarazi process "};
    const fs::path root = folder.path();
    for (const char* place : {"dir/tool", "empty", "plain", "first", "second", "sub/x"})
        fs::create_directories(root / place);
    write_file(root / "empty/tool", "", fs::perms::owner_all);
    write_file(root / "plain/tool", "#!/bin/sh\n", fs::perms::owner_read | fs::perms::owner_write);
    for (const char* runnable : {"first/tool", "second/tool", "sub/x/tool"})
        write_file(root / runnable, "#!/bin/sh\n", fs::perms::owner_all);
    const ScopedWorkingDirectory inside(root);
    auto in = [&](const char* name) { return (root / name).string(); };
    const std::string dir = in("dir"), empty = in("empty"), plain = in("plain");
    const std::string first = in("first"), second = in("second"),
                      with_sub = first + ":" + in("sub");
    const std::tuple<std::string, std::optional<std::string>, std::optional<std::string>> rows[] = {
        {"tool", dir + ":" + empty + ":" + plain + ":" + first + ":" + second, first + "/tool"},
        {"tool", second + ":" + first, second + "/tool"},
        {"tool", "::" + first + "/:", first + "/tool"},
        {"tool", dir + ":" + empty + ":" + plain, std::nullopt},
        {"tool", "", std::nullopt},
        {"tool", std::nullopt, std::nullopt},
        {in("second/tool"), with_sub, in("second/tool")},
        {in("empty/tool"), with_sub, std::nullopt},
        {in("plain/tool"), with_sub, std::nullopt},
        {in("dir/tool"), with_sub, std::nullopt},
        {"./first/tool", with_sub, "./first/tool"},
        {"first/tool", with_sub, "first/tool"},
        {"./tool", with_sub, std::nullopt},
        {"x/tool", with_sub, std::nullopt},
        {"", with_sub, std::nullopt}};
    for (const auto& [program, search_path, expected] : rows)
        EXPECT_EQ(found(program, search_path), expected)
            << program << ", PATH " << search_path.value_or("(missing)");
}

// A PipeReader on a pipe holding `bytes`, whose write end stays open unless `ended`.
struct ReaderOnPipe {
    ReaderOnPipe(const std::string& bytes, bool ended) {
        int ends[2];
        EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
        EXPECT_EQ(::write(ends[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
        write_end = ended ? (close(ends[1]), -1) : ends[1];
        reader = OpenPipeReader(ends[0], "r");
    }
    ~ReaderOnPipe() {
        if (write_end >= 0) close(write_end);
        ClosePipeReader(reader);
    }
    PipeReader* reader = nullptr;
    int write_end = -1;
};

// Continuation bytes are not checked; a character above U+10FFFF or overlong is U+FFFD.
TEST(PipeReader, ReadsCharactersOfEveryLengthAndEndsWhenTheDescriptorFails) {
    const std::pair<std::string, uint32_t> rows[] = {
        {"A", 0x41},
        {"\xC3\xA9", 0xE9},
        {"\xE2\x82\xAC", 0x20AC},
        {"\xC3\x29", 0xE9},
        {"\xF0\x9F\x98\x80", 0xDE00D83D},
        {"\xF4\x90\x80\x80", 0xFFFD},
        {"\x80", 0x20},
        {"\xF0\x80\x80\x80", 0xFFFD},
        {"\xF8\x80", 0x20},
    };
    for (const auto& [bytes, expected] : rows)
        EXPECT_EQ(ReadPipeCharacter(ReaderOnPipe(bytes, true).reader), expected)
            << ::testing::PrintToString(bytes);
    EXPECT_EQ(ReadPipeCharacter(ReaderOnPipe("\xE2\x82", true).reader), pipe_no_byte);
    // A descriptor that fails for good used to be polled forever, as if data might still come.
    const HangGuard guard;
    ReaderOnPipe pipe("ab", false);
    char bytes[2] = {};
    EXPECT_EQ(ReadPipeBytes(pipe.reader, bytes, 2), 2u);
    EXPECT_EQ(std::string(bytes, 2), "ab");
    // A directory under the stream's descriptor: reading it fails with EISDIR.
    const int folder = open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dup2(folder, fileno(pipe.reader->stream)), 0);
    close(folder);
    EXPECT_EQ(ReadPipeBytes(pipe.reader, bytes, 1), 0u);
    EXPECT_EQ(PipeAtEnd(pipe.reader), 1);
    EXPECT_EQ(ReadPipeByte(pipe.reader), pipe_no_byte);
    EXPECT_EQ(std::tuple(OpenPipeReader(-1, "r"), ClosePipeReader(nullptr)),
              std::tuple(nullptr, EOF));
}

} // namespace
} // namespace rt

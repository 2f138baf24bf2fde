#include "runtime/core/process_runner.h"

#include "runtime/core/argument_split.h"
#include "runtime/core/pipe_reader.h"
#include "runtime/core/program_search.h"
#include "runtime/core/rt_string.h"
#include "tests/runtime/core/process_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace rt {
namespace {

using namespace process_testing;
namespace fs = std::filesystem;

constexpr int32_t open_and_wait = LaunchOpen | LaunchWait;

std::string read_all(PipeReader* reader) {
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const uint64_t got = ReadPipeBytes(reader, buffer, sizeof buffer);
        bytes.append(buffer, got);
        if (got < sizeof buffer) return bytes;
    }
}

int open_descriptor_count() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

// Every test runs its programs from the test programs' folder alone.
class ProcessRunner : public ::testing::Test {
  protected:
    void SetUp() override { InitProcesses(); }

    ProcessRecord* open_process(const char16_t* program, const String& arguments, int32_t flags,
                                ProcessRecord* input_source = nullptr) {
        const int64_t result =
            LaunchProcessEx(program, arguments.c_str(), u"", flags | LaunchOpen, input_source);
        ProcessRecord* record = launched_process(result);
        EXPECT_NE(record, nullptr) << "launch result " << result;
        return record;
    }

    EchoReport echo(const String& arguments, const String& directory = u"") {
        const int64_t result = LaunchProcessEx(u"echo_args", arguments.c_str(), directory.c_str(),
                                               open_and_wait | LaunchReadOutput, nullptr);
        ProcessRecord* record = launched_process(result);
        if (!record) return {};
        EXPECT_EQ(record->exit_code, 0);
        return parse_echo_report(read_all(record->output_reader));
    }

  private:
    EnvironmentScope m_path{"PATH", programs_folder()};
    HangGuard m_guard;
};

TEST_F(ProcessRunner, FailsWithoutForkingWhenTheProgramCannotBeRun) {
    TemporaryFolder elsewhere{"zerarazi process "};
    const ScopedWorkingDirectory inside(elsewhere.path());
    const std::optional<std::string> programs = programs_folder();
    struct Row {
        std::u16string program;
        std::optional<std::string> search_path;
    };
    const Row rows[] = {{u"no_such_program", programs},
                        {u"./echo_args", programs}, // not in this folder
                        {u"echo_args", std::nullopt},
                        {u"", programs}};
    for (const Row& row : rows) {
        const EnvironmentScope path("PATH", row.search_path);
        for (const int32_t flags : {0, LaunchWait, LaunchOpen | LaunchReadOutput}) {
            const int forks = fork_count();
            const int descriptors = open_descriptor_count();
            EXPECT_EQ(LaunchProcessFlags(row.program.c_str(), u"x", u"", flags), 0)
                << "program " << String(row.program).utf8() << ", flags " << flags;
            EXPECT_EQ(fork_count(), forks) << "program " << String(row.program).utf8();
            EXPECT_EQ(open_descriptor_count(), descriptors);
        }
    }
}

TEST_F(ProcessRunner, AFailedPipeIsReportedByItsErrnoAfterTheLaunchGivesBackWhatItHeld) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int descriptors = open_descriptor_count();
    const int lowest_free = dup(0);
    ASSERT_GE(lowest_free, 0);
    close(lowest_free);
    rlimit low = saved;
    low.rlim_cur = static_cast<rlim_t>(lowest_free + 1); // room for one pipe end, not two
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    errno = 0;
    const int64_t launched =
        LaunchProcessFlags(u"echo_args", u"x", u"", LaunchOpen | LaunchReadOutput);
    const int error = errno;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(launched, 0);
    EXPECT_EQ(error, EMFILE);
    EXPECT_EQ(open_descriptor_count(), descriptors);
}

// With LaunchWait the exit code is set before the launch returns: the program's own, 1 for a
// signal, 1 when the program cannot be executed once started, and a script without interpreter
// line runs through the shell.
TEST_F(ProcessRunner, LaunchWaitSetsTheExitCodeBeforeReturning) {
    TemporaryFolder folder{"zerarazi process "};
    write_file(folder.path() / "script", "exit 5\n", fs::perms::owner_all);
    const std::string programs = programs_folder() + ":" + folder.path().string();
    const String elsewhere = String::from_utf8(folder.path().string());
    const ScopedWorkingDirectory inside(programs_folder());
    struct Row {
        const char16_t* program;
        const char16_t* arguments;
        const char16_t* directory;
        int32_t expected;
    };
    const Row rows[] = {
        {u"exit_with", u"0", u"", 0},
        {u"exit_with", u"7", u"", 7},
        {u"exit_with", u"255", u"", 255},
        {u"exit_with", u"signal", u"", 1},
        {u"script", u"", u"", 5},
        // Found here, but looked for again after the change of directory, where it is missing.
        {u"./echo_args", u"", elsewhere.c_str(), 1}};
    const EnvironmentScope path("PATH", programs);
    for (const Row& row : rows) {
        SCOPED_TRACE(String(row.program).utf8() + " " + String(row.arguments).utf8());
        ProcessRecord* record = launched_process(
            LaunchProcessEx(row.program, row.arguments, row.directory, open_and_wait, nullptr));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->exit_code, row.expected);
        EXPECT_EQ(record->flags, open_and_wait);
        EXPECT_GT(record->process_id, 0);
    }
}

TEST_F(ProcessRunner, RunsTheProgramInTheGivenDirectoryWithOnlyTheStandardDescriptors) {
    TemporaryFolder folder{"zerarazi process "};
    const int stray = open("/dev/null", O_RDONLY); // deliberately without close-on-exec
    ASSERT_GE(stray, 3);
    const EchoReport report = echo(u"", String::from_utf8(folder.path().string()));
    close(stray);
    EXPECT_EQ(report.cwd, fs::canonical(folder.path()).string());
    EXPECT_EQ(report.descriptors, "0,1,2");
    EXPECT_EQ(echo(u"", u"/no/such/directory").cwd, fs::current_path().string());
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
    EXPECT_EQ(open_descriptor_count(), descriptors + 1);
    EXPECT_EQ(std::tuple(errors->output_reader, errors->input_stream),
              std::tuple(nullptr, nullptr));
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
    EXPECT_EQ(exit_code_when_ended(second), 0);
    EXPECT_EQ(exit_code_when_ended(first), 0);
    EXPECT_EQ(process_exit_code(nullptr), -1);
}

TEST_F(ProcessRunner, ShortFormsStartTheProgramWithoutAnObject) {
    TemporaryFolder folder{"zerarazi process "};
    const fs::path report = folder.path() / "report";
    const EnvironmentScope report_variable("ECHO_ARGS_REPORT", report.string());
    // With LaunchWait alone the answer comes after the program ended.
    EXPECT_EQ(LaunchProcessFlags(u"echo_args", u"x", u"", LaunchWait), 1);
    EXPECT_EQ(parse_echo_report(file_bytes(report)).arguments,
              (std::vector<std::string>{"echo_args", "x"}));
    EXPECT_EQ(launched_process(1), nullptr);
    // Without flags it is started detached, and the answer may come before it runs.
    fs::remove(report);
    EXPECT_EQ(LaunchProcessFlags(u"echo_args", u"y", u"", 0), 1);
    for (int tries = 0; tries < 500 && file_bytes(report).empty(); ++tries)
        usleep(10000);
    EXPECT_EQ(parse_echo_report(file_bytes(report)).arguments,
              (std::vector<std::string>{"echo_args", "y"}));
}

struct Split {
    int64_t result;
    std::vector<std::string> words;
};

Split split(const std::string& text, int64_t capacity = 8) {
    std::string buffer = text;
    std::vector<char*> vector(static_cast<size_t>(capacity) + 2, nullptr);
    char sentinel = 0;
    vector.back() = &sentinel;
    Split result{SplitArguments(buffer.data(), vector.data(), capacity), {}};
    for (size_t i = 0; vector[i]; ++i) {
        if (vector[i] == &sentinel) {
            ADD_FAILURE() << "the vector for \"" << text << "\" has no null within its capacity";
            break;
        }
        result.words.emplace_back(vector[i]);
    }
    EXPECT_EQ(vector.back(), &sentinel) << "written past the vector for \"" << text << "\"";
    return result;
}

// A row's result is its word count unless it says otherwise; its vector holds 8 words unless it
// says otherwise.
TEST(ArgumentSplit, CutsWordsByTheQuoteAndSeparatorRules) {
    struct Row {
        std::string text;
        std::vector<std::string> words;
        int64_t result = -2;
        int64_t capacity = 8;
    };
    const Row rows[] = {{"", {}},
                        {" \t\n ", {}},
                        {"load \"/Users/a b/Library/My Agents/x.plist\"",
                         {"load", "/Users/a b/Library/My Agents/x.plist"}},
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
        SCOPED_TRACE("text: " + row.text + ", capacity " + std::to_string(row.capacity));
        const Split result = split(row.text, row.capacity);
        EXPECT_EQ(result.result,
                  row.result == -2 ? static_cast<int64_t>(row.words.size()) : row.result);
        EXPECT_EQ(result.words, row.words);
    }
    char* vector[2] = {nullptr, reinterpret_cast<char*>(&vector)};
    EXPECT_EQ(SplitArguments(nullptr, vector, 1), 0);
    EXPECT_EQ(vector[0], nullptr);
}

using process_testing::write_file;
namespace fs = std::filesystem;

constexpr auto executable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec;
constexpr auto readable = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;

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
    write_file(root / "empty/tool", "", executable);
    write_file(root / "plain/tool", "#!/bin/sh\n", readable);
    for (const char* runnable : {"first/tool", "second/tool", "sub/x/tool"})
        write_file(root / runnable, "#!/bin/sh\n", executable);
    const process_testing::ScopedWorkingDirectory inside(root);
    auto in_root = [&](const char* name) { return (root / name).string(); };
    const std::string dir = in_root("dir"), empty = in_root("empty"), plain = in_root("plain");
    const std::string first = in_root("first"), second = in_root("second");
    const std::string with_sub = first + ":" + in_root("sub");
    struct Row {
        std::string program;
        std::optional<std::string> search_path;
        std::optional<std::string> expected;
    };
    const Row rows[] = {
        {"tool", dir + ":" + empty + ":" + plain + ":" + first + ":" + second, first + "/tool"},
        {"tool", second + ":" + first, second + "/tool"},
        {"tool", "::" + first + "/:", first + "/tool"},
        {"tool", dir + ":" + empty + ":" + plain, std::nullopt},
        {"tool", "", std::nullopt},
        {"tool", std::nullopt, std::nullopt},
        {in_root("second/tool"), with_sub, in_root("second/tool")},
        {in_root("empty/tool"), with_sub, std::nullopt},
        {in_root("plain/tool"), with_sub, std::nullopt},
        {in_root("dir/tool"), with_sub, std::nullopt},
        {"./first/tool", with_sub, "./first/tool"},
        {"first/tool", with_sub, "first/tool"},
        {"./tool", with_sub, std::nullopt},
        {"x/tool", with_sub, std::nullopt},
        {"", with_sub, std::nullopt}};
    for (const Row& row : rows) {
        EXPECT_EQ(found(row.program, row.search_path), row.expected)
            << "program " << row.program << ", PATH " << row.search_path.value_or("(missing)");
    }
}

// A PipeReader on a pipe holding `bytes`, whose write end stays open unless `ended`.
struct ReaderOnPipe {
    ReaderOnPipe(const std::string& bytes, bool ended) {
        int ends[2];
        EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
        EXPECT_EQ(::write(ends[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
        write_end = ended ? (close(ends[1]), -1) : ends[1];
        reader = OpenPipeReader(ends[0], "r");
        EXPECT_NE(reader, nullptr);
    }
    ~ReaderOnPipe() {
        if (write_end >= 0) close(write_end);
        ClosePipeReader(reader);
    }
    PipeReader* reader = nullptr;
    int write_end = -1;
};

TEST(PipeReader, ReadsCharactersOfEveryLength) {
    struct Row {
        std::string bytes;
        uint32_t expected;
    };
    const Row rows[] = {{"A", 0x41},
                        {"\xC3\xA9", 0xE9},
                        {"\xE2\x82\xAC", 0x20AC},
                        {"\xF0\x9F\x98\x80", 0xDE00D83D},
                        {"\xC3\x29", 0xE9},           // continuation bytes are not checked
                        {"\xF4\x90\x80\x80", 0xFFFD}, // above U+10FFFF
                        {"\xF0\x80\x80\x80", 0xFFFD}, // overlong
                        {"\x80", 0x20},
                        {"\xF8\x80", 0x20},
                        {"\xE2\x82", pipe_no_byte}};
    for (const Row& row : rows) {
        ReaderOnPipe pipe(row.bytes, true);
        EXPECT_EQ(ReadPipeCharacter(pipe.reader), row.expected)
            << "bytes: " << ::testing::PrintToString(row.bytes);
    }
}

// A descriptor that fails for good used to be polled forever, as if data might still come.
TEST(PipeReader, EndsWhenTheDescriptorFails) {
    const process_testing::HangGuard guard;
    ReaderOnPipe pipe("ab", false);
    char bytes[2] = {};
    EXPECT_EQ(ReadPipeBytes(pipe.reader, bytes, 2), 2u);
    EXPECT_EQ(std::string(bytes, 2), "ab");
    // Put a directory under the stream's descriptor: reading it fails with EISDIR.
    const int folder = open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    ASSERT_GE(dup2(folder, fileno(pipe.reader->stream)), 0);
    close(folder);
    char byte = 0;
    EXPECT_EQ(ReadPipeBytes(pipe.reader, &byte, 1), 0u);
    EXPECT_EQ(PipeAtEnd(pipe.reader), 1);
    EXPECT_EQ(ReadPipeByte(pipe.reader), pipe_no_byte);
    EXPECT_EQ(OpenPipeReader(-1, "r"), nullptr);
    EXPECT_EQ(ClosePipeReader(nullptr), EOF);
}

} // namespace
} // namespace rt

#include "runtime/core/process_start.h"

#include "tests/runtime/core/process_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace rt {
namespace {

using namespace process_testing;

// A ChildPlan for a test program and its arguments, the vector with the spare entries in front.
struct Plan {
    Plan(const std::string& program, std::vector<std::string> arguments)
        : words(std::move(arguments)) {
        words.insert(words.begin(), program_path(program));
        entries.assign(child_vector_spare, nullptr);
        for (std::string& word : words)
            entries.push_back(word.data());
        entries.push_back(nullptr);
        plan.exec_path = words[0].c_str();
        plan.vector = entries.data();
    }
    std::vector<std::string> words;
    std::vector<char*> entries;
    ChildPlan plan{};
};

TEST(ProcessStart, ChildFindsAnIgnoredSigpipeAtItsDefault) {
    const HangGuard guard;
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGPIPE, &ignore, &previous), 0);
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    close(ends[0]); // nobody will read: the first write raises SIGPIPE
    Plan print("print_bytes", {"100000"});
    print.plan.stdout_source = ends[1];
    const pid_t pid = start_child(print.plan);
    close(ends[1]);
    sigaction(SIGPIPE, &previous, nullptr);
    ASSERT_GT(pid, 0);
    int status = -1;
    ASSERT_EQ(wait_for_process(pid, &status), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << "status " << status;
    EXPECT_EQ(exit_code_of(status), 1);
}

// The detached program is no child of this process: the middle process that started it is reaped
// before start_detached returns, and the program reports its own parent.
TEST(ProcessStart, ADetachedProgramIsNoChildOfTheCaller) {
    const HangGuard guard;
    TemporaryFolder folder{"zerarazi process "};
    const std::string report = (folder.path() / "report").string();
    const EnvironmentScope report_variable("ECHO_ARGS_REPORT", report.c_str());
    const pid_t program = start_detached(Plan("echo_args", {"one", "two"}).plan);
    ASSERT_GT(program, 0);
    errno = 0;
    EXPECT_EQ(waitpid(program, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    for (int tries = 0; tries < 500 && file_bytes(report).empty(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string text = file_bytes(report);
    EXPECT_NE(text.find("pid=" + std::to_string(program) + "\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("ppid=" + std::to_string(getpid()) + "\n"), std::string::npos) << text;
    EXPECT_EQ(parse_echo_report(text).arguments,
              (std::vector<std::string>{program_path("echo_args"), "one", "two"}));
}

int g_input_end = -1;
void close_input(int) {
    close(g_input_end);
}

// A signal that interrupts the wait (a handler without SA_RESTART) does not end it: the program
// reads its input to the end, which the handler closes, and only then exits.
TEST(ProcessStart, WaitingOutlastsAnInterruptingSignal) {
    struct sigaction action = {};
    struct sigaction previous = {};
    action.sa_handler = close_input;
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    g_input_end = ends[1];
    Plan exit_with("exit_with", {"3", "after-input"});
    exit_with.plan.stdin_source = ends[0];
    const pid_t pid = start_child(exit_with.plan);
    close(ends[0]);
    ASSERT_GT(pid, 0);
    std::thread interrupter([waiter = pthread_self()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pthread_kill(waiter, SIGUSR1);
    });
    int status = -1;
    const pid_t waited = wait_for_process(pid, &status);
    interrupter.join();
    sigaction(SIGUSR1, &previous, nullptr);
    if (waited != pid) waitpid(pid, nullptr, 0);
    ASSERT_EQ(waited, pid);
    EXPECT_EQ(exit_code_of(status), 3);
}

} // namespace
} // namespace rt

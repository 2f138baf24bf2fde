#include "runtime/core/process_start.h"

#include "tests/runtime/core/process_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace rt {
namespace {

using namespace process_testing;

// A ChildPlan's vector for `words`, with the spare entries in front.
class Vector {
  public:
    explicit Vector(std::vector<std::string> words) : m_words(std::move(words)) {
        m_entries.assign(child_vector_spare, nullptr);
        for (std::string& word : m_words)
            m_entries.push_back(word.data());
        m_entries.push_back(nullptr);
    }
    char** get() { return m_entries.data(); }

  private:
    std::vector<std::string> m_words;
    std::vector<char*> m_entries;
};

struct Pipe {
    int read_end = -1;
    int write_end = -1;
    Pipe() {
        int ends[2];
        EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
        read_end = ends[0];
        write_end = ends[1];
    }
};

std::string read_to_end(int descriptor) {
    std::string bytes;
    char buffer[4096];
    for (ssize_t got; (got = read(descriptor, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

int wait_status(pid_t pid) {
    int status = -1;
    EXPECT_EQ(wait_for_process(pid, &status), pid);
    return status;
}

// A parent whose descriptors 0 and 1 are the ends it hands over, crosswise, used to get its
// output pipe placed on the child's input as well.
TEST(ProcessStart, PlacesSourcesThatAreThemselvesStandardDescriptors) {
    const HangGuard guard;
    Pipe input;
    Pipe output;
    const int saved_in = dup(0);
    const int saved_out = dup(1);
    ASSERT_GE(saved_in, 0);
    ASSERT_GE(saved_out, 0);
    dup2(output.write_end, 0);
    dup2(input.read_end, 1);
    std::string path = program_path("copy_input");
    Vector vector({path});
    ChildPlan plan;
    plan.exec_path = path.c_str();
    plan.vector = vector.get();
    plan.stdin_source = 1;
    plan.stdout_source = 0;
    const pid_t pid = start_child(plan);
    dup2(saved_in, 0);
    dup2(saved_out, 1);
    close(saved_in);
    close(saved_out);
    close(input.read_end);
    close(output.write_end);
    ASSERT_GT(pid, 0);
    ASSERT_EQ(write(input.write_end, "crossed", 7), 7);
    close(input.write_end);
    EXPECT_EQ(read_to_end(output.read_end), "crossed");
    close(output.read_end);
    const int status = wait_status(pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(ProcessStart, ChildFindsAnIgnoredSigpipeAtItsDefault) {
    const HangGuard guard;
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGPIPE, &ignore, &previous), 0);
    Pipe output;
    close(output.read_end); // nobody will read: the first write raises SIGPIPE
    std::string path = program_path("print_bytes");
    Vector vector({path, "100000"});
    ChildPlan plan;
    plan.exec_path = path.c_str();
    plan.vector = vector.get();
    plan.stdout_source = output.write_end;
    const pid_t pid = start_child(plan);
    close(output.write_end);
    sigaction(SIGPIPE, &previous, nullptr);
    ASSERT_GT(pid, 0);
    const int status = wait_status(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << "status " << status;
    EXPECT_EQ(exit_code_of(status), 1);
}

} // namespace
} // namespace rt

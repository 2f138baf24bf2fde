#include "runtime/core/process_start.h"

#include "tests/runtime/core/process_test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
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

TEST(ProcessStart, ChildFindsAnIgnoredSigpipeAtItsDefault) {
    const HangGuard guard;
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGPIPE, &ignore, &previous), 0);
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    close(ends[0]); // nobody will read: the first write raises SIGPIPE
    std::string path = program_path("print_bytes");
    Vector vector({path, "100000"});
    ChildPlan plan;
    plan.exec_path = path.c_str();
    plan.vector = vector.get();
    plan.stdout_source = ends[1];
    const pid_t pid = start_child(plan);
    close(ends[1]);
    sigaction(SIGPIPE, &previous, nullptr);
    ASSERT_GT(pid, 0);
    int status = -1;
    ASSERT_EQ(wait_for_process(pid, &status), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << "status " << status;
    EXPECT_EQ(exit_code_of(status), 1);
}

} // namespace
} // namespace rt

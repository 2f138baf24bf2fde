#pragma once
// Helpers for tests that start real programs: the folder of the test programs, a private PATH,
// temporary folders and a fork counter.

#include "tests/support/environment_scope.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <pthread.h>
#include <unistd.h>

namespace rt::process_testing {

inline std::string programs_folder() {
    return ZERARAZI_TEST_PROGRAMS;
}

inline std::string program_path(const std::string& name) {
    return programs_folder() + "/" + name;
}

class ScopedWorkingDirectory {
  public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& folder)
        : m_old(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedWorkingDirectory() { std::filesystem::current_path(m_old); }

  private:
    std::filesystem::path m_old;
};

inline void write_file(const std::filesystem::path& path, const std::string& text,
                       std::filesystem::perms permissions) {
    put_file(path, text);
    std::filesystem::permissions(path, permissions);
}

// Counts the forks of this process (through pthread_atfork), to show that a launch that fails
// early starts nothing.
inline int fork_count() {
    static int count = 0;
    static const bool registered = pthread_atfork([] { ++count; }, nullptr, nullptr) == 0;
    EXPECT_TRUE(registered);
    return count;
}

// Ends the test process with SIGALRM if a test hangs, so that a fault fails instead of blocking
// the run.
class HangGuard {
  public:
    HangGuard() { alarm(120); }
    ~HangGuard() { alarm(0); }
};

struct EchoReport {
    std::string cwd;
    std::string descriptors;
    std::vector<std::string> arguments; // including entry 0
};

inline EchoReport parse_echo_report(const std::string& text) {
    EchoReport report;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("cwd=")) report.cwd = line.substr(4);
        if (line.starts_with("fds=")) report.descriptors = line.substr(4);
        if (line.starts_with("arg=")) report.arguments.push_back(line.substr(4));
    }
    return report;
}

} // namespace rt::process_testing

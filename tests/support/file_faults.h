#pragma once
// Faults of the file system for tests that must run as root too: a disk that fills up, and a
// snapshot of a folder to prove that a failed write touched nothing.

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <sys/resource.h>
#include <system_error>
#include <unistd.h>

namespace test_support {

// Writes to regular files fail with EFBIG beyond `bytes`, as they would on a full disk, for the
// life of the scope. Standard error captured into a file must stay below the limit too.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit m_saved{};
    void (*m_handler)(int) = SIG_DFL;
};

// Every path below `root` with its kind, or a file's bytes: equal snapshots mean that nothing
// was written, moved or left behind. Unreadable files read as empty.
inline std::map<std::string, std::string> tree_of(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> tree;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path& path = it->path();
        if (it->is_symlink(error)) {
            tree[path] = "link to " + fs::read_symlink(path, error).string();
        } else if (it->is_directory(error)) {
            tree[path] = "folder";
        } else {
            std::ifstream in(path, std::ios::binary);
            tree[path] = std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return tree;
}

} // namespace test_support

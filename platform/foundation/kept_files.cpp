#include "platform/foundation/kept_files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr mode_t k_folder_mode = 0700;
// Enough for ".corrupt" to ".corrupt.999"; beyond that the file is not replaced.
constexpr int k_corrupt_name_attempts = 1000;

// A failure on `path` with its errno text: "/home/u/Library: Not a directory".
std::string path_problem(const std::string& path, int error) {
    return path + ": " + std::generic_category().message(error);
}

// Moves the file aside without replacing anything already there.
bool move_aside(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace rename: a new link cannot replace anything either.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    return ::unlink(from.c_str()) == 0 || errno == ENOENT;
}

} // namespace

bool create_folders(const std::string& base, const std::string& folder, std::string& error) {
    for (std::size_t end = base.size() > 1 ? base.size() : 0;; end = folder.find('/', end + 1)) {
        std::string prefix = end == 0 ? "/" : folder.substr(0, end);
        struct stat status {};
        if (::stat(prefix.c_str(), &status) == 0) {
            if (!S_ISDIR(status.st_mode)) {
                error = path_problem(prefix, ENOTDIR);
                return false;
            }
        } else if (errno != ENOENT || prefix.size() <= base.size()) {
            error = path_problem(prefix, errno);
            return false;
        } else if (::mkdir(prefix.c_str(), k_folder_mode) != 0 && errno != EEXIST) {
            error = "mkdir " + path_problem(prefix, errno);
            return false;
        }
        if (end == std::string::npos) return true;
    }
}

bool keep_file_aside(const std::string& path, std::string& aside, std::string& error) {
    for (int attempt = 0; attempt < k_corrupt_name_attempts; ++attempt) {
        aside = path + ".corrupt";
        if (attempt > 0) aside += "." + std::to_string(attempt);
        if (move_aside(path, aside)) return true;
        if (errno == ENOENT) {
            aside.clear();
            return true;
        }
        if (errno != EEXIST) {
            error = "rename: " + std::generic_category().message(errno);
            return false;
        }
    }
    error = "no free name to keep " + path + " aside";
    return false;
}

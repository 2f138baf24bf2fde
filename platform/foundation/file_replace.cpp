#include "platform/foundation/file_replace.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

SystemCall fill_file(int descriptor, std::string_view text, mode_t mode, FileVersion* written) {
    if (SystemCall wrote = write_all(descriptor, text); !wrote.ok()) return wrote;
    if (::fsync(descriptor) != 0) return failed_call("fsync");
    if (::fchmod(descriptor, mode) != 0) return failed_call("fchmod");
    struct stat status {};
    if (written && ::fstat(descriptor, &status) != 0) return failed_call("fstat");
    // The rename that follows keeps the inode, the size and the modification time.
    if (written) *written = file_version_of(status);
    return {};
}

// A hidden name beside the file: the rename that publishes it must not cross file systems.
std::string temporary_name_for(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, base) + "." + path.substr(base) + ".XXXXXX";
}

// Makes the rename itself durable; a failure here leaves a correct file, so it is not reported.
void sync_folder_of(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    (void)::fsync(descriptor);
    ::close(descriptor);
}

} // namespace

SystemCall write_all(int descriptor, std::string_view text) {
    while (!text.empty()) {
        ssize_t count = ::write(descriptor, text.data(), text.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return failed_call("write");
        text.remove_prefix(static_cast<std::size_t>(count));
    }
    return {};
}

FileVersion file_version_of(const struct stat& status) {
    constexpr std::int64_t k_ns_per_second = 1'000'000'000;
    return {status.st_dev, status.st_ino, status.st_size,
            status.st_mtim.tv_sec * k_ns_per_second + status.st_mtim.tv_nsec};
}

std::optional<FileVersion> file_version_at(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return file_version_of(status);
}

SystemCall replace_file_atomically(const std::string& path, std::string_view text, mode_t mode,
                                   FileVersion* written) {
    std::string temporary = temporary_name_for(path);
    int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) return failed_call("mkstemp");
    SystemCall result = fill_file(descriptor, text, mode, written);
    if (::close(descriptor) != 0 && result.ok()) result = failed_call("close");
    if (result.ok() && ::rename(temporary.c_str(), path.c_str()) != 0)
        result = failed_call("rename");
    if (!result.ok()) {
        ::unlink(temporary.c_str());
        return result;
    }
    sync_folder_of(path);
    return {};
}

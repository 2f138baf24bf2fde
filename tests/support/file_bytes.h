#pragma once
// Whole files as bytes, for tests that write a file and read it back.

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <sys/stat.h>

// The file's bytes; empty when it cannot be read.
inline std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes `bytes` as the whole file at `path`, making or emptying it first.
inline void put_file(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
}

// The permission bits of the file at `path`; 0 when it cannot be examined.
inline unsigned file_mode(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

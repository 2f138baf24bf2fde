#pragma once
// A fresh folder for a test, removed with everything in it at the end of the scope.

#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <string>
#include <string_view>
#include <system_error>

class TemporaryFolder {
  public:
    // Made in the system's temporary folder under `name` followed by six random characters.
    explicit TemporaryFolder(std::string_view name = "zerarazi-test-") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(name) + "XXXXXX")).string();
        if (mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Empty when the folder could not be made.
    const std::filesystem::path& path() const { return m_path; }
    // The path of `name` (relative) inside the folder.
    std::string file(std::string_view name) const { return (m_path / name).string(); }
    std::string operator/(std::string_view name) const { return file(name); }

    // Writes `text` to the file at `name` (relative), making its folders; returns its path.
    std::string write(std::string_view name, std::string_view text) const {
        std::filesystem::path file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

  private:
    std::filesystem::path m_path;
};

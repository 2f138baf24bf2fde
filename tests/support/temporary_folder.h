#pragma once
// A fresh folder for a test, removed with everything in it at the end of the scope.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

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

    // The names in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path m_path;
};

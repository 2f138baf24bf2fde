#pragma once
// A fresh folder for a test, removed with everything in it at the end of the scope.

#include <filesystem>
#include <stdlib.h>
#include <string>
#include <string_view>
#include <system_error>

// In a namespace of its own: other test executables' folders of the same name must not meet it
// at link time.
namespace test_support {

class TemporaryFolder {
  public:
    // Made in the system's temporary folder under `name` followed by six random characters.
    explicit TemporaryFolder(std::string_view name) {
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
    std::filesystem::path path() const { return m_path; }
    // The path of `name` inside the folder.
    std::string file(std::string_view name) const { return m_path + "/" + std::string(name); }

  private:
    std::string m_path;
};

} // namespace test_support

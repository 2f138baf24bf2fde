#pragma once
// Helpers for the launch-agent tests: a private folder that is removed afterwards, and small file
// readers and writers.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <string_view>

// A fresh folder for the test, removed with everything in it at the end.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "launchd-test-XXXXXX").string();
        if (mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(std::string_view name) const { return m_path + "/" + std::string(name); }

  private:
    std::string m_path;
};

inline std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes `text` to `path`, making the folders above it.
inline void put_file(const std::string& path, std::string_view text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(text.data(), std::ssize(text));
}

// A property list holding a dictionary with `body` as its entries.
inline std::string plist_dictionary(std::string_view body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" +
           std::string(body) + "</dict>\n</plist>\n";
}

// The agent file the indicator writes for a bundle at `bundle_path`.
inline std::string indicator_agent(std::string_view bundle_path) {
    return plist_dictionary(
        "\t<key>Label</key>\n\t<string>org.zerarazi.Zerarazi</string>\n"
        "\t<key>ProgramArguments</key>\n\t<array>\n"
        "\t\t<string>/usr/bin/open</string>\n\t\t<string>" +
        std::string(bundle_path) +
        "</string>\n\t</array>\n"
        "\t<key>RunAtLoad</key>\n\t<true/>\n\t<key>KeepAlive</key>\n\t<false/>\n"
        "\t<key>LimitLoadToSessionType</key>\n\t<string>Aqua</string>");
}

#pragma once
// Battery sources for the platform tests: a private temporary folder to put recordings and
// power_supply trees in, and ZERARAZI_BATTERY pointed at one of them for the length of a test.

#include "platform/iokit/battery_provider.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace battery {

class BatterySourceFiles {
  public:
    BatterySourceFiles() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "battery-test-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_folder = pattern;
        if (const char* setting = std::getenv("ZERARAZI_BATTERY")) m_saved_setting = setting;
    }
    ~BatterySourceFiles() {
        if (m_saved_setting) {
            ::setenv("ZERARAZI_BATTERY", m_saved_setting->c_str(), 1);
        } else {
            ::unsetenv("ZERARAZI_BATTERY");
        }
        reselect_battery_provider();
        std::error_code ignored;
        if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
    }
    BatterySourceFiles(const BatterySourceFiles&) = delete;
    BatterySourceFiles& operator=(const BatterySourceFiles&) = delete;

    const std::filesystem::path& folder() const { return m_folder; }

    // Writes the file, making its folders; returns its path.
    std::filesystem::path write(const std::filesystem::path& relative, const std::string& text) {
        const std::filesystem::path path = m_folder / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
        return path;
    }

    // Makes the battery platform read from the file or folder.
    static void use_source(const std::filesystem::path& path) {
        ::setenv("ZERARAZI_BATTERY", path.c_str(), 1);
        reselect_battery_provider();
    }

  private:
    std::filesystem::path m_folder;
    std::optional<std::string> m_saved_setting;
};

// An XML property list around the body.
inline std::string property_list(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           body + "\n</plist>\n";
}

} // namespace battery

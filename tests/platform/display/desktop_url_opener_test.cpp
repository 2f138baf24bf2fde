#include "platform/display/desktop_url_opener.h"

#include "tests/support/environment_scope.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Command = std::vector<std::string>;

const std::string k_battery(k_battery_settings_url);

TEST(DesktopUrlOpener, ChoosesTheProgramForEachAddressAndDesktop) {
    struct Case {
        std::string url;
        const char* desktop;
        Command expected;
    };
    const Command gnome = {"gnome-control-center", "power"};
    const Case cases[] = {
        {"https://example.org/apps", "GNOME", {"xdg-open", "https://example.org/apps"}},
        {"http://example.org/a b", "", {"xdg-open", "http://example.org/a b"}},
        {k_battery, "GNOME", gnome},
        {k_battery, "ubuntu:GNOME", gnome},
        {k_battery, "gnome", gnome},
        {k_battery, "KDE", {"systemsettings", "kcm_powerdevilprofilesconfig"}},
        {k_battery, "XFCE", {"xfce4-power-manager-settings"}},
        {k_battery, "X-Cinnamon:XFCE:GNOME", {"xfce4-power-manager-settings"}},
        {k_battery, "LXQt", {}},
        {k_battery, "GNOMEISH", {}},
        {"x-apple.systempreferences:com.apple.preference.security", "GNOME", {}},
        {"no scheme at all", "GNOME", {}},
        {"-x:option-like", "GNOME", {}},
        {"", "GNOME", {}}};
    for (const Case& row : cases) {
        Command command = desktop_command_for_url(row.url, row.desktop);
        EXPECT_EQ(command, row.expected) << "url: " << row.url << ", desktop: " << row.desktop;
    }
}

// A private PATH holding only a fake program that writes its arguments, one a line, to a file
// named after it.
struct FakeProgramFolder : TemporaryFolder {
    explicit FakeProgramFolder(const std::string& program) : record(file(program + ".args")) {
        const std::string script =
            write(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + record +
                               ".part\"\n/bin/mv \"" + record + ".part\" \"" + record + "\"\n");
        ::chmod(script.c_str(), 0755);
    }
    // The recorded arguments once the program has run, waiting at most five seconds.
    std::string recorded_arguments() const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!fs::exists(record) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return file_bytes(record);
    }
    std::string record;
};

TEST(DesktopUrlOpener, StartsTheOpenerWithTheAddressAsOneArgumentWhenItCan) {
    FakeProgramFolder fake("xdg-open");
    EnvironmentScope desktop("XDG_CURRENT_DESKTOP", "KDE");
    {
        EnvironmentScope path("PATH", (fake.path() / "none").c_str());
        EXPECT_FALSE(open_url_on_desktop("https://example.org/"));
    }
    EnvironmentScope path("PATH", fake.path().c_str());
    EXPECT_FALSE(open_url_on_desktop(k_battery)) << "no systemsettings";
    EXPECT_FALSE(open_url_on_desktop("x-apple.systempreferences:other"));
    ASSERT_TRUE(open_url_on_desktop("https://example.org/a b?x=1&y=$HOME"));
    EXPECT_EQ(fake.recorded_arguments(), "https://example.org/a b?x=1&y=$HOME\n");
}

} // namespace

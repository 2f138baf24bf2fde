#include "platform/launchd/launchctl_command.h"

#include "tests/platform/launchd/launchd_test_support.h"
#include "tests/support/environment_scope.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* k_agent_name = "Library/LaunchAgents/org.zerarazi.Zerarazi.plist";
constexpr const char* k_entry_name = ".config/autostart/org.zerarazi.Zerarazi.desktop";

struct LaunchctlHome {
    TemporaryFolder folder{"launchd-test-"};
    EnvironmentScope home{"HOME", folder.path().c_str()};
    EnvironmentScope config{"XDG_CONFIG_HOME", nullptr};
    std::string agent_file = folder.file(k_agent_name);
    std::string entry = folder.file(k_entry_name);
    std::ostringstream errors;

    int run(std::vector<std::string> arguments) { return run_launchctl(arguments, errors); }
};

} // namespace

TEST(LaunchctlCommand, LoadWritesThePrivateEntryAndUnloadRemovesItByTheFileName) {
    LaunchctlHome home;
    home.folder.write(k_agent_name, indicator_agent("/My Apps/Zerarazi.app"));
    ASSERT_EQ(home.run({"load", home.agent_file}), 0) << home.errors.str();
    EXPECT_EQ(file_bytes(home.entry), "[Desktop Entry]\n"
                                      "Type=Application\n"
                                      "Name=Zerarazi\n"
                                      "Exec=\"/My Apps/Zerarazi.app/Contents/MacOS/Zerarazi\"\n"
                                      "Terminal=false\n"
                                      "X-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(file_mode(home.folder.file(".config/autostart")), 0700u);
    EXPECT_EQ(fs::directory_iterator(home.folder.file(".config/autostart"))->path(), home.entry)
        << "no temporary file left behind";

    home.folder.write(k_agent_name,
                      plist_dictionary("<key>Label</key><string>org.zerarazi.Zerarazi</string>"
                                       "<key>ProgramArguments</key><array><string>/bin/z</string>"
                                       "</array>"));
    EXPECT_EQ(home.run({"load", home.agent_file}), 0) << home.errors.str();
    EXPECT_FALSE(fs::exists(home.entry)) << "an agent that does not run at load has no entry";

    // The indicator removes the agent file right after starting unload; the entry must still go.
    home.folder.write(k_agent_name, indicator_agent("/Apps/Zerarazi.app"));
    ASSERT_EQ(home.run({"load", home.agent_file}), 0);
    fs::remove(home.agent_file);
    EXPECT_EQ(home.run({"unload", home.agent_file}), 0);
    EXPECT_FALSE(fs::exists(home.entry));
    EXPECT_EQ(home.run({"unload", "-w", home.folder.file("never.written.plist")}), 0);
    EXPECT_EQ(home.errors.str(), "");
}

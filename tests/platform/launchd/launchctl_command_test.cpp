#include "platform/launchd/launchctl_command.h"

#include "tests/platform/launchd/launchd_test_support.h"
#include "tests/support/environment_scope.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A private home with no configuration folder yet, and the agent file the indicator writes.
struct LaunchctlHome {
    TemporaryFolder folder{"launchd-test-"};
    EnvironmentScope home{"HOME", folder.path().c_str()};
    EnvironmentScope config{"XDG_CONFIG_HOME", nullptr};
    std::string agents = folder.file("Library/LaunchAgents");
    std::string agent_file = agents + "/org.zerarazi.Zerarazi.plist";
    std::string entry = folder.file(".config/autostart/org.zerarazi.Zerarazi.desktop");
    std::ostringstream errors;

    int run(std::vector<std::string> arguments) { return run_launchctl(arguments, errors); }
};

mode_t folder_mode(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return 0;
    return status.st_mode & 07777;
}

std::vector<std::string> names_in(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    return names;
}

TEST(LaunchctlCommand, LoadWritesTheEntryAndUnloadRemovesIt) {
    LaunchctlHome home;
    put_file(home.agent_file, indicator_agent("/My Apps/Zerarazi.app"));

    ASSERT_EQ(home.run({"load", home.agent_file}), 0) << home.errors.str();
    EXPECT_EQ(file_text(home.entry), "[Desktop Entry]\n"
                                     "Type=Application\n"
                                     "Name=Zerarazi\n"
                                     "Exec=\"/My Apps/Zerarazi.app/Contents/MacOS/Zerarazi\"\n"
                                     "Terminal=false\n"
                                     "X-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(folder_mode(home.folder.file(".config")), 0700u);
    EXPECT_EQ(folder_mode(home.folder.file(".config/autostart")), 0700u);
    EXPECT_EQ(names_in(home.folder.file(".config/autostart")),
              std::vector<std::string>{"org.zerarazi.Zerarazi.desktop"});

    ASSERT_EQ(home.run({"unload", home.agent_file}), 0) << home.errors.str();
    EXPECT_FALSE(fs::exists(home.entry));
    EXPECT_TRUE(home.errors.str().empty()) << home.errors.str();
}

TEST(LaunchctlCommand, LoadReplacesAnOlderEntryAndKeepsAnExistingFolderMode) {
    LaunchctlHome home;
    fs::create_directories(home.folder.file(".config/autostart"));
    ::chmod(home.folder.file(".config").c_str(), 0755);
    put_file(home.entry, "[Desktop Entry]\nExec=/old\n");
    put_file(home.agent_file, indicator_agent("/Apps/Zerarazi.app"));

    ASSERT_EQ(home.run({"load", "-w", home.agent_file}), 0) << home.errors.str();
    EXPECT_NE(file_text(home.entry).find("Exec=/Apps/Zerarazi.app/Contents/MacOS/Zerarazi\n"),
              std::string::npos);
    EXPECT_EQ(folder_mode(home.folder.file(".config")), 0755u);
}

// The indicator removes the agent file right after starting unload; the entry must still go.
TEST(LaunchctlCommand, UnloadFindsTheEntryByFileNameWhenTheAgentIsGone) {
    LaunchctlHome home;
    put_file(home.agent_file, indicator_agent("/Apps/Zerarazi.app"));
    ASSERT_EQ(home.run({"load", home.agent_file}), 0) << home.errors.str();
    fs::remove(home.agent_file);

    EXPECT_EQ(home.run({"unload", home.agent_file}), 0) << home.errors.str();
    EXPECT_FALSE(fs::exists(home.entry));
}

TEST(LaunchctlCommand, UnloadOfAnEntryThatIsNotThereSucceeds) {
    LaunchctlHome home;
    put_file(home.agent_file, indicator_agent("/Apps/Zerarazi.app"));
    EXPECT_EQ(home.run({"unload", home.agent_file}), 0) << home.errors.str();
    EXPECT_EQ(home.run({"unload", "-w", home.agents + "/never.written.plist"}), 0);
    EXPECT_TRUE(home.errors.str().empty()) << home.errors.str();
    EXPECT_FALSE(fs::exists(home.folder.file(".config")));
}

TEST(LaunchctlCommand, AnAgentThatDoesNotRunAtLoadHasNoEntry) {
    LaunchctlHome home;
    put_file(home.entry, "[Desktop Entry]\nExec=/old\n");
    put_file(home.agent_file,
             plist_dictionary("<key>Label</key><string>org.zerarazi.Zerarazi</string>"
                              "<key>ProgramArguments</key><array><string>/bin/z</string></array>"));
    EXPECT_EQ(home.run({"load", home.agent_file}), 0) << home.errors.str();
    EXPECT_FALSE(fs::exists(home.entry));
}

TEST(LaunchctlCommand, ReportsAgentsItCannotLoad) {
    LaunchctlHome home;
    const std::pair<const char*, std::string> cases[] = {
        {"missing file", ""},
        {"not a property list", "Label=x\n"},
        {"no ProgramArguments", plist_dictionary("<key>Label</key><string>x.y</string>")},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        std::string file = home.agents + "/bad.plist";
        fs::remove(file);
        if (!text.empty()) put_file(file, text);
        home.errors.str("");
        EXPECT_EQ(home.run({"load", file}), k_launchctl_failure_status);
        EXPECT_NE(home.errors.str().find("launchctl load: "), std::string::npos)
            << home.errors.str();
        EXPECT_FALSE(fs::exists(home.folder.file(".config")));
    }
}

TEST(LaunchctlCommand, RefusesCommandLinesItDoesNotKnow) {
    const std::vector<std::string> cases[] = {
        {}, {"start", "a.plist"}, {"load"}, {"unload", "-w"}, {"load", "-F", "a.plist"},
    };
    for (const std::vector<std::string>& arguments : cases) {
        std::ostringstream errors;
        EXPECT_EQ(run_launchctl(arguments, errors), k_launchctl_usage_status)
            << arguments.size() << " arguments";
        EXPECT_NE(errors.str().find("usage: launchctl load"), std::string::npos);
    }
}

TEST(LaunchctlCommand, FailsWhenTheConfigurationFolderIsAFile) {
    LaunchctlHome home;
    put_file(home.folder.file(".config"), "not a folder");
    put_file(home.agent_file, indicator_agent("/Apps/Zerarazi.app"));
    EXPECT_EQ(home.run({"load", home.agent_file}), k_launchctl_failure_status);
    EXPECT_NE(home.errors.str().find("autostart: mkdir"), std::string::npos) << home.errors.str();
}

} // namespace

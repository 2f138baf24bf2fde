#include "app/start_at_login.h"

#include "app/indicator_state.h"
#include "platform/foundation/ns_user_defaults.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/core/file_objects.h"
#include "runtime/core/process_runner.h"
#include "runtime/core/temp_area.h"
#include "runtime/ui/native_message.h"
#include "tests/support/environment_scope.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace app {
namespace {

namespace fs = std::filesystem;

// A private home and a `launchctl` on PATH that writes its arguments, one per line, to a log.
class StartAtLoginTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rt::InitStrings();
        rt::InitFiles();
        rt::InitProcesses();
        fs::create_directories(m_home / "Library");
        fs::create_directories(m_bin);
        const fs::path program = m_bin / "launchctl";
        std::ofstream(program) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '"
                               << log_file().string() << "'; done\n";
        fs::permissions(program, fs::perms::owner_all);
        reset_standard_user_defaults_for_tests();
        IndicatorState& state = indicator();
        state.DefaultsObject =
            rt::SendNativeMessage(nullptr, 0, u"NSUserDefaults standardUserDefaults");
        state.settings.StartAtLogin = 0;
    }
    void TearDown() override {
        reset_standard_user_defaults_for_tests();
        fs::remove_all(m_root);
    }

    fs::path agent_file() const {
        return m_home / "Library/LaunchAgents/org.zerarazi.Zerarazi.plist";
    }
    fs::path log_file() const { return m_root / "launchctl.log"; }
    std::string log() const {
        std::ifstream in(log_file());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Read back from the file by a fresh defaults object, which the indicator then uses.
    int64_t stored_login() {
        reset_standard_user_defaults_for_tests();
        const int64_t defaults =
            rt::SendNativeMessage(nullptr, 0, u"NSUserDefaults standardUserDefaults");
        indicator().DefaultsObject = defaults;
        return rt::SendNativeMessage(nullptr, defaults, u"integerForKey:$", u"Login");
    }
    // The load runs without waiting; its log line shows up soon after.
    bool log_holds(const std::string& text) const {
        for (int tries = 0; tries < 500; ++tries) {
            if (log().find(text) != std::string::npos) return true;
            usleep(10'000);
        }
        return false;
    }

    AutoreleasePoolScope m_pool;
    fs::path m_root = fs::temp_directory_path() / ("zerarazi-login-" + std::to_string(getpid()));
    fs::path m_home = m_root / "home";
    fs::path m_bin = m_root / "bin";
    EnvironmentScope m_home_scope{"HOME", m_home.c_str()};
    EnvironmentScope m_path_scope{"PATH", (m_bin.string() + ":/usr/bin:/bin").c_str()};
};

TEST_F(StartAtLoginTest, OnWritesAndLoadsTheAgentAndOffUnloadsAndRemovesIt) {
    ToggleStartAtLogin();
    EXPECT_EQ(indicator().settings.StartAtLogin, 1);
    ASSERT_TRUE(fs::exists(agent_file()));
    EXPECT_TRUE(log_holds("load\n" + agent_file().string() + "\n"));
    EXPECT_EQ(stored_login(), 1);

    ToggleStartAtLogin();
    EXPECT_EQ(indicator().settings.StartAtLogin, 0);
    // The unload has finished before the file goes.
    EXPECT_NE(log().find("unload\n" + agent_file().string() + "\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(agent_file()));
    EXPECT_EQ(stored_login(), 0);
}

TEST_F(StartAtLoginTest, AnAgentThatCannotBeInstalledLeavesTheSettingOffAndStoresThat) {
    // A file where the agents folder should be: the folder cannot be made.
    std::ofstream(m_home / "Library/LaunchAgents") << "in the way";
    ToggleStartAtLogin();
    EXPECT_EQ(indicator().settings.StartAtLogin, 0);
    EXPECT_EQ(stored_login(), 0);
    EXPECT_EQ(log(), "");

    // The folder is there but the agent's name is taken by a folder: the file cannot be made.
    fs::remove(m_home / "Library/LaunchAgents");
    fs::create_directories(agent_file());
    ToggleStartAtLogin();
    EXPECT_EQ(indicator().settings.StartAtLogin, 0);
    EXPECT_EQ(stored_login(), 0);
    EXPECT_EQ(log(), "");
}

TEST_F(StartAtLoginTest, TurningOffWithoutAnAgentFileRunsNothing) {
    indicator().settings.StartAtLogin = 1;
    ToggleStartAtLogin();
    EXPECT_EQ(indicator().settings.StartAtLogin, 0);
    EXPECT_EQ(stored_login(), 0);
    EXPECT_EQ(log(), "");
}

} // namespace
} // namespace app

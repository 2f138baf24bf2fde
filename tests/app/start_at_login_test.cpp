#include "app/start_at_login.h"

#include "app/indicator_state.h"
#include "platform/foundation/ns_user_defaults.h"
#include "platform/foundation/problem_report.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/core/file_objects.h"
#include "runtime/core/process_runner.h"
#include "runtime/core/temp_area.h"
#include "runtime/ui/native_message.h"
#include "tests/support/environment_scope.h"
#include "tests/support/file_faults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace app {
namespace {

namespace fs = std::filesystem;

// A private home and a `launchctl` on PATH that writes its arguments, one per line, to a log.
// Turning it on and off as a person does is the end-to-end tests'; here: what cannot be done.
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

    AutoreleasePoolScope m_pool;
    fs::path m_root = fs::temp_directory_path() / ("zerarazi-login-" + std::to_string(getpid()));
    fs::path m_home = m_root / "home";
    fs::path m_bin = m_root / "bin";
    EnvironmentScope m_home_scope{"HOME", m_home.c_str()};
    EnvironmentScope m_path_scope{"PATH", (m_bin.string() + ":/usr/bin:/bin").c_str()};
};

// What a failed Start at Login must leave as it was: all but the settings file, which stores
// the choice whatever happened.
std::map<std::string, std::string> tree_beside_settings(const fs::path& home) {
    std::map<std::string, std::string> tree = test_support::tree_of(home);
    std::erase_if(tree, [](const auto& entry) {
        return entry.first.find("/Library/Preferences") != std::string::npos;
    });
    return tree;
}

// Once the box stayed off without a word, and a full disk left an empty agent behind.
TEST_F(StartAtLoginTest, AnAgentThatCannotBeInstalledIsSaidOnceAndLeavesTheSettingOff) {
    struct Row {
        const char* name;
        std::function<void()> setup;
        std::string said;
        bool full_disk = false;
    };
    const std::string folder = (m_home / "Library/LaunchAgents/").string();
    const Row rows[] = {
        {"the agents folder is a file",
         [&] { std::ofstream(m_home / "Library/LaunchAgents") << "in the way"; },
         folder + " is a file, not a folder"},
        {"Library is a file",
         [&] {
             fs::remove_all(m_home / "Library");
             std::ofstream(m_home / "Library") << "in the way";
         },
         "cannot make the folder " + folder + ": Not a directory"},
        {"the agent's name is taken by a folder", [&] { fs::create_directories(agent_file()); },
         "cannot write " + agent_file().string() + ": Is a directory"},
        {"the disk is full", [] {}, "cannot write " + agent_file().string() + ": File too large",
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(m_home);
        fs::create_directories(m_home / "Library");
        row.setup();
        forget_reported_problems_for_tests();
        std::vector<std::string> reported;
        ProblemHandler previous =
            set_problem_handler([&](const std::string& text) { reported.push_back(text); });
        const auto before = tree_beside_settings(m_home);
        testing::internal::CaptureStderr(); // said there too; checked through the handler
        for (int click = 0; click < 2; ++click) {
            std::optional<test_support::FileSizeLimit> limit;
            if (row.full_disk) limit.emplace(256);
            ToggleStartAtLogin();
            EXPECT_EQ(indicator().settings.StartAtLogin, 0);
        }
        set_problem_handler(previous);
        (void)testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(reported.begin(), reported.end(), "Start at Login: " + row.said), 1)
            << testing::PrintToString(reported);
        EXPECT_EQ(stored_login(), 0);
        EXPECT_EQ(log(), "");
        if (row.full_disk) {
            EXPECT_TRUE(fs::is_empty(m_home / "Library/LaunchAgents"))
                << "no agent, not even an empty one";
        } else {
            EXPECT_EQ(tree_beside_settings(m_home), before);
        }
    }
}

} // namespace
} // namespace app

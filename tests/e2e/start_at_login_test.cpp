// Start at Login as a person meets it: the box, the launch agent file, the launchctl calls (a
// recording stand-in first on PATH, or the bundle's own helper) and the stored choice. The
// agent's exact text is the application's unit tests'.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace e2e {
namespace {

// A launchctl first on PATH that writes each of its arguments on a line of its own into a log.
struct RecordingLaunchctl {
    explicit RecordingLaunchctl(const TempHome& home)
        : folder(home.path() / "fake-bin"), log(home.path() / "launchctl.log") {
        home.write("fake-bin/launchctl", "#!/bin/sh\nfor argument in \"$@\"; do\n"
                                         "  printf '%s\\n' \"$argument\" >> '" +
                                             log.string() + "'\ndone\n");
        fs::permissions(folder / "launchctl", fs::perms::owner_all);
    }
    // The child's environment with this launchctl first on PATH.
    std::vector<std::string> environment() const {
        return {"PATH=" + folder.string() + ":" + std::getenv("PATH")};
    }
    std::string calls() const { return file_bytes(log); }
    // Waits until the log holds exactly `expected`, as the calls may still be running.
    bool made(const std::string& expected) const {
        return wait_until([&] { return calls() == expected; });
    }

    fs::path folder;
    fs::path log;
};

PlistValue stored_login(const TempHome& home) {
    auto stored = read_plist_dictionary(home.preferences_file());
    return stored && stored->count("Login") ? stored->at("Login") : PlistValue{};
}

// The login box (gadget 11) in each line of the open window.
std::vector<int> login_box_states(const AppRun& run) {
    std::vector<int> states;
    for (const auto& window : run.events("window")) {
        if (!window.has("closed"))
            states.push_back(checkbox_states(window).try_emplace(11, -1).first->second);
    }
    return states;
}

TEST(StartAtLogin, WritesTheAgentAndLoadsItThenUnloadsAndRemovesIt) {
    TempHome home("zerarazi e2e login-"); // a blank in every path the program quotes
    RecordingLaunchctl launchctl(home);
    const std::string agent = home.launch_agent_file().string();

    AppRun on =
        run_app(home, {.script = "menu 4\nclick 11\n", .environment = launchctl.environment()});
    ASSERT_TRUE(on.exited_cleanly()) << on.transcript();
    EXPECT_EQ(login_box_states(on), (std::vector{0, 1})) << on.transcript();
    auto written = read_plist_dictionary(home.launch_agent_file());
    ASSERT_TRUE(written) << file_bytes(home.launch_agent_file());
    EXPECT_EQ((*written)["ProgramArguments"],
              (PlistValue{std::vector<std::string>{"/usr/bin/open",
                                                   fs::canonical(built_bundle()).string()}}));
    EXPECT_EQ(stored_login(home), PlistValue{int64_t{1}});
    EXPECT_TRUE(launchctl.made("load\n" + agent + "\n")) << launchctl.calls();

    AppRun off =
        run_app(home, {.script = "menu 4\nclick 11\n", .environment = launchctl.environment()});
    ASSERT_TRUE(off.exited_cleanly()) << off.transcript();
    EXPECT_EQ(login_box_states(off), (std::vector{1, 0})) << off.transcript();
    EXPECT_FALSE(fs::exists(home.launch_agent_file()));
    EXPECT_EQ(stored_login(home), PlistValue{int64_t{0}});
    EXPECT_TRUE(launchctl.made("load\n" + agent + "\nunload\n" + agent + "\n"))
        << launchctl.calls();

    // Turning off with no agent file runs nothing (an unload would have started before the
    // load); turning on again writes the file anew.
    write_plist_dictionary(home.preferences_file(),
                           {{"ShowPercentage", int64_t{1}}, {"Login", int64_t{1}}});
    AppRun again = run_app(
        home, {.script = "menu 4\nclick 11\nclick 11\n", .environment = launchctl.environment()});
    ASSERT_TRUE(again.exited_cleanly()) << again.transcript();
    EXPECT_EQ(stored_login(home), PlistValue{int64_t{1}});
    EXPECT_TRUE(fs::exists(home.launch_agent_file()));
    EXPECT_TRUE(launchctl.made("load\n" + agent + "\nunload\n" + agent + "\nload\n" + agent + "\n"))
        << launchctl.calls();
}

// The second run turns it off, on and off at once, which must not leave the login entry behind:
// the load has finished before the unload starts.
TEST(StartAtLogin, BundledHelperMirrorsTheAgentAsAnAutostartEntry) {
    TempHome home;
    AppRun on = run_app(home, {.script = "menu 4\nclick 11\n"});
    ASSERT_TRUE(on.exited_cleanly()) << on.transcript();
    ASSERT_TRUE(wait_until([&] { return fs::exists(home.autostart_entry()); }))
        << "no autostart entry at " << home.autostart_entry() << "\n"
        << on.transcript();
    const std::string entry = file_bytes(home.autostart_entry());
    EXPECT_NE(entry.find(fs::canonical(bundle_executable(built_bundle())).string()),
              std::string::npos)
        << entry;

    AppRun off = run_app(home, {.script = "menu 4\nclick 11\nclick 11\nclick 11\nclose 1\n"});
    ASSERT_TRUE(off.exited_cleanly()) << off.transcript();
    EXPECT_FALSE(fs::exists(home.launch_agent_file()));
    EXPECT_FALSE(fs::exists(home.autostart_entry())) << file_bytes(home.autostart_entry());
}

// Once the box stayed off without a word. Said once however often the box is clicked, and
// nothing runs; a full disk is the safe file replacement's.
TEST(StartAtLogin, AnAgentThatCannotBeInstalledIsSaidOnceAndLeavesTheBoxOff) {
    struct Case {
        const char* name;
        const char* in_the_way; // a file made there; empty: a folder at the agent's place
        const char* before;     // what is said before the path, and after it
        const char* after;
    };
    const Case cases[] = {
        {"the agents folder is a file", "Library/LaunchAgents", "", " is a file, not a folder"},
        {"Library is a file", "Library", "cannot make the folder ", ": Not a directory"},
        {"a folder has the agent's name", "", "cannot write ", ": Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        RecordingLaunchctl launchctl(home);
        const fs::path agent = home.launch_agent_file();
        if (*c.in_the_way) home.write(c.in_the_way, "in the way");
        if (!*c.in_the_way) fs::create_directories(agent);
        AppRun run = run_app(home, {.script = "menu 4\nclick 11\nclick 11\nclose 1\n",
                                    .environment = launchctl.environment()});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        const std::string path =
            *c.in_the_way ? agent.parent_path().string() + "/" : agent.string();
        const std::string said = "zerarazi: Start at Login: " + (c.before + path + c.after) + "\n";
        const size_t first = run.errors.find(said);
        EXPECT_NE(first, std::string::npos) << run.errors;
        EXPECT_EQ(run.errors.find(said, first + 1), std::string::npos) << run.errors;
        EXPECT_EQ(login_box_states(run), std::vector{0}) << run.transcript();
        EXPECT_NE(stored_login(home), PlistValue{int64_t{1}});
        EXPECT_EQ(launchctl.calls(), "");
        EXPECT_TRUE(!*c.in_the_way || file_bytes(home / c.in_the_way) == "in the way");
    }
}

} // namespace
} // namespace e2e

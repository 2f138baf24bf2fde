// Start at Login: the launch agent file, the launchctl calls (a recording stand-in first on PATH,
// or the bundle's own helper), the autostart entry the helper makes, and the stored choice.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace e2e {
namespace {

using namespace std::chrono_literals;

constexpr const char* k_label = "org.zerarazi.Zerarazi";

std::string expected_agent(const fs::path& bundle) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + property_list_doctype_line() +
           "\n<plist version=\"1.0\">\n<dict>\n\t<key>Label</key>\n\t<string>" + k_label +
           "</string>\n\t<key>ProgramArguments</key>\n\t<array>\n"
           "\t\t<string>/usr/bin/open</string>\n\t\t<string>" +
           bundle.string() +
           "</string>\n\t</array>\n\t<key>RunAtLoad</key>\n\t<true/>\n\t<key>KeepAlive</key>\n"
           "\t<false/>\n\t<key>LimitLoadToSessionType</key>\n\t<string>Aqua</string></dict>\n"
           "</plist>";
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A launchctl that writes each of its arguments on a line of its own into a log.
struct RecordingLaunchctl {
    explicit RecordingLaunchctl(const TempHome& home)
        : folder(home.path() / "fake-bin"), log(home.path() / "launchctl.log") {
        write_text_file(folder / "launchctl", "#!/bin/sh\nfor argument in \"$@\"; do\n"
                                              "  printf '%s\\n' \"$argument\" >> '" +
                                                  log.string() + "'\ndone\n");
        fs::permissions(folder / "launchctl", fs::perms::owner_all);
    }
    std::string path_variable() const {
        const char* own = std::getenv("PATH");
        return folder.string() + ":" + (own ? own : "/usr/bin:/bin");
    }
    std::vector<std::string> calls() const { return lines_of(read_text_file(log).value_or("")); }
    bool has_calls(size_t lines) const { return calls().size() >= lines; }

    fs::path folder;
    fs::path log;
};

std::optional<int64_t> stored_login(const TempHome& home) {
    auto stored = read_plist_dictionary(home.preferences_file());
    if (!stored || !stored->count("Login")) return std::nullopt;
    auto* value = std::get_if<int64_t>(&stored->at("Login"));
    if (!value) return std::nullopt;
    return *value;
}

int login_box_state(const AppRun& run) {
    auto states = std::optional<std::map<int, int>>();
    for (const auto& window : run.events("window")) {
        if (!window.has("closed")) states = checkbox_states(window);
    }
    return states && states->count(11) ? states->at(11) : -1;
}

// A desktop entry value with its escapes (\s, \n, \t, \r, \\) undone.
std::string unescaped_value(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (char next = value[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += next;
        }
    }
    return out;
}

// The arguments of an Exec value: blanks separate them, double quotes group them, and inside
// quotes a backslash takes the next character literally.
std::vector<std::string> exec_arguments(const std::string& value) {
    std::string text = unescaped_value(value);
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    bool started = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size()) {
            current += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if (c == ' ' && !quoted) {
            if (started) arguments.push_back(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started) arguments.push_back(current);
    return arguments;
}

std::optional<std::string> exec_program(const fs::path& entry) {
    auto text = read_text_file(entry);
    if (!text) return std::nullopt;
    for (const auto& line : lines_of(*text)) {
        if (!line.starts_with("Exec=")) continue;
        auto arguments = exec_arguments(line.substr(5));
        if (arguments.empty()) return std::nullopt;
        return arguments.front();
    }
    return std::nullopt;
}

TEST(StartAtLogin, WritesTheAgentAndLoadsItThenUnloadsAndRemovesIt) {
    TempHome home("zerarazi e2e login-"); // a blank in every path the program quotes
    BatteryRecording().write(home.battery_file());
    RecordingLaunchctl launchctl(home);
    std::string agent = home.launch_agent_file().string();

    AppRun on = run_app(home, {.script = "menu 4\nclick 11\n", .path = launchctl.path_variable()});
    ASSERT_TRUE(on.exited_cleanly()) << on.transcript();
    EXPECT_EQ(login_box_state(on), 1) << on.transcript();
    EXPECT_EQ(read_text_file(home.launch_agent_file()),
              expected_agent(fs::canonical(built_bundle())));
    EXPECT_EQ(stored_login(home), 1);
    ASSERT_TRUE(wait_until([&] { return launchctl.has_calls(2); })) << "launchctl never ran";
    EXPECT_EQ(launchctl.calls(), (std::vector<std::string>{"load", agent}));

    AppRun off = run_app(home, {.script = "menu 4\nclick 11\n", .path = launchctl.path_variable()});
    ASSERT_TRUE(off.exited_cleanly()) << off.transcript();
    ASSERT_FALSE(off.events("window").empty()) << off.transcript();
    EXPECT_EQ(checkbox_states(off.events("window").front())[11], 1) << "the stored choice";
    EXPECT_EQ(login_box_state(off), 0) << off.transcript();
    EXPECT_FALSE(fs::exists(home.launch_agent_file()));
    EXPECT_EQ(stored_login(home), 0);
    ASSERT_TRUE(wait_until([&] { return launchctl.has_calls(4); })) << "no unload";
    EXPECT_EQ(launchctl.calls(), (std::vector<std::string>{"load", agent, "unload", agent}));
}

// Turning off with no agent file runs nothing; turning on again writes the file anew.
TEST(StartAtLogin, OffWithoutAnAgentFileOnlyStoresTheChoice) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    write_plist_dictionary(home.preferences_file(),
                           {{"ShowPercentage", int64_t{1}}, {"Login", int64_t{1}}});
    RecordingLaunchctl launchctl(home);
    AppRun run = run_app(
        home, {.script = "menu 4\nclick 11\nclick 11\n", .path = launchctl.path_variable()});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    EXPECT_EQ(stored_login(home), 1);
    EXPECT_TRUE(fs::exists(home.launch_agent_file()));
    ASSERT_TRUE(wait_until([&] { return launchctl.has_calls(2); })) << "no load";
    std::string agent = home.launch_agent_file().string();
    // An unload for the missing file would have started first, before the load.
    EXPECT_EQ(launchctl.calls(), (std::vector<std::string>{"load", agent}));
}

TEST(StartAtLogin, BundledHelperMirrorsTheAgentAsAnAutostartEntry) {
    TempHome home;
    BatteryRecording().write(home.battery_file());

    AppRun on = run_app(home, {.script = "menu 4\nclick 11\n"});
    ASSERT_TRUE(on.exited_cleanly()) << on.transcript();
    ASSERT_TRUE(wait_until([&] { return fs::exists(home.autostart_entry()); }))
        << "no autostart entry at " << home.autostart_entry() << "\n"
        << on.transcript();
    auto program = exec_program(home.autostart_entry());
    ASSERT_TRUE(program) << read_text_file(home.autostart_entry()).value_or("");
    EXPECT_TRUE(fs::equivalent(*program, bundle_executable(built_bundle()))) << *program;

    AppRun off = run_app(home, {.script = "menu 4\nclick 11\n"});
    ASSERT_TRUE(off.exited_cleanly()) << off.transcript();
    EXPECT_TRUE(wait_until([&] { return !fs::exists(home.autostart_entry()); }))
        << "the autostart entry stayed";
    EXPECT_FALSE(fs::exists(home.launch_agent_file()));
}

// Turning it off at once after turning it on must not leave the login entry behind: the load
// has finished before the unload starts.
TEST(StartAtLogin, OnThenOffAtOnceLeavesNoAutostartEntry) {
    TempHome home;
    BatteryRecording().write(home.battery_file());

    AppRun run = run_app(home, {.script = "menu 4\nclick 11\nclick 11\nclose 1\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    EXPECT_FALSE(fs::exists(home.launch_agent_file()));
    EXPECT_FALSE(fs::exists(home.autostart_entry()))
        << read_text_file(home.autostart_entry()).value_or("");
}

// A raw carriage return in the agent once read back as a line feed: another path.
TEST(StartAtLogin, BundlePathWithBlanksAmpersandAndCarriageReturnStaysValid) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    fs::path bundle = home.path() / "My Apps & Tools\r" / "Zerarazi.app";
    fs::create_directories(bundle.parent_path());
    fs::copy(built_bundle(), bundle, fs::copy_options::recursive | fs::copy_options::copy_symlinks);

    AppRun on = run_app(home, {.script = "menu 4\nclick 11\n", .bundle = bundle});
    ASSERT_TRUE(on.exited_cleanly()) << on.transcript();

    auto agent_text = read_text_file(home.launch_agent_file());
    ASSERT_TRUE(agent_text) << on.transcript();
    EXPECT_NE(agent_text->find("/My Apps &amp; Tools&#13;/Zerarazi.app</string>"),
              std::string::npos)
        << *agent_text;
    auto agent = read_plist_dictionary(home.launch_agent_file());
    ASSERT_TRUE(agent) << "not a valid property list:\n" << *agent_text;
    EXPECT_EQ((*agent)["Label"], PlistValue{std::string(k_label)});
    EXPECT_EQ((*agent)["ProgramArguments"],
              (PlistValue{std::vector<std::string>{"/usr/bin/open", bundle.string()}}))
        << describe(*agent);

    ASSERT_TRUE(wait_until([&] { return fs::exists(home.autostart_entry()); }))
        << "no autostart entry";
    auto program = exec_program(home.autostart_entry());
    ASSERT_TRUE(program) << read_text_file(home.autostart_entry()).value_or("");
    EXPECT_TRUE(fs::exists(*program)) << *program;
    EXPECT_TRUE(fs::exists(*program) && fs::equivalent(*program, bundle_executable(bundle)))
        << *program;
}

} // namespace
} // namespace e2e

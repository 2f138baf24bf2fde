#include "platform/launchd/launch_agent.h"

#include "tests/platform/launchd/launchd_test_support.h"

#include <gtest/gtest.h>

namespace {

std::span<const std::uint8_t> bytes_of(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct AgentCase {
    const char* name;
    std::string text;
    // Expected on success; ignored when `error` is set.
    std::string label;
    std::vector<std::string> arguments;
    bool run_at_load = false;
    // A part of the expected error; empty when an agent is expected.
    std::string error;
};

TEST(LaunchAgent, ReadsTheKeysItNeedsAndRefusesFilesThatAreNoAgent) {
    const std::string open_arguments =
        "<key>ProgramArguments</key><array><string>/usr/bin/open</string>"
        "<string>/Apps/Z.app</string></array>";
    const AgentCase cases[] = {
        {"indicator agent",
         indicator_agent("/Apps/Z.app"),
         "org.zerarazi.Zerarazi",
         {"/usr/bin/open", "/Apps/Z.app"},
         true,
         ""},
        // The indicator writes a carriage return as an entity; a raw one would read as a line feed.
        {"a bundle path with a carriage return, a tab and a line feed",
         indicator_agent("/Apps/a&#13;b\tc\nd&amp;.app"),
         "org.zerarazi.Zerarazi",
         {"/usr/bin/open", "/Apps/a\rb\tc\nd&.app"},
         true,
         ""},
        {"no RunAtLoad",
         plist_dictionary("<key>Label</key><string>a.b</string>" + open_arguments),
         "a.b",
         {"/usr/bin/open", "/Apps/Z.app"},
         false,
         ""},
        {"RunAtLoad as text is not true",
         plist_dictionary("<key>Label</key><string>a.b</string><key>RunAtLoad</key>"
                          "<string>true</string>" +
                          open_arguments),
         "a.b",
         {"/usr/bin/open", "/Apps/Z.app"},
         false,
         ""},
        {"no Label", plist_dictionary(open_arguments), "", {}, false, "no Label string"},
        {"Label not a string",
         plist_dictionary("<key>Label</key><integer>3</integer>" + open_arguments),
         "",
         {},
         false,
         "no Label string"},
        {"Label with a slash",
         plist_dictionary("<key>Label</key><string>../x</string>" + open_arguments),
         "",
         {},
         false,
         "unusable Label"},
        {"empty Label",
         plist_dictionary("<key>Label</key><string></string>" + open_arguments),
         "",
         {},
         false,
         "unusable Label"},
        {"no ProgramArguments",
         plist_dictionary("<key>Label</key><string>a.b</string>"),
         "",
         {},
         false,
         "no ProgramArguments"},
        {"empty ProgramArguments",
         plist_dictionary(
             "<key>Label</key><string>a.b</string><key>ProgramArguments</key><array/>"),
         "",
         {},
         false,
         "no ProgramArguments"},
        {"ProgramArguments with a number",
         plist_dictionary("<key>Label</key><string>a.b</string><key>ProgramArguments</key>"
                          "<array><string>/bin/x</string><integer>1</integer></array>"),
         "",
         {},
         false,
         "no ProgramArguments"},
        {"root is an array",
         "<plist version=\"1.0\"><array><string>a</string></array></plist>",
         "",
         {},
         false,
         "not a dictionary"},
        {"not a property list", "Label=a.b\n", "", {}, false, "not a property list"},
    };
    for (const AgentCase& row : cases) {
        SCOPED_TRACE(row.name);
        LaunchAgentRead read = parse_launch_agent(bytes_of(row.text));
        if (!row.error.empty()) {
            EXPECT_FALSE(read.agent.has_value());
            EXPECT_NE(read.error.find(row.error), std::string::npos)
                << "error: \"" << read.error << "\", expected a part: \"" << row.error << "\"";
            continue;
        }
        ASSERT_TRUE(read.agent.has_value()) << read.error;
        EXPECT_EQ(read.agent->label, row.label);
        EXPECT_EQ(read.agent->program_arguments, row.arguments);
        EXPECT_EQ(read.agent->run_at_load, row.run_at_load);
        EXPECT_TRUE(read.error.empty());
    }
}

TEST(LaunchAgent, ReadsAFileAndNamesAMissingOne) {
    TemporaryFolder folder{"launchd-test-"};
    std::string path = folder.file("org.zerarazi.Zerarazi.plist");
    folder.write("org.zerarazi.Zerarazi.plist", indicator_agent("/Apps/With Blanks.app"));
    LaunchAgentRead read = read_launch_agent(path);
    ASSERT_TRUE(read.agent.has_value()) << read.error;
    EXPECT_EQ(read.agent->program_arguments[1], "/Apps/With Blanks.app");

    LaunchAgentRead missing = read_launch_agent(folder.file("gone.plist"));
    EXPECT_FALSE(missing.agent.has_value());
    EXPECT_NE(missing.error.find("gone.plist: no such file"), std::string::npos) << missing.error;
}

TEST(LaunchAgent, AcceptsOnlyLabelsThatNameOneFile) {
    const std::pair<std::string_view, bool> cases[] = {
        {"org.zerarazi.Zerarazi", true},
        {"with blank", true},
        {"", false},
        {".", false},
        {"..", false},
        {"a/b", false},
        {std::string_view("a\0b", 3), false},
    };
    for (const auto& [label, usable] : cases)
        EXPECT_EQ(is_usable_agent_label(label), usable) << "label \"" << label << "\"";
}

} // namespace

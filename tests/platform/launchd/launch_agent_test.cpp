#include "platform/launchd/launch_agent.h"

#include "tests/platform/launchd/launchd_test_support.h"

#include <gtest/gtest.h>

namespace {

std::span<const std::uint8_t> bytes_of(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(LaunchAgent, ReadsTheKeysItNeeds) {
    const std::string open_arguments =
        "<key>ProgramArguments</key><array><string>/usr/bin/open</string>"
        "<string>/Apps/Z.app</string></array>";
    const struct {
        const char* name;
        std::string text;
        std::string label;
        std::vector<std::string> arguments;
        bool run_at_load;
    } rows[] = {
        {"indicator agent",
         indicator_agent("/Apps/Z.app"),
         "org.zerarazi.Zerarazi",
         {"/usr/bin/open", "/Apps/Z.app"},
         true},
        // The indicator writes a carriage return as an entity; a raw one would read as a line feed.
        {"a bundle path with a carriage return, a tab and a line feed",
         indicator_agent("/Apps/a&#13;b\tc\nd&amp;.app"),
         "org.zerarazi.Zerarazi",
         {"/usr/bin/open", "/Apps/a\rb\tc\nd&.app"},
         true},
        {"no RunAtLoad",
         plist_dictionary("<key>Label</key><string>a.b</string>" + open_arguments),
         "a.b",
         {"/usr/bin/open", "/Apps/Z.app"},
         false},
        {"RunAtLoad as text is not true",
         plist_dictionary("<key>Label</key><string>a.b</string><key>RunAtLoad</key>"
                          "<string>true</string>" +
                          open_arguments),
         "a.b",
         {"/usr/bin/open", "/Apps/Z.app"},
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LaunchAgentRead read = parse_launch_agent(bytes_of(row.text));
        ASSERT_TRUE(read.agent.has_value()) << read.error;
        EXPECT_EQ(read.agent->label, row.label);
        EXPECT_EQ(read.agent->program_arguments, row.arguments);
        EXPECT_EQ(read.agent->run_at_load, row.run_at_load);
        EXPECT_TRUE(read.error.empty());
    }
}

TEST(LaunchAgent, RefusesFilesThatAreNoAgentWithAReason) {
    const std::string open_arguments =
        "<key>ProgramArguments</key><array><string>/usr/bin/open</string></array>";
    const std::string label = "<key>Label</key><string>a.b</string>";
    const struct {
        std::string text;
        const char* error; // a part of the expected error
    } rows[] = {
        {plist_dictionary(open_arguments), "no Label string"},
        {plist_dictionary("<key>Label</key><integer>3</integer>" + open_arguments),
         "no Label string"},
        {plist_dictionary("<key>Label</key><string>../x</string>" + open_arguments),
         "unusable Label"},
        {plist_dictionary("<key>Label</key><string></string>" + open_arguments), "unusable Label"},
        {plist_dictionary(label), "no ProgramArguments"},
        {plist_dictionary(label + "<key>ProgramArguments</key><array/>"), "no ProgramArguments"},
        {plist_dictionary(label + "<key>ProgramArguments</key><array><string>/bin/x</string>"
                                  "<integer>1</integer></array>"),
         "no ProgramArguments"},
        {"<plist version=\"1.0\"><array><string>a</string></array></plist>", "not a dictionary"},
        {"Label=a.b\n", "not a property list"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        LaunchAgentRead read = parse_launch_agent(bytes_of(row.text));
        EXPECT_FALSE(read.agent.has_value());
        EXPECT_NE(read.error.find(row.error), std::string::npos) << read.error;
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

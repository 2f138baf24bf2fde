#include "platform/launchd/launch_agent.h"

#include "tests/platform/launchd/launchd_test_support.h"

#include <gtest/gtest.h>

namespace {

// "label|argument,argument|run" for an agent read, or "error: " and the reason.
std::string agent_text(const LaunchAgentRead& read) {
    if (!read.agent) return "error: " + read.error;
    std::string arguments;
    for (const std::string& argument : read.agent->program_arguments)
        arguments += (arguments.empty() ? "" : ",") + argument;
    return read.agent->label + "|" + arguments + (read.agent->run_at_load ? "|run" : "|") +
           read.error;
}

TEST(LaunchAgent, ReadsTheKeysItNeedsOrSaysWhyNot) {
    const std::string label = "<key>Label</key><string>a.b</string>";
    const std::string open = "<key>ProgramArguments</key><array><string>/usr/bin/open</string>"
                             "<string>/Apps/Z.app</string></array>";
    const std::string arguments = "<key>ProgramArguments</key><array><string>/bin/x</string>";
    const auto d = [](const std::string& body) { return plist_dictionary(body); };
    const std::pair<std::string, std::string> rows[] = {
        {indicator_agent("/Apps/Z.app"), "org.zerarazi.Zerarazi|/usr/bin/open,/Apps/Z.app|run"},
        // The indicator writes a carriage return as an entity; a raw one would read as a line feed.
        {indicator_agent("/Apps/a&#13;b\tc\nd&amp;.app"),
         "org.zerarazi.Zerarazi|/usr/bin/open,/Apps/a\rb\tc\nd&.app|run"},
        {d(label + open), "a.b|/usr/bin/open,/Apps/Z.app|"},
        {d(open), "error: no Label string"},
        {d("<key>Label</key><string>../x</string>" + open), "error: unusable Label"},
        {d(label + arguments + "<integer>1</integer></array>"), "error: no ProgramArguments"},
        {"<plist version=\"1.0\"><array><string>a</string></array></plist>",
         "error: not a dictionary"},
        {"Label=a.b\n", "error: not a property list"},
    };
    for (const auto& [text, expected] : rows) {
        const std::string read = agent_text(
            parse_launch_agent({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}));
        if (expected.starts_with("error: "))
            EXPECT_TRUE(read.starts_with("error: ") && read.find(expected.substr(7)) != read.npos)
                << read;
        else
            EXPECT_EQ(read, expected);
    }
}

TEST(LaunchAgent, ReadsAFileNamesAMissingOneAndAcceptsOnlyLabelsThatNameOneFile) {
    TemporaryFolder folder{"launchd-test-"};
    folder.write("a.plist", indicator_agent("/Apps/With Blanks.app"));
    EXPECT_EQ(agent_text(read_launch_agent(folder.file("a.plist"))),
              "org.zerarazi.Zerarazi|/usr/bin/open,/Apps/With Blanks.app|run");
    EXPECT_NE(
        agent_text(read_launch_agent(folder.file("gone.plist"))).find("gone.plist: no such file"),
        std::string::npos);
    const std::pair<std::string_view, bool> labels[] = {{"org.zerarazi.Zerarazi", true},
                                                        {"", false},
                                                        {"..", false},
                                                        {"a/b", false},
                                                        {std::string_view("a\0b", 3), false}};
    for (const auto& [label, usable] : labels)
        EXPECT_EQ(is_usable_agent_label(label), usable) << "label \"" << label << "\"";
}

} // namespace

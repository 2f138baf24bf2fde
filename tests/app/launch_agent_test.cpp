#include "app/launch_agent.h"

#include "runtime/core/temp_area.h"

#include <gtest/gtest.h>

#include <string>

namespace app {
namespace {

class LaunchAgentTest : public ::testing::Test {
  protected:
    void SetUp() override { rt::InitStrings(); }
};

TEST_F(LaunchAgentTest, IsExactlyTheEighteenLinesWithBothPlaceholdersFilled) {
    const std::string text =
        launch_agent_text(u"org.zerarazi.Zerarazi", u"/Applications/Zerarazi.app").utf8();
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                    "<plist version=\"1.0\">\n"
                    "<dict>\n"
                    "\t<key>Label</key>\n"
                    "\t<string>org.zerarazi.Zerarazi</string>\n"
                    "\t<key>ProgramArguments</key>\n"
                    "\t<array>\n"
                    "\t\t<string>/usr/bin/open</string>\n"
                    "\t\t<string>/Applications/Zerarazi.app</string>\n"
                    "\t</array>\n"
                    "\t<key>RunAtLoad</key>\n"
                    "\t<true/>\n"
                    "\t<key>KeepAlive</key>\n"
                    "\t<false/>\n"
                    "\t<key>LimitLoadToSessionType</key>\n"
                    "\t<string>Aqua</string></dict>\n"
                    "</plist>");
}

TEST_F(LaunchAgentTest, EscapesTheFiveXmlSpecialCharactersAndTheCarriageReturn) {
    struct Row {
        const char16_t* text;
        const char* escaped;
    };
    const Row rows[] = {
        {u"/home/u/My Apps/Zerarazi.app", "/home/u/My Apps/Zerarazi.app"},
        {u"Tom & Jerry", "Tom &amp; Jerry"},
        {u"<a>", "&lt;a&gt;"},
        {u"say \"hi\"", "say &quot;hi&quot;"},
        {u"it's", "it&apos;s"},
        {u"&amp;", "&amp;amp;"},
        // A raw carriage return would be read back as a line feed: another path.
        {u"a\rb\tc\nd", "a&#13;b\tc\nd"},
        {u"", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(xml_escaped(row.text).utf8(), row.escaped) << rt::String(row.text).utf8();
}

TEST_F(LaunchAgentTest, FindsTheCharactersXmlCannotCarryAtAll) {
    struct Row {
        const char16_t* text;
        char16_t found;
    };
    const Row rows[] = {
        {u"/Apps/Zerarazi.app", 0}, {u"tab\tline\nreturn\r", 0},   {u"\x01", 0x01},
        {u"a\x1f\x02", 0x1F},       {u"esc\x1b[0m", 0x1B},         {u"not\uFFFE", 0xFFFE},
        {u"\uFFFF", 0xFFFF},        {u"caf\u00e9 \u2022 \x7f", 0}, {nullptr, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(first_unit_xml_cannot_carry(row.text), row.found) << rt::String(row.text).utf8();
}

} // namespace
} // namespace app

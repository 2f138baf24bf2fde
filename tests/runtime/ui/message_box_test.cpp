#include "runtime/ui/message_box.h"

#include "platform/appkit/ns_window.h"
#include "runtime/ui/application.h"
#include "tests/support/driver_session.h"
#include "tests/support/environment_scope.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

using namespace rt;

struct MessageBoxCase {
    const char* name;
    const char* language; // LANGUAGE
    uint32_t flags;
    const char* answer; // the driver command that answers
    int64_t expected;
    const char* alert; // the alert line, without its time
};

std::string without_time(const std::string& line) {
    return std::regex_replace(line, std::regex(R"("t":[0-9]+,)"), "");
}

std::string alert_line(const DriverSession& session) {
    for (const std::string& line : session.lines())
        if (line.find("\"event\":\"alert\"") != std::string::npos) return without_time(line);
    return "";
}

TEST(MessageBox, ShowsItsButtonsAndAnswersWithTheirResults) {
    // Titles by language and icons by flags are chosen apart from the alert (message_box_text);
    // here they must reach the display, and the pressed button the program.
    const MessageBoxCase cases[] = {
        {"caution, OK only", "en_US", MessageBoxIconCaution, "answer 1", 0,
         R"({"event":"alert","title":"Title","text":"Text","icon":"caution","buttons":["OK"]})"},
        {"German yes/no/cancel, No pressed", "de_DE",
         MessageBoxYesNo | MessageBoxYesNoCancel | MessageBoxIconStop, "answer 2",
         MessageBoxResultNo,
         R"({"event":"alert","title":"Title","text":"Text","icon":"stop","buttons":["Ja","Nein","Abbrechen"]})"},
        {"yes/no/cancel, Cancel pressed", "en_US", MessageBoxYesNo | MessageBoxYesNoCancel,
         "answer 3", MessageBoxResultCancel,
         R"({"event":"alert","title":"Title","text":"Text","icon":"app","buttons":["Yes","No","Cancel"]})"},
        {"French with a region, Yes pressed", "fr_CA", MessageBoxYesNo, "answer 1",
         MessageBoxResultYes,
         R"({"event":"alert","title":"Title","text":"Text","icon":"app","buttons":["Oui","Non"]})"},
    };
    for (const MessageBoxCase& c : cases) {
        EnvironmentScope language("LANGUAGE", c.language);
        DriverSession session(std::string(c.answer) + "\n");
        ASSERT_EQ(InitApplication(), 1);
        EXPECT_EQ(ShowMessageBox(u"Title", u"Text", c.flags), c.expected) << c.name;
        EXPECT_EQ(alert_line(session), c.alert) << c.name;
    }
}

TEST(MessageBox, TakesNullTextsAsEmpty) {
    EnvironmentScope language("LANGUAGE", "en_US");
    DriverSession session("answer 1\n");
    ASSERT_EQ(InitApplication(), 1);
    EXPECT_EQ(ShowMessageBox(nullptr, nullptr), 0);
    EXPECT_EQ(alert_line(session),
              R"({"event":"alert","title":"","text":"","icon":"app","buttons":["OK"]})");
}

TEST(MessageBox, GivesKeyStatusBackToTheWindowThatHadIt) {
    DriverSession session("answer 1\n");
    ASSERT_EQ(InitApplication(), 1);
    ObjcRef<NSWindow> window = make_native<NSWindow>();
    window->initWithContentRectStyleMaskBackingDefer(NSMakeRect(100, 100, 200, 100), 3, 2, NO);
    window->setReleasedWhenClosed(NO);
    window->makeKeyAndOrderFront(nil);
    ASSERT_TRUE(window->isKeyWindow());
    ShowMessageBox(u"Title", u"Text");
    EXPECT_TRUE(window->isKeyWindow());
    window->close();
}

} // namespace

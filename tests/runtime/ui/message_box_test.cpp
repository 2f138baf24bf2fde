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

std::string without_time(const std::string& line) {
    return std::regex_replace(line, std::regex(R"("t":[0-9]+,)"), "");
}

std::string alert_line(const DriverSession& session) {
    for (const std::string& line : session.lines())
        if (line.find("\"event\":\"alert\"") != std::string::npos) return without_time(line);
    return "";
}

// Titles by language and icons by flags are chosen apart from the alert (message_box_text); here
// they must reach the display, and the pressed button the program.
TEST(MessageBox, ShowsItsButtonsAndAnswersWithTheirResults) {
    EnvironmentScope language("LANGUAGE", "de_DE");
    DriverSession session("answer 2\n");
    ASSERT_EQ(InitApplication(), 1);
    EXPECT_EQ(ShowMessageBox(nullptr, u"Text",
                             MessageBoxYesNo | MessageBoxYesNoCancel | MessageBoxIconStop),
              MessageBoxResultNo);
    EXPECT_EQ(alert_line(session), R"({"event":"alert","title":"","text":"Text","icon":"stop",)"
                                   R"("buttons":["Ja","Nein","Abbrechen"]})");
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

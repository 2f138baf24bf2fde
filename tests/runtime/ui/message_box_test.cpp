#include "runtime/ui/message_box.h"

#include "platform/appkit/ns_window.h"
#include "runtime/ui/application.h"
#include "runtime/ui/message_box_text.h"
#include "tests/support/driver_session.h"
#include "tests/support/environment_scope.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <tuple>

namespace rt {
namespace {

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

// The plan's buttons as "title=tag" joined by spaces.
std::u16string buttons(const MessageBoxPlan& plan) {
    std::u16string text;
    for (int i = 0; i < plan.button_count; ++i) {
        const std::string tag = std::to_string(plan.buttons[i].tag);
        text += std::u16string(i ? u" " : u"") + std::u16string(plan.buttons[i].title) + u"=" +
                std::u16string(tag.begin(), tag.end());
    }
    return text;
}

TEST(MessageBoxText, PicksButtonTitlesByTheFirstLanguagePrefix) {
    const std::tuple<std::u16string, std::u16string> cases[] = {
        {u"fr-CA", u"Oui=6 Non=7 Annuler=2"}, {u"de-DE", u"Ja=6 Nein=7 Abbrechen=2"},
        {u"de", u"Ja=6 Nein=7 Abbrechen=2"},  {u"it-IT", u"SÌ=6 NO=7 Annulla=2"},
        {u"es-419", u"Sí=6 No=7 Cancelar=2"}, {u"en-GB", u"Yes=6 No=7 Cancel=2"},
        {u"", u"Yes=6 No=7 Cancel=2"},        {u"DE", u"Yes=6 No=7 Cancel=2"},
        {u"f", u"Yes=6 No=7 Cancel=2"},
    };
    for (const auto& [language, expected] : cases)
        EXPECT_EQ(buttons(plan_message_box(3, language)), expected);
}

// Each row: the flags, the icon and buttons they ask for, what the modal run answers and the
// result.
TEST(MessageBoxText, MapsFlagsToIconButtonsAndResult) {
    const std::tuple<uint32_t, MessageBoxIcon, std::u16string, int64_t, int64_t> cases[] = {
        {16, MessageBoxIcon::Caution, u"", 1000, 0},
        {0, MessageBoxIcon::Application, u"", 1000, 0},
        {1, MessageBoxIcon::Application, u"Ja=6 Nein=7", 7, 7},
        {3, MessageBoxIcon::Application, u"Ja=6 Nein=7 Abbrechen=2", 2, 2},
        {2 | 4 | 8, MessageBoxIcon::Note, u"Ja=6 Nein=7 Abbrechen=2", 6, 6},
        {8, MessageBoxIcon::Stop, u"", 1000, 0},
        {4 | 8 | 16, MessageBoxIcon::Caution, u"", 1000, 0},
    };
    for (const auto& [flags, icon, titles, answer, result] : cases) {
        const MessageBoxPlan plan = plan_message_box(flags, u"de-DE");
        EXPECT_EQ(std::tuple(plan.icon, plan.informational_style, buttons(plan),
                             message_box_result(plan, answer)),
                  std::tuple(icon, icon == MessageBoxIcon::Application, titles, result))
            << "flags " << flags;
    }
}

} // namespace
} // namespace rt

#include "platform/appkit/ns_alert.h"

#include "platform/appkit/ns_button.h"
#include "platform/appkit/ns_image.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_timer.h"
#include "platform/objc/selector.h"
#include "tests/platform/foundation/timer_test_support.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

namespace {

ObjcRef<NSAlert> make_alert(std::u16string_view title, std::u16string_view text,
                            std::vector<std::u16string_view> buttons) {
    ObjcRef<NSAlert> alert = make_native<NSAlert>();
    alert->setMessageText(NSString::make(title).get());
    alert->setInformativeText(NSString::make(text).get());
    for (auto button : buttons)
        alert->addButtonWithTitle(NSString::make(button).get());
    return alert;
}

ObjcRef<NSTimer> schedule(ActionRecorder* recorder, double interval, NSString* mode,
                          bool repeats = true) {
    ObjcRef<NSTimer> timer = ObjcRef<NSTimer>::retain(NSTimer::timerWithTimeInterval(
        nil, interval, recorder, sel_registerName("tick:"), nil, repeats ? YES : NO));
    NSRunLoop::main()->addTimer(timer.get(), mode);
    return timer;
}

AlertSnapshot alert_shown(std::string title, std::string text, AlertIcon icon,
                          std::vector<std::string> buttons) {
    return AlertSnapshot{std::move(title), std::move(text), icon, std::move(buttons)};
}

} // namespace

TEST(NSAlert, RunModalReturnsTheTagOfTheAnsweredButton) {
    struct Row {
        std::vector<std::u16string_view> buttons;
        std::vector<NSInteger> tags; // empty: the tags the alert gives
        int answer;
        NSInteger expected;
    };
    const Row rows[] = {
        {{u"OK"}, {}, 1, NSAlertFirstButtonReturn},
        {{u"Yes", u"No"}, {}, 2, 1001},
        {{u"Ja", u"Nein", u"Abbrechen"}, {6, 7, 2}, 2, 7},
        {{u"Ja", u"Nein", u"Abbrechen"}, {6, 7, 2}, 3, 2},
    };
    for (const Row& row : rows) {
        clean_application();
        ObjcRef<NSAlert> alert = make_alert(u"Title", u"Text", row.buttons);
        for (std::size_t i = 0; i < row.tags.size(); ++i)
            static_cast<NSButton*>(alert->buttons()->objectAtIndex(i))->setTag(row.tags[i]);
        DriverSession session("answer " + std::to_string(row.answer) + "\n");
        EXPECT_EQ(alert->runModal(), row.expected) << "answer " << row.answer;
    }
}

TEST(NSAlert, ShowsItsTextIconAndButtons) {
    struct Row {
        const char16_t* icon_type; // null: no icon image
        NSUInteger style;
        AlertIcon expected;
    };
    const Row rows[] = {
        {u"'caut'", NSAlertStyleInformational, AlertIcon::caution},
        {u"'stop'", NSAlertStyleInformational, AlertIcon::stop},
        {u"'note'", NSAlertStyleCritical, AlertIcon::note},
        {u"txt", NSAlertStyleWarning, AlertIcon::app},
        {nullptr, NSAlertStyleCritical, AlertIcon::stop},
        {nullptr, NSAlertStyleInformational, AlertIcon::app},
        {nullptr, NSAlertStyleWarning, AlertIcon::app},
    };
    for (const Row& row : rows) {
        clean_application();
        ObjcRef<NSAlert> alert = make_alert(u"Battery low", u"Plug in «now»", {u"Yes", u"No"});
        alert->setAlertStyle(row.style);
        if (row.icon_type)
            alert->setIcon(NSImage::make_system_icon(NSString::make(row.icon_type).get()).get());
        DriverSession session("answer 1\n");
        alert->runModal();
        EXPECT_EQ(session.lines(), Lines{alert_line(0, alert_shown("Battery low", "Plug in «now»",
                                                                   row.expected, {"Yes", "No"}))})
            << static_cast<int>(row.expected);
    }
}

TEST(NSAlert, AddsAnOKButtonWhenItHasNone) {
    clean_application();
    ObjcRef<NSAlert> alert = make_native<NSAlert>();
    alert->setMessageText(NSString::make(u"Done").get());
    DriverSession session("answer 1\n");
    EXPECT_EQ(alert->runModal(), NSAlertFirstButtonReturn);
    EXPECT_EQ(alert->buttons()->count(), 1u);
    EXPECT_TRUE(session.wrote(alert_line(0, alert_shown("Done", "", AlertIcon::app, {"OK"}))));
}

TEST(NSAlert, TakesTheFirstButtonWithoutADisplay) {
    ObjcRef<NSAlert> alert = make_alert(u"T", u"", {u"Yes", u"No"});
    static_cast<NSButton*>(alert->buttons()->objectAtIndex(0))->setTag(6);
    EXPECT_EQ(alert->runModal(), 6);
}

TEST(NSAlert, EndOfInputAbortsTheAlert) {
    clean_application();
    ObjcRef<NSAlert> alert = make_alert(u"T", u"", {u"Yes"});
    DriverSession session("advance 100\n");
    EXPECT_EQ(alert->runModal(), NSModalResponseAbort);
    EXPECT_EQ(session.exits.statuses, std::vector<int>{0});
    EXPECT_TRUE(session.wrote(end_line(100)));
}

TEST(NSAlert, HoldsDefaultModeTimersWhileModalOnesFire) {
    clean_application();
    ObjcRef<ActionRecorder> normal = make_recorder();
    ObjcRef<ActionRecorder> modal = make_recorder();
    ObjcRef<ActionRecorder> common = make_recorder();
    ObjcRef<NSTimer> timers[] = {schedule(normal.get(), 1, NSDefaultRunLoopMode),
                                 schedule(modal.get(), 1, NSModalPanelRunLoopMode),
                                 schedule(common.get(), 1, NSRunLoopCommonModes)};
    ObjcRef<NSAlert> alert = make_alert(u"T", u"", {u"OK"});
    DriverSession session("advance 5000\nanswer 1\n");

    EXPECT_EQ(alert->runModal(), NSAlertFirstButtonReturn);

    for (auto& timer : timers)
        timer->invalidate();
    EXPECT_EQ(normal->times.size(), 0u);
    EXPECT_EQ(modal->times.size(), 5u);
    EXPECT_EQ(common->times.size(), 5u);
    EXPECT_EQ(session.display.now_ms(), 5000);
}

TEST(NSAlert, RunFromATimerHoldsTheDefaultModeUntilAnswered) {
    clean_application();
    ObjcRef<ActionRecorder> normal = make_recorder();
    ObjcRef<ActionRecorder> modal = make_recorder();
    ObjcRef<ActionRecorder> launcher = make_recorder();
    ObjcRef<NSAlert> alert = make_alert(u"Warning", u"", {u"OK"});
    std::vector<NSInteger> answers;
    launcher->on_action = [&](id) { answers.push_back(alert->runModal()); };
    ObjcRef<NSTimer> timers[] = {schedule(normal.get(), 1, NSDefaultRunLoopMode),
                                 schedule(modal.get(), 1, NSModalPanelRunLoopMode),
                                 schedule(launcher.get(), 0.5, NSDefaultRunLoopMode, false)};
    DriverSession session("advance 500\nadvance 3000\nanswer 1\nadvance 2000\n");

    EXPECT_EQ(next_event(), nil);

    for (auto& timer : timers)
        timer->invalidate();
    EXPECT_EQ(answers, std::vector<NSInteger>{NSAlertFirstButtonReturn});
    EXPECT_TRUE(session.wrote(alert_line(500, alert_shown("Warning", "", AlertIcon::app, {"OK"}))));
    EXPECT_EQ(modal->times.size(), 3u); // at 1, 2 and 3 s, while the alert was up
    // The firings missed during the alert come as one at 3.5 s, then 4 and 5 s.
    ASSERT_EQ(normal->times.size(), 3u);
    EXPECT_NEAR(normal->times[0] - normal->times[1], -0.5, 1e-6);
    EXPECT_EQ(session.exits.statuses, std::vector<int>{0});
}

#include "battery/condition_warning.h"

#include "battery/condition_evaluator.h"
#include "battery_test_support.h"

namespace battery {
namespace {

using ConditionWarningTest = BatteryTest;

constexpr const char16_t* k_poor_fair =
    u"Poor\nmacOS reports a non-optimal battery condition (Fair). The battery may still "
    u"function but is no longer considered reliable.";

TEST_F(ConditionWarningTest, TakesTheRegistrysConditionBeforeThePowerSources) {
    struct Row {
        const char* what;
        PlatformProperties registry;
        const char16_t* power_source_condition;
        bool shown;
        const char16_t* first_line;
    };
    const Row rows[] = {
        {"registry good, power source poor",
         {text_property(u"BatteryHealth", u"Good")},
         u"Check Battery",
         false,
         nullptr},
        {"registry normal", {text_property(u"BatteryHealth", u"Normal")}, u"Fair", false, nullptr},
        {"registry poor, power source good",
         {text_property(u"BatteryHealth", u"Service Recommended")},
         u"Good",
         true,
         u"Condition: Service Recommended\n"},
        {"registry empty, power source good",
         {text_property(u"BatteryHealth", u"")},
         u"Good",
         true,
         u"Condition: \n"},
        {"only the power source, good", {}, u"Good", false, nullptr},
        {"only the power source, normal", {}, u"Normal", false, nullptr},
        {"only the power source, fair", {}, u"Fair", true, u"Condition: Fair\n"},
        {"no condition anywhere", {}, u"", true, u"Condition: \n"},
        {"good in another case", {}, u"good", true, u"Condition: good\n"},
    };
    for (const Row& row : rows) {
        load(row.registry);
        battery_texts().ConditionText = row.power_source_condition;
        const ConditionWarning warning = build_condition_warning();
        EXPECT_EQ(warning.shown, row.shown) << row.what;
        if (!row.shown) continue;
        EXPECT_EQ(warning.title, u"Battery Warning!") << row.what;
        EXPECT_EQ(rt::FindText(warning.text, row.first_line, 1), 1)
            << row.what << ": " << warning.text.utf8();
    }
}

TEST_F(ConditionWarningTest, ListsTheFailureFlagsThatAreSet) {
    struct Row {
        const char* what;
        PlatformProperties registry;
        const char16_t* details;
    };
    const Row rows[] = {
        {"no flags", {}, u"No failure flags detected.\n"},
        {"both zero",
         {integer_property(u"BatteryFailureStatus", 0),
          integer_property(u"PermanentFailureStatus", 0)},
         u"No failure flags detected.\n"},
        {"permanent only",
         {integer_property(u"BatteryFailureStatus", 0),
          integer_property(u"PermanentFailureStatus", 4)},
         u"PermanentFailureStatus: 4\n"},
        {"both, in this order whatever the registry's",
         {integer_property(u"PermanentFailureStatus", 1),
          integer_property(u"BatteryFailureStatus", -2)},
         u"BatteryFailureStatus: -2\nPermanentFailureStatus: 1\n"},
        // Only the text "0" counts as no flag.
        {"a flag given as text",
         {text_property(u"BatteryFailureStatus", u"00")},
         u"BatteryFailureStatus: 00\n"},
    };
    battery_texts().ConditionText = u"Fair";
    for (const Row& row : rows) {
        load(row.registry);
        const rt::String expected = u"Condition: Fair\n" + rt::String(row.details) +
                                    u"Status Confidence: " + EvaluateBatteryCondition() + u"\n\n";
        EXPECT_EQ(build_condition_warning().text, expected) << row.what;
    }
}

TEST_F(ConditionWarningTest, WritesTheWholeTextWithTheEvaluatorsJudgement) {
    battery_texts().ConditionText = u"Fair";
    const ConditionWarning warning = build_condition_warning();
    ASSERT_TRUE(warning.shown);
    EXPECT_EQ(warning.text, u"Condition: Fair\nNo failure flags detected.\nStatus Confidence: " +
                                rt::String(k_poor_fair) + u"\n\n");
}

// The evaluator judges the power source's verdict even when the registry's named the warning.
TEST_F(ConditionWarningTest, JudgesWithThePowerSourcesCondition) {
    load({text_property(u"BatteryHealth", u"Check Battery")});
    battery_texts().ConditionText = u"Fair";
    const ConditionWarning warning = build_condition_warning();
    EXPECT_EQ(warning.text, u"Condition: Check Battery\nNo failure flags detected.\nStatus "
                            u"Confidence: " +
                                rt::String(k_poor_fair) + u"\n\n");
}

} // namespace
} // namespace battery

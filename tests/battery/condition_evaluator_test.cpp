#include "battery/condition_evaluator.h"

#include "battery_test_support.h"

#include <string>

namespace battery {
namespace {

using ConditionEvaluatorTest = BatteryTest;

constexpr const char16_t* k_critical = u"Hardware failure flag(s) were detected. The battery may "
                                       u"be defective or at risk of failure. Please consider "
                                       u"replacing it immediately!";
constexpr const char16_t* k_acceptable =
    u"Battery metrics are within acceptable ranges but not optimal.";

ConditionInputs inputs(const char16_t* condition, double health, int64_t cycles, double celsius) {
    ConditionInputs result;
    result.condition = condition;
    result.health_percent = health;
    result.cycles = cycles;
    result.celsius = celsius;
    return result;
}

ConditionInputs with_flags(ConditionInputs base, int64_t failure, int64_t permanent) {
    base.failure_status = failure;
    base.permanent_failure_status = permanent;
    return base;
}

rt::String poor(const char16_t* condition) {
    return u"macOS reports a non-optimal battery condition (" + rt::String(condition) +
           u"). The battery may still function but is no longer considered reliable.";
}

rt::String ageing(const char16_t* health, const char16_t* cycles, const char16_t* celsius) {
    return u"Battery shows signs of aging or stress:\n- Health: " + rt::String(health) +
           u"%\n- Cycle Count: " + cycles + u"\n- Temperature: " + celsius + u"°C";
}

rt::String excellent(const char16_t* celsius) {
    return u"Battery is in excellent condition:\n- Health ≥ 90%\n- Cycle Count < 500\n- Normal "
           u"temperature (" +
           rt::String(celsius) + u"°C)";
}

TEST_F(ConditionEvaluatorTest, AppliesTheFirstRuleThatHolds) {
    const ConditionInputs sound = inputs(u"Good", 95.0, 10, 25.0);
    struct Row {
        const char* what;
        ConditionInputs given;
        const char16_t* verdict;
        rt::String explanation;
    };
    const Row rows[] = {
        {"permanent failure flag", with_flags(sound, 0, 4), u"Critical", k_critical},
        {"failure flag over a poor verdict", with_flags(inputs(u"Fair", 20.0, 2000, 60.0), 1, 0),
         u"Critical", k_critical},
        {"negative flag", with_flags(sound, -1, 0), u"Critical", k_critical},
        {"system says Fair", inputs(u"Fair", 95.0, 10, 25.0), u"Poor", poor(u"Fair")},
        {"no system verdict", inputs(u"", 95.0, 10, 25.0), u"Poor", poor(u"")},
        {"verdict in lower case", inputs(u"good", 95.0, 10, 25.0), u"Poor", poor(u"good")},
        {"poor verdict over ageing", inputs(u"Check Battery", 50.0, 2000, 60.0), u"Poor",
         poor(u"Check Battery")},
        {"the documented good battery", inputs(u"Good", 92.3, 412, 29.95), u"Good",
         excellent(u"30.0")},
        {"worn", inputs(u"Good", 74.9, 100, 30.0), u"Fair", ageing(u"74.9", u"100", u"30.0")},
        {"unknown health", inputs(u"Good", 0.0, 100, 30.0), u"Fair",
         ageing(u"0.0", u"100", u"30.0")},
        {"many cycles", inputs(u"Normal", 95.0, 1001, 30.0), u"Fair",
         ageing(u"95.0", u"1001", u"30.0")},
        {"hot", inputs(u"Good", 95.0, 10, 50.3), u"Fair", ageing(u"95.0", u"10", u"50.3")},
        {"normal verdict is never good", inputs(u"Normal", 95.0, 10, 25.0), u"Fair", k_acceptable},
        {"health below ninety", inputs(u"Good", 89.9, 100, 30.0), u"Fair", k_acceptable},
    };
    for (const Row& row : rows) {
        const ConditionVerdict result = evaluate_condition(row.given);
        EXPECT_EQ(result.verdict, row.verdict) << row.what;
        EXPECT_EQ(result.explanation, row.explanation) << row.what;
    }
}

TEST_F(ConditionEvaluatorTest, DrawsEachThresholdOnTheDocumentedSide) {
    struct Row {
        const char* what;
        ConditionInputs given;
        const char16_t* verdict;
        bool ageing_list;
    };
    const Row rows[] = {
        {"health 75.0 is not worn", inputs(u"Good", 75.0, 10, 25.0), u"Fair", false},
        {"health 74.99 is worn", inputs(u"Good", 74.99, 10, 25.0), u"Fair", true},
        {"1000 cycles are not many", inputs(u"Good", 95.0, 1000, 30.0), u"Fair", false},
        {"50.0 °C is not hot", inputs(u"Good", 95.0, 10, 50.0), u"Fair", false},
        {"50.01 °C is hot", inputs(u"Good", 95.0, 10, 50.01), u"Fair", true},
        {"health 90.0 is excellent", inputs(u"Good", 90.0, 10, 25.0), u"Good", false},
        {"499 cycles are few", inputs(u"Good", 95.0, 499, 25.0), u"Good", false},
        {"500 cycles are not few", inputs(u"Good", 95.0, 500, 25.0), u"Fair", false},
        {"44.99 °C is normal", inputs(u"Good", 95.0, 10, 44.99), u"Good", false},
        {"45.0 °C is not normal", inputs(u"Good", 95.0, 10, 45.0), u"Fair", false},
        {"below freezing is normal", inputs(u"Good", 95.0, 10, -5.0), u"Good", false},
    };
    for (const Row& row : rows) {
        const ConditionVerdict result = evaluate_condition(row.given);
        EXPECT_EQ(result.verdict, row.verdict) << row.what;
        const bool listed = rt::FindText(result.explanation, u"signs of aging", 1) != 0;
        EXPECT_EQ(listed, row.ageing_list) << row.what << ": " << result.explanation.utf8();
    }
}

TEST_F(ConditionEvaluatorTest, ReadsItsInputsFromTheBatteryAndTheTexts) {
    load({integer_property(u"CycleCount", 412), integer_property(u"Temperature", 3031),
          integer_property(u"AppleRawMaxCapacity", 8079), integer_property(u"DesignCapacity", 8755),
          integer_property(u"BatteryFailureStatus", 2),
          text_property(u"PermanentFailureStatus", u"3")});
    UpdateBatteryTexts();
    battery_texts().ConditionText = u"Good";
    const ConditionInputs read = current_condition_inputs();
    EXPECT_FLOAT_EQ(read.health_percent, 92.3);
    EXPECT_EQ(read.cycles, 412);
    EXPECT_EQ(read.failure_status, 2);
    EXPECT_EQ(read.permanent_failure_status, 3);
    EXPECT_EQ(read.condition, u"Good");
    EXPECT_DOUBLE_EQ(read.celsius, 29.95);
}

TEST_F(ConditionEvaluatorTest, JudgesTheTemperatureInCelsiusWhateverTheLocaleShows) {
    const PlatformProperties registry = {
        integer_property(u"CycleCount", 412), integer_property(u"Temperature", 3031),
        integer_property(u"AppleRawMaxCapacity", 8079), integer_property(u"DesignCapacity", 8755)};
    const char16_t* expected = u"Good\nBattery is in excellent condition:\n- Health ≥ 90%\n- "
                               u"Cycle Count < 500\n- Normal temperature (30.0°C)";
    for (const char16_t* locale : {u"en_US", u"de_DE", u"en_GB"}) {
        platform().locale = locale;
        load(registry);
        UpdateBatteryTexts();
        battery_texts().ConditionText = u"Good";
        EXPECT_DOUBLE_EQ(current_condition_inputs().celsius, 29.95) << platform().locale.utf8();
        EXPECT_EQ(EvaluateBatteryCondition(), expected) << platform().locale.utf8();
    }
    EXPECT_EQ(battery_texts().TemperatureText, u"29.95°C");
}

TEST_F(ConditionEvaluatorTest, ReadsAnUnknownOrMissingTemperatureAsZero) {
    struct Row {
        const char* what;
        PlatformProperties registry;
    };
    const Row rows[] = {
        {"missing", {}},
        {"too cold to be real", {integer_property(u"Temperature", 1999)}},
        {"too hot to be real", {integer_property(u"Temperature", 10001)}},
    };
    for (const char16_t* locale : {u"en_US", u"de_DE"}) {
        platform().locale = locale;
        for (const Row& row : rows) {
            load(row.registry);
            UpdateBatteryTexts();
            EXPECT_EQ(current_condition_inputs().celsius, 0.0) << row.what;
        }
    }
}

TEST_F(ConditionEvaluatorTest, ReadsATemperatureGivenAsTextFromTheShownText) {
    load({text_property(u"Temperature", u"31.5°C")});
    UpdateBatteryTexts();
    EXPECT_DOUBLE_EQ(current_condition_inputs().celsius, 31.5);
}

TEST_F(ConditionEvaluatorTest, PutsOneLineFeedBetweenVerdictAndExplanation) {
    battery_texts().ConditionText = u"Fair";
    EXPECT_EQ(EvaluateBatteryCondition(), u"Poor\n" + poor(u"Fair"));
}

} // namespace
} // namespace battery

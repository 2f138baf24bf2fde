// The program's judgement of the battery and the start-up warning built on it.

#include "battery/condition_evaluator.h"
#include "battery/condition_warning.h"
#include "battery_test_support.h"

namespace battery {
namespace {

constexpr const char16_t* k_critical = u"Hardware failure flag(s) were detected. The battery may "
                                       u"be defective or at risk of failure. Please consider "
                                       u"replacing it immediately!";
constexpr const char16_t* k_acceptable =
    u"Battery metrics are within acceptable ranges but not optimal.";

ConditionInputs judged(const char16_t* condition, double health, int64_t cycles, double celsius,
                       int64_t failure = 0, int64_t permanent = 0) {
    return {health, cycles, failure, permanent, condition, celsius};
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

using ConditionTest = BatteryTest;

TEST_F(ConditionTest, AppliesTheFirstRuleThatHoldsWithEachThresholdOnItsSide) {
    struct Row {
        ConditionInputs given;
        const char16_t* verdict;
        rt::String explanation;
    };
    const Row rows[] = {
        {judged(u"Good", 95.0, 10, 25.0, 0, 4), u"Critical", k_critical},
        {judged(u"Fair", 20.0, 2000, 60.0, 1, 0), u"Critical", k_critical},
        {judged(u"Good", 95.0, 10, 25.0, -1, 0), u"Critical", k_critical},
        {judged(u"Fair", 95.0, 10, 25.0), u"Poor", poor(u"Fair")},
        {judged(u"", 95.0, 10, 25.0), u"Poor", poor(u"")},
        {judged(u"good", 95.0, 10, 25.0), u"Poor", poor(u"good")},
        {judged(u"Check Battery", 50.0, 2000, 60.0), u"Poor", poor(u"Check Battery")},
        {judged(u"Good", 92.3, 412, 29.95), u"Good", excellent(u"30.0")},
        {judged(u"Good", 74.99, 100, 30.0), u"Fair", ageing(u"75.0", u"100", u"30.0")},
        {judged(u"Good", 75.0, 10, 25.0), u"Fair", k_acceptable},
        {judged(u"Good", 0.0, 100, 30.0), u"Fair", ageing(u"0.0", u"100", u"30.0")},
        {judged(u"Normal", 95.0, 1001, 30.0), u"Fair", ageing(u"95.0", u"1001", u"30.0")},
        {judged(u"Good", 95.0, 1000, 30.0), u"Fair", k_acceptable},
        {judged(u"Good", 95.0, 10, 50.3), u"Fair", ageing(u"95.0", u"10", u"50.3")},
        {judged(u"Good", 95.0, 10, 50.0), u"Fair", k_acceptable},
        {judged(u"Normal", 95.0, 10, 25.0), u"Fair", k_acceptable},
        {judged(u"Good", 89.9, 100, 30.0), u"Fair", k_acceptable},
        {judged(u"Good", 90.0, 10, 25.0), u"Good", excellent(u"25.0")},
        {judged(u"Good", 95.0, 499, 25.0), u"Good", excellent(u"25.0")},
        {judged(u"Good", 95.0, 500, 25.0), u"Fair", k_acceptable},
        {judged(u"Good", 95.0, 10, 44.99), u"Good", excellent(u"45.0")},
        {judged(u"Good", 95.0, 10, 45.0), u"Fair", k_acceptable},
        {judged(u"Good", 95.0, 10, -5.0), u"Good", excellent(u"-5.0")}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const ConditionVerdict result = evaluate_condition(rows[i].given);
        EXPECT_EQ(result.verdict, rows[i].verdict);
        EXPECT_EQ(result.explanation, rows[i].explanation);
    }
}

TEST_F(ConditionTest, ReadsItsInputsFromTheRecordedBattery) {
    read({num(u"CycleCount", 412), num(u"AppleRawMaxCapacity", 8079), num(u"DesignCapacity", 8755),
          num(u"BatteryFailureStatus", 2), txt(u"PermanentFailureStatus", u"3")},
         PlatformProperties{txt(u"BatteryHealth", u"Good")});
    const ConditionInputs inputs = current_condition_inputs();
    EXPECT_FLOAT_EQ(inputs.health_percent, 92.3);
    EXPECT_EQ(std::tuple(inputs.cycles, inputs.failure_status, inputs.permanent_failure_status,
                         inputs.condition),
              std::tuple(412, 2, 3, u"Good"));
    EXPECT_EQ(EvaluateBatteryCondition(), u"Critical\n" + rt::String(k_critical));

    // The temperature in Celsius whatever the locale shows; 0 when unknown or missing.
    struct Row {
        PlatformProperties registry;
        const char16_t* locale;
        double celsius;
    };
    const Row rows[] = {{{num(u"Temperature", 3031)}, u"en_US", 29.95},
                        {{num(u"Temperature", 3031)}, u"de_DE", 29.95},
                        {{txt(u"Temperature", u"31.5°C")}, u"de_DE", 31.5},
                        {{num(u"Temperature", 1999)}, u"en_US", 0.0},
                        {{num(u"Temperature", 10001)}, u"de_DE", 0.0},
                        {{}, u"en_US", 0.0}};
    for (const Row& row : rows) {
        read(row.registry, std::nullopt, row.locale);
        EXPECT_DOUBLE_EQ(current_condition_inputs().celsius, row.celsius)
            << row.celsius << " in " << rt::String(row.locale).utf8();
    }
}

TEST_F(ConditionTest, WarnsUnlessTheRegistryOrElseThePowerSourceCallsTheBatterySound) {
    const char16_t *none = u"No failure flags detected.\n", *failure = u"BatteryFailureStatus",
                   *permanent = u"PermanentFailureStatus";
    struct Row {
        PlatformProperties registry;
        const char16_t* power_source_condition; // null: no power source
        const char16_t* condition;              // as the warning names it; null: no warning
        const char16_t* flags = nullptr;
    };
    const Row rows[] = {
        {{txt(u"BatteryHealth", u"Good")}, u"Check Battery", nullptr},
        {{txt(u"BatteryHealth", u"Normal")}, u"Fair", nullptr},
        {{}, u"Good", nullptr},
        {{}, u"Normal", nullptr},
        {{txt(u"BatteryHealth", u"Service Recommended")}, u"Good", u"Service Recommended", none},
        {{txt(u"BatteryHealth", u"")}, u"Good", u"", none},
        {{}, nullptr, u"", none},
        {{}, u"good", u"good", none},
        {{num(failure, 0), num(permanent, 0)}, u"Fair", u"Fair", none},
        {{num(failure, 0), num(permanent, 4)}, u"Fair", u"Fair", u"PermanentFailureStatus: 4\n"},
        {{num(permanent, 1), num(failure, -2)},
         u"Fair",
         u"Fair",
         u"BatteryFailureStatus: -2\nPermanentFailureStatus: 1\n"},
        // Only the text "0" counts as no flag.
        {{txt(failure, u"00")}, u"Fair", u"Fair", u"BatteryFailureStatus: 00\n"},
        // The evaluator judges the power source's verdict even when the registry's named the
        // warning.
        {{txt(u"BatteryHealth", u"Check Battery")}, u"Fair", u"Check Battery", none}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const Row& row = rows[i];
        std::optional<PlatformProperties> power;
        if (row.power_source_condition)
            power = PlatformProperties{txt(u"BatteryHealth", row.power_source_condition)};
        read(row.registry, power);
        const ConditionWarning warning = build_condition_warning();
        EXPECT_EQ(warning.shown, row.condition != nullptr);
        if (!row.condition) continue;
        EXPECT_EQ(warning.title, u"Battery Warning!");
        EXPECT_EQ(warning.text, u"Condition: " + rt::String(row.condition) + u"\n" + row.flags +
                                    u"Status Confidence: " + EvaluateBatteryCondition() + u"\n\n");
        if (std::u16string_view(row.condition) == u"Check Battery") {
            EXPECT_EQ(EvaluateBatteryCondition(), u"Poor\n" + poor(u"Fair"));
        }
    }
}

} // namespace
} // namespace battery

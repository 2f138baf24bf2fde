#include "battery/power_source_info.h"

#include "battery_test_support.h"

namespace battery {
namespace {

using PowerSourceInfoTest = BatteryTest;

TEST_F(PowerSourceInfoTest, GivesTheMinutesToFullOnlyInTheirRangeAndBelowNinetyNinePercent) {
    struct Row {
        int64_t minutes;
        std::optional<int64_t> percent;
        const char16_t* expected;
    };
    const Row rows[] = {
        {-1, 42, u"Calculating..."},   {0, 42, u"Calculating..."},
        {1000, 42, u"Calculating..."}, {65535, 42, u"Calculating..."},
        {1, 42, u"1 min to full"},     {999, 42, u"999 min to full"},
        {35, 98, u"35 min to full"},   {35, 99, u"Fully charged"},
        {35, 100, u"Fully charged"},   {35, std::nullopt, u"35 min to full"},
        {0, 100, u"Calculating..."},
    };
    for (const Row& row : rows) {
        PlatformProperties registry;
        if (row.percent) registry.push_back(integer_property(u"CurrentCapacity", *row.percent));
        load(registry);
        platform().power_source = {{integer_property(u"Time to Full Charge", row.minutes)}};
        ReadPowerSourceInfo();
        EXPECT_EQ(battery_texts().FullChargeText, row.expected)
            << row.minutes << " minutes at " << row.percent.value_or(-1) << "%";
    }
}

TEST_F(PowerSourceInfoTest, ReadsTheConditionAndLowPowerMode) {
    struct Row {
        int64_t lpm;
        const char16_t* expected;
    };
    const Row rows[] = {{1, u"on"}, {0, u"off"}, {2, u"off"}, {-1, u"off"}};
    for (const Row& row : rows) {
        platform().power_source = {{text_property(u"BatteryHealth", u"Check Battery"),
                                    integer_property(u"LPM Active", row.lpm)}};
        ReadPowerSourceInfo();
        EXPECT_EQ(battery_texts().LowPowerModeText, row.expected) << row.lpm;
        EXPECT_EQ(battery_texts().ConditionText, u"Check Battery");
    }
}

TEST_F(PowerSourceInfoTest, KeepsTheTextsOfAbsentEntries) {
    platform().power_source = {{text_property(u"BatteryHealth", u"Good"),
                                integer_property(u"LPM Active", 1),
                                integer_property(u"Time to Full Charge", 35)}};
    ReadPowerSourceInfo();
    platform().power_source = {{text_property(u"Power Source State", u"AC Power"),
                                integer_property(u"Current Capacity", 50)}};
    ReadPowerSourceInfo();
    EXPECT_EQ(battery_texts().ConditionText, u"Good");
    EXPECT_EQ(battery_texts().LowPowerModeText, u"on");
    EXPECT_EQ(battery_texts().FullChargeText, u"35 min to full");
}

TEST_F(PowerSourceInfoTest, LeavesEverythingAloneWithoutADescription) {
    battery_texts().ConditionText = u"Normal";
    platform().power_source.reset();
    ReadPowerSourceInfo();
    EXPECT_EQ(battery_texts().ConditionText, u"Normal");
    EXPECT_TRUE(battery_texts().FullChargeText.empty());
    EXPECT_TRUE(battery_texts().LowPowerModeText.empty());
}

TEST_F(PowerSourceInfoTest, IgnoresEntriesOfTheWrongKind) {
    battery_texts().ConditionText = u"Good";
    battery_texts().LowPowerModeText = u"off";
    battery_texts().FullChargeText = u"Fully charged";
    platform().power_source = {{integer_property(u"BatteryHealth", 1),
                                flag_property(u"LPM Active", true),
                                text_property(u"Time to Full Charge", u"35"),
                                {u"BatteryHealth", OtherValue{}}}};
    ReadPowerSourceInfo();
    EXPECT_EQ(battery_texts().ConditionText, u"Good");
    EXPECT_EQ(battery_texts().LowPowerModeText, u"off");
    EXPECT_EQ(battery_texts().FullChargeText, u"Fully charged");
}

TEST_F(PowerSourceInfoTest, TakesAnEmptyConditionAsItStands) {
    battery_texts().ConditionText = u"Good";
    platform().power_source = {{text_property(u"BatteryHealth", u"")}};
    ReadPowerSourceInfo();
    EXPECT_TRUE(battery_texts().ConditionText.empty());
}

} // namespace
} // namespace battery

#include "battery/battery_texts.h"

#include "battery_test_support.h"

namespace battery {
namespace {

using BatteryTextsTest = BatteryTest;

TEST_F(BatteryTextsTest, ClampsThePercentageAndReadsNonNumbersAsZero) {
    struct Row {
        const char16_t* capacity;
        const char16_t* expected;
    };
    const Row rows[] = {
        {u"87", u"87%"}, {u"104", u"100%"},       {u"-3", u"0%"},
        {u"0", u"0%"},   {u"100", u"100%"},       {u"[Not Found]", u"0%"},
        {u"", u"0%"},    {u"99 percent", u"99%"}, {u"Yes", u"0%"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(percent_text(row.capacity), row.expected) << rt::String(row.capacity).utf8();
    }
}

TEST_F(BatteryTextsTest, GivesHealthWithOneDecimalOnlyWithADesignCapacity) {
    struct Row {
        int64_t full;
        int64_t design;
        const char16_t* expected;
    };
    const Row rows[] = {
        {4500, 5000, u"90.0% health"}, {5103, 5088, u"100.3% health"}, // not clamped at 100
        {8079, 8755, u"92.3% health"}, {0, 5000, u"0.0% health"},      {1, 1, u"100.0% health"},
        {4500, 0, u"Unknown"},         {4500, -5000, u"Unknown"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(health_text(row.full, row.design), row.expected)
            << row.full << " / " << row.design;
    }
}

TEST_F(BatteryTextsTest, DerivesEveryTextFromTheLoadedProperties) {
    load({text_property(u"DeviceName", u"bq20z451"), text_property(u"Serial", u"D865033Y2CXF9CPAW"),
          integer_property(u"CycleCount", 412), flag_property(u"IsCharging", true),
          integer_property(u"Temperature", 3031), integer_property(u"TimeRemaining", 80),
          integer_property(u"CurrentCapacity", 87), integer_property(u"AppleRawMaxCapacity", 8079),
          integer_property(u"DesignCapacity", 8755)});
    UpdateBatteryTexts();
    const BatteryTexts& texts = battery_texts();
    EXPECT_EQ(texts.DeviceNameText, u"bq20z451");
    EXPECT_EQ(texts.SerialText, u"D865033Y2CXF9CPAW");
    EXPECT_EQ(texts.CyclesText, u"412 cycles");
    EXPECT_EQ(texts.ChargingText, u"Charging");
    EXPECT_EQ(texts.TemperatureText, u"29.95°C");
    EXPECT_EQ(texts.TimeLeftText, u"01:20 left");
    EXPECT_EQ(texts.PercentText, u"87%");
    EXPECT_EQ(texts.MaxCapacityText, u"8079");
    EXPECT_EQ(texts.HealthText, u"92.3% health");
}

TEST_F(BatteryTextsTest, UsesTheNotFoundMarkerForMissingProperties) {
    UpdateBatteryTexts();
    const BatteryTexts& texts = battery_texts();
    EXPECT_EQ(texts.DeviceNameText, u"[Not Found]");
    EXPECT_EQ(texts.CyclesText, u"[Not Found] cycles");
    EXPECT_EQ(texts.TimeLeftText, u"[Not Found] left");
    EXPECT_EQ(texts.ChargingText, u"Not charging");
    EXPECT_EQ(texts.PercentText, u"0%");
    EXPECT_EQ(texts.HealthText, u"Unknown");

    load({integer_property(u"DesignCapacity", 5000)});
    UpdateBatteryTexts();
    EXPECT_EQ(battery_texts().HealthText, u"0.0% health");
}

TEST_F(BatteryTextsTest, CallsOnlyAnExactYesCharging) {
    struct Row {
        PlatformProperties registry;
        const char16_t* expected;
    };
    const Row rows[] = {
        {{flag_property(u"IsCharging", true)}, u"Charging"},
        {{text_property(u"IsCharging", u"Yes")}, u"Charging"},
        {{flag_property(u"IsCharging", false)}, u"Not charging"},
        {{text_property(u"IsCharging", u"yes")}, u"Not charging"},
        {{integer_property(u"IsCharging", 1)}, u"Not charging"},
        {{}, u"Not charging"},
    };
    for (const Row& row : rows) {
        load(row.registry);
        UpdateBatteryTexts();
        EXPECT_EQ(battery_texts().ChargingText, row.expected)
            << GetBatteryValue(u"IsCharging").utf8();
    }
}

TEST_F(BatteryTextsTest, LeavesThePowerSourceTextsAlone) {
    BatteryTexts& texts = battery_texts();
    texts.ConditionText = u"Good";
    texts.FullChargeText = u"35 min to full";
    texts.LowPowerModeText = u"off";
    texts.PowerSourceText = u"AC Power";
    UpdateBatteryTexts();
    EXPECT_EQ(texts.ConditionText, u"Good");
    EXPECT_EQ(texts.FullChargeText, u"35 min to full");
    EXPECT_EQ(texts.LowPowerModeText, u"off");
    EXPECT_EQ(texts.PowerSourceText, u"AC Power");
}

} // namespace
} // namespace battery

#include "battery/battery_report.h"

#include "battery_test_support.h"

namespace battery {
namespace {

using BatteryReportTest = BatteryTest;

TEST_F(BatteryReportTest, BoundsTheVoltage) {
    struct Row {
        const char16_t* millivolts;
        const char16_t* expected;
    };
    const Row rows[] = {
        {u"12345", u"Voltage: 12.35 V\n\r"}, {u"11400", u"Voltage: 11.40 V\n\r"},
        {u"8", u"Voltage: 0.01 V\n\r"},      {u"20000", u"Voltage: 20.00 V\n\r"},
        {u"1", u"Voltage: 0.00 V\n\r"},      {u"20001", u"Voltage: Unknown\n"},
        {u"0", u"Voltage: Unknown\n"},       {u"-5", u"Voltage: Unknown\n"},
        {u"Yes", u"Voltage: Unknown\n"},     {u"[Not Found]", u""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(voltage_line(row.millivolts), row.expected) << rt::String(row.millivolts).utf8();
    }
}

class FullReportTest : public BatteryTest {
  protected:
    void SetUp() override {
        BatteryTest::SetUp();
        BatteryTexts& texts = battery_texts();
        texts.DeviceNameText = u"bq20z451";
        texts.SerialText = u"D865033Y2CXF9CPAW";
        texts.CyclesText = u"412 cycles";
        texts.HealthText = u"92.3% health";
        texts.ConditionText = u"Good";
        texts.TemperatureText = u"29.95°C";
        texts.MaxCapacityText = u"8079";
        texts.LowPowerModeText = u"on";
    }

    static constexpr const char16_t* k_fixed_lines =
        u"Battery Name: bq20z451\nBattery Serial: D865033Y2CXF9CPAW\n\rCharge Cycles: 412 "
        u"cycles\nBattery Health: 92.3%\nBattery Condition: Good\nBattery Temperature: "
        u"29.95°C\n\rMax Capacity: 8079\nLow Power Mode: On\n";
};

TEST_F(FullReportTest, ShowsTheOptionalLinesOnlyForPresentKeys) {
    struct Row {
        const char* what;
        PlatformProperties registry;
        const char16_t* tail;
    };
    const Row rows[] = {
        {"none", {}, u"\n"},
        {"all",
         {integer_property(u"AvgTimeToEmpty", 65535), integer_property(u"Voltage", 12345),
          integer_property(u"AvgTimeToFull", 95)},
         u"Voltage: 12.35 V\n\rAverage Time to Full: 01:35\nAverage Time to Empty: 1092:15\n\n"},
        {"empty only",
         {integer_property(u"AvgTimeToEmpty", -1)},
         u"Average Time to Empty: -00:01\n\n"},
        {"unknown voltage, full only",
         {integer_property(u"Voltage", 0), integer_property(u"AvgTimeToFull", 65535)},
         u"Voltage: Unknown\nAverage Time to Full: 1092:15\n\n"},
    };
    for (const Row& row : rows) {
        load(row.registry);
        EXPECT_EQ(build_battery_information_report(), rt::String(k_fixed_lines) + row.tail)
            << row.what;
    }
}

TEST_F(FullReportTest, CapitalisesTheLowPowerModeWord) {
    struct Row {
        const char16_t* text;
        const char16_t* line;
    };
    const Row rows[] = {
        {u"on", u"Low Power Mode: On\n"},
        {u"off", u"Low Power Mode: Off\n"},
        {u"", u"Low Power Mode: \n"},
        {u"oN", u"Low Power Mode: On\n"},
    };
    for (const Row& row : rows) {
        battery_texts().LowPowerModeText = row.text;
        const rt::String report = build_battery_information_report();
        EXPECT_NE(rt::FindText(report, row.line, 1), 0) << report.utf8();
    }
}

TEST_F(FullReportTest, CutsTheHealthAtItsFirstBlank) {
    battery_texts().HealthText = u"Unknown";
    EXPECT_NE(rt::FindText(build_battery_information_report(), u"\nBattery Health: Unknown\n", 1),
              0);
    battery_texts().HealthText = u"100.3% health";
    EXPECT_NE(rt::FindText(build_battery_information_report(), u"\nBattery Health: 100.3%\n", 1),
              0);
}

} // namespace
} // namespace battery

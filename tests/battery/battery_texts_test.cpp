// Every text the indicator shows about the battery, from a recorded reading: the registry's
// values, the display texts of a refresh, the power state, the power source's texts, the status
// title and the information report.

#include "battery/battery_report.h"
#include "battery/battery_texts.h"
#include "battery/power_state.h"
#include "battery/status_title.h"
#include "battery_test_support.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

namespace battery {
namespace {

using Shown = std::function<rt::String()>;

Shown value(const char16_t* key) {
    return [key] { return GetBatteryValue(key); };
}
Shown text(rt::String BatteryTexts::*field) {
    return [field] { return battery_texts().*field; };
}
Shown title(DisplaySettings settings) {
    return [settings] { return ComposeStatusTitle(settings); };
}
// The information report from the line that starts with `label` to its end.
Shown report_from(const char16_t* label) {
    return [label] {
        const rt::String whole = build_battery_information_report();
        const std::u16string_view report(whole.c_str());
        const size_t at = report.find(label);
        return at == report.npos ? rt::String(u"(no such line)") : rt::String(report.substr(at));
    };
}
const Shown state = [] { return DescribePowerSource(); };

const Shown cycles = text(&BatteryTexts::CyclesText), left = text(&BatteryTexts::TimeLeftText),
            percent = text(&BatteryTexts::PercentText), health = text(&BatteryTexts::HealthText),
            charging = text(&BatteryTexts::ChargingText),
            to_full = text(&BatteryTexts::FullChargeText),
            low_power = text(&BatteryTexts::LowPowerModeText),
            condition = text(&BatteryTexts::ConditionText);

struct TextRow {
    PlatformProperties registry;
    Shown shown;
    const char16_t* expected;
    std::optional<PlatformProperties> power = std::nullopt;
    const char16_t* locale = u"de_DE";
};

using BatteryTextsTest = BatteryTest;

TEST_F(BatteryTextsTest, ShowsEachRecordedReadingAsItsText) {
    const PlatformProperties sample = {
        txt(u"DeviceName", u"bq20z451"), txt(u"Serial", u"D865033Y2CXF9CPAW"),
        num(u"CycleCount", 412),         flag(u"IsCharging", true),
        num(u"Temperature", 3031),       num(u"TimeRemaining", 80),
        num(u"CurrentCapacity", 87),     num(u"AppleRawMaxCapacity", 8079),
        num(u"DesignCapacity", 8755),    num(u"Voltage", 12345),
        num(u"AvgTimeToFull", 95),       num(u"AvgTimeToEmpty", 65535)};
    const PlatformProperties sample_power = {txt(u"BatteryHealth", u"Good"), num(u"LPM Active", 1),
                                             num(u"Time to Full Charge", 35)};
    auto full_in = [](int64_t minutes) {
        return PlatformProperties{num(u"Time to Full Charge", minutes)};
    };
    auto limited = [](int64_t percent, bool on_mains, bool charging, int64_t limit = 80) {
        return PlatformProperties{num(u"ChargeLimit", limit),
                                  num(u"CurrentCapacity", percent),
                                  flag(u"ExternalConnected", on_mains),
                                  flag(u"IsCharging", charging),
                                  num(u"TimeRemaining", 0),
                                  num(u"AvgTimeToFull", 65535)};
    };
    const PlatformProperties held = limited(80, true, false);
    const DisplaySettings times = {.ShowTimeLeft = 1, .ShowFullChargeTime = 1, .ShowCharging = 1};
    const int64_t lowest = std::numeric_limits<int64_t>::min();
    const char16_t* wait = u"PostDischargeWaitSeconds";
    const char16_t* wake = u"BatteryInvalidWakeSeconds";
    const char16_t *raw = u"AppleRawMaxCapacity", *design = u"DesignCapacity";
    const TextRow rows[] = {
        // Registry values: flags, texts, other kinds, integers; keys match exactly and the first
        // of two equal keys wins.
        {{flag(u"IsCharging", true)}, value(u"IsCharging"), u"Yes"},
        {{flag(u"ExternalConnected", false)}, value(u"ExternalConnected"), u"No"},
        {{txt(u"DeviceName", u"bq20z451")}, value(u"DeviceName"), u"bq20z451"},
        {{{u"BatteryData", OtherValue{}}}, value(u"BatteryData"), u"[unsupported type]"},
        {{num(u"Amperage", -1250)}, value(u"Amperage"), u"-1250"},
        {{num(u"CycleCount", 412)}, value(u"cyclecount"), u"[Not Found]"},
        {{num(u"CycleCount", 1), num(u"CycleCount", 2)}, value(u"CycleCount"), u"1"},
        // The time keys' integers as hours and minutes: hours never cut, one sign in front.
        {{num(u"AvgTimeToEmpty", -1)}, value(u"AvgTimeToEmpty"), u"-00:01"},
        {{num(u"AvgTimeToFull", 0)}, value(u"AvgTimeToFull"), u"00:00"},
        {{num(u"TimeRemaining", 125)}, value(u"TimeRemaining"), u"02:05"},
        {{num(u"PostChargeWaitSeconds", 5999)}, value(u"PostChargeWaitSeconds"), u"99:59"},
        {{num(wait, 6000)}, value(wait), u"100:00"},
        {{num(wake, 65535)}, value(wake), u"1092:15"},
        {{num(u"TimeRemaining", -61)}, value(u"TimeRemaining"), u"-01:01"},
        {{num(u"TimeRemaining", lowest)}, value(u"TimeRemaining"), u"-153722867280912930:08"},
        {{txt(u"TimeRemaining", u"125")}, value(u"TimeRemaining"), u"125"},
        {{num(u"timeRemaining", 125)}, value(u"timeRemaining"), u"125"},
        // Temperatures: Fahrenheit for exactly en_US; valid from 2000 to 10000 tenths of a kelvin.
        {{num(u"Temperature", 2981)}, value(u"Temperature"), u"24.95°C"},
        {{num(u"Temperature", 2981)}, value(u"Temperature"), u"76.9°F", {}, u"en_US"},
        {{num(u"Temperature", 2000)}, value(u"Temperature"), u"-73.15°C"},
        {{num(u"Temperature", 2000)}, value(u"Temperature"), u"-99.7°F", {}, u"en_US"},
        {{num(u"Temperature", 10000)}, value(u"Temperature"), u"726.85°C"},
        {{num(u"Temperature", 1999)}, value(u"Temperature"), u"Unknown"},
        {{num(u"Temperature", 10001)}, value(u"Temperature"), u"Unknown", {}, u"en_US"},
        {{num(u"Temperature", 3031)}, value(u"Temperature"), u"29.95°C", {}, u"en_US_POSIX"},
        {{num(u"Temperature", 3031)}, value(u"Temperature"), u"29.95°C", {}, u"en_us"},
        {{txt(u"Temperature", u"hot")}, value(u"Temperature"), u"hot", {}, u"en_US"},
        // Display texts of missing properties.
        {{}, cycles, u"[Not Found] cycles"},
        {{}, left, u"[Not Found] left"},
        // The percentage, clamped; a text that is no number reads as 0.
        {{num(u"CurrentCapacity", 104)}, percent, u"100%"},
        {{num(u"CurrentCapacity", -3)}, percent, u"0%"},
        {{}, percent, u"0%"},
        {{txt(u"CurrentCapacity", u"99 percent")}, percent, u"99%"},
        // Health: one decimal, not clamped, unknown without a design capacity.
        {{num(raw, 5103), num(design, 5088)}, health, u"100.3% health"},
        {{num(raw, 1), num(design, 1)}, health, u"100.0% health"},
        {{num(design, 5000)}, health, u"0.0% health"},
        {{num(raw, 4500), num(design, 0)}, health, u"Unknown"},
        // Charging only for an exact "Yes".
        {{txt(u"IsCharging", u"Yes")}, charging, u"Charging"},
        {{txt(u"IsCharging", u"yes")}, charging, u"Not charging"},
        {{}, charging, u"Not charging"},
        // The power state: the first rule that answers.
        {{}, state, u"Unidentified"},
        {{txt(u"PowerSource", u"UPS Power"), flag(u"ExternalConnected", false),
          flag(u"IsCharging", true), num(u"Amperage", 1200)},
         state,
         u"UPS Power"},
        {{txt(u"PowerSource", u""), flag(u"ExternalConnected", true)}, state, u"AC Power"},
        {{flag(u"ExternalConnected", false), flag(u"IsCharging", true)}, state, u"Battery Power"},
        {{flag(u"IsCharging", true), num(u"Amperage", -5)}, state, u"AC Power"},
        {{flag(u"IsCharging", false)}, state, u"Battery Power"},
        {{txt(u"ExternalConnected", u"yes"), flag(u"IsCharging", false)}, state, u"Battery Power"},
        {{num(u"Amperage", 1200)}, state, u"Charging"},
        {{num(u"Amperage", -800)}, state, u"Battery Power"},
        {{num(u"Amperage", 0)}, state, u"Unidentified"},
        // The power source's texts; an entry of another kind than its field reads is ignored.
        {{num(u"CurrentCapacity", 42)}, to_full, u"Calculating...", full_in(0)},
        {{num(u"CurrentCapacity", 42)}, to_full, u"1 min to full", full_in(1)},
        {{num(u"CurrentCapacity", 98)}, to_full, u"999 min to full", full_in(999)},
        {{num(u"CurrentCapacity", 42)}, to_full, u"Calculating...", full_in(1000)},
        {{num(u"CurrentCapacity", 99)}, to_full, u"Fully charged", full_in(35)},
        {{num(u"CurrentCapacity", 100)}, to_full, u"Calculating...", full_in(0)},
        {{}, to_full, u"", {{txt(u"Time to Full Charge", u"35")}}},
        {{}, low_power, u"on", {{num(u"LPM Active", 1)}}},
        {{}, low_power, u"off", {{num(u"LPM Active", 2)}}},
        {{}, low_power, u"", {{flag(u"LPM Active", true)}}},
        {{}, condition, u"Check Battery", {{txt(u"BatteryHealth", u"Check Battery")}}},
        {{}, condition, u"", {{num(u"BatteryHealth", 1)}}},
        // The status title: the chosen pieces in title order, any non-zero setting on.
        {sample, title({1, 1, 1, 1, 1, 1, 1, 1}),
         u"412 cycles • Good • 87% • 92.3% health • 01:20 left • 29.95°C • 35 min to full • "
         u"Charging",
         sample_power},
        {sample, title({.ShowCycles = 1, .ShowTemp = -7}), u"412 cycles • 29.95°C", sample_power},
        // Without a power source the condition and the time to full are empty and keep their
        // places; when no piece has text the title is the percentage.
        {sample, title({.ShowCycles = 1, .ShowCondition = 1, .ShowPercentage = 1}),
         u"412 cycles •  • 87%"},
        {sample, title({.ShowCondition = 1, .ShowPercentage = 1}), u" • 87%"},
        {sample, title({.ShowFullChargeTime = 1, .ShowCharging = 1}), u" • Charging"},
        {sample, title({}), u"87%"},
        {sample, title({.ShowCondition = 1, .ShowFullChargeTime = 1}), u"87%"},
        // No time left reads fully charged.
        {{num(u"TimeRemaining", 0)}, title({.ShowTimeLeft = 1}), u"Fully charged"},
        {{num(u"TimeRemaining", 1)}, title({.ShowTimeLeft = 1}), u"00:01 left"},
        // Charging held at a limit says so, never fully charged or a time to full; at full, off
        // mains, while charging, or with no limit below 100 it is not held.
        {held, title(times), u"Held at 80% • Held at 80% • Not charging (held at 80%)",
         full_in(35)},
        {limited(75, true, false), charging, u"Not charging (held at 80%)"},
        {limited(79, true, false, 90), left, u"Held at 90%"},
        {limited(100, true, false), title(times), u"Fully charged • Calculating... • Not charging",
         full_in(0)},
        {limited(80, true, false, 100), left, u"00:00 left"},
        {limited(60, false, false), charging, u"Not charging"},
        {limited(60, true, true), title({.ShowFullChargeTime = 1, .ShowCharging = 1}),
         u"35 min to full • Charging", full_in(35)},
        {held, report_from(u"Low Power Mode"),
         u"Low Power Mode: \nCharge Limit: 80%, charging held\n\n"},
        {limited(60, false, false), report_from(u"Low Power Mode"),
         u"Low Power Mode: \nAverage Time to Full: 1092:15\nCharge Limit: 80%\n\n"},
        {limited(60, true, false, 100), report_from(u"Charge Limit"), u"Charge Limit: None\n\n"},
        {sample, report_from(u"Charge Limit"), u"(no such line)"},
        // The information report: the health cut at its first blank, Low Power Mode capitalised,
        // the voltage only from 1 to 20000 mV, the average times only when recorded.
        {sample, report_from(u"Battery Name"),
         u"Battery Name: bq20z451\nBattery Serial: D865033Y2CXF9CPAW\n\rCharge Cycles: 412 "
         u"cycles\nBattery Health: 92.3%\nBattery Condition: Good\nBattery Temperature: "
         u"29.95°C\n\rMax Capacity: 8079\nLow Power Mode: On\nVoltage: 12.35 V\n\rAverage Time "
         u"to Full: 01:35\nAverage Time to Empty: 1092:15\n\n",
         sample_power},
        {{num(u"AvgTimeToEmpty", -1)},
         report_from(u"Low Power Mode"),
         u"Low Power Mode: \nAverage Time to Empty: -00:01\n\n"},
        {{num(u"Voltage", 0), num(u"AvgTimeToFull", 65535)},
         report_from(u"Low Power Mode"),
         u"Low Power Mode: Off\nVoltage: Unknown\nAverage Time to Full: 1092:15\n\n",
         {{num(u"LPM Active", 0)}}},
        {{num(u"Voltage", 1)}, report_from(u"Voltage"), u"Voltage: 0.00 V\n\r\n"},
        {{num(u"Voltage", 20000)}, report_from(u"Voltage"), u"Voltage: 20.00 V\n\r\n"},
        {{num(u"Voltage", 20001)}, report_from(u"Voltage"), u"Voltage: Unknown\n\n"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const TextRow& row = rows[i];
        SCOPED_TRACE("row " + std::to_string(i) + ", expecting " + rt::String(row.expected).utf8());
        read(row.registry, row.power, row.locale);
        EXPECT_EQ(row.shown(), row.expected);
    }
}

TEST_F(BatteryTextsTest, ForgetsTheBatteryWhenItCannotBeRead) {
    read({num(u"CycleCount", 412)});
    platform().registry.reset();
    LoadBatteryProperties();
    EXPECT_EQ(GetBatteryValue(u"CycleCount"), u"[Not Found]");
}

TEST_F(BatteryTextsTest, LooksKeysUpByTheirTextNotWhereTheTextWasLastSeen) {
    read({num(u"CycleCount", 412), num(u"Voltage", 12100)});
    char16_t key[] = u"Missing";
    EXPECT_EQ(GetBatteryValue(key), u"[Not Found]");
    std::u16string_view(u"Voltage").copy(key, 7);
    EXPECT_EQ(GetBatteryValue(key), u"12100");
    std::u16string_view(u"Missing").copy(key, 7);
    EXPECT_EQ(GetBatteryValue(key), u"[Not Found]");
    EXPECT_EQ(GetBatteryValue(u"Missing"), u"[Not Found]");
    // A key absent from one reading is found once a later reading has it.
    read({num(u"Missing", 7)});
    EXPECT_EQ(GetBatteryValue(key), u"7");
    EXPECT_EQ(GetBatteryValue(u"Missing"), u"7");
}

} // namespace
} // namespace battery

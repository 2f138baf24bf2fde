#include "platform/iokit/battery_facts.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Values = std::vector<std::pair<std::string_view, std::string_view>>;

PowerSupply supply(std::string name, const Values& values) {
    PowerSupply result(std::move(name));
    for (const auto& [attribute, text] : values)
        result.set(*supply_attribute_named(attribute), text);
    return result;
}

PowerSupplySnapshot snapshot_of(std::vector<PowerSupply> supplies) {
    return PowerSupplySnapshot{std::move(supplies), ""};
}

// A figure of the facts by name, for tables; "-" when absent.
std::string figure(const BatteryFacts& facts, std::string_view name) {
    const std::map<std::string_view, std::optional<std::int64_t>> figures = {
        {"percent", facts.percent},
        {"current_mah", facts.current_mah},
        {"full_mah", facts.full_mah},
        {"design_mah", facts.design_mah},
        {"cycles", facts.cycle_count},
        {"temperature", facts.temperature_decikelvin},
        {"voltage", facts.voltage_mv},
        {"amperage", facts.amperage_ma},
        {"to_empty", facts.minutes_to_empty},
        {"to_full", facts.minutes_to_full},
        {"avg_to_empty", facts.average_minutes_to_empty},
        {"avg_to_full", facts.average_minutes_to_full},
        {"external", facts.external_power},
        {"worn", facts.worn},
        {"failure", facts.failure},
        {"permanent_failure", facts.permanent_failure},
    };
    auto found = figures.find(name);
    if (found == figures.end()) return "<no such figure>";
    return found->second ? std::to_string(*found->second) : "-";
}

struct FactsCase {
    const char* title;
    Values battery;
    std::vector<std::pair<std::string_view, std::string>> expected;
};

void check(const FactsCase& row) {
    std::optional<BatteryFacts> facts = battery_facts(snapshot_of({supply("BAT0", row.battery)}));
    ASSERT_TRUE(facts) << row.title;
    for (const auto& [name, expected] : row.expected)
        EXPECT_EQ(figure(*facts, name), expected) << row.title << ": " << name;
}

const Values k_battery = {{"type", "Battery"}};

Values with(Values values) {
    values.insert(values.begin(), k_battery.begin(), k_battery.end());
    return values;
}

} // namespace

TEST(BatteryFacts, MapsChargeReportingBatteries) {
    const FactsCase cases[] = {
        {"charging, power without current",
         with({{"status", "Charging"},
               {"charge_now", "2000000"},
               {"charge_full", "4000000"},
               {"power_now", "6000000"},
               {"voltage_now", "12000000"}}),
         {{"amperage", "500"}, {"to_empty", "240"}, {"to_full", "240"}}},
        {"power without any voltage: no rate, no current",
         with({{"status", "Discharging"}, {"charge_now", "2000000"}, {"power_now", "6000000"}}),
         {{"amperage", "-"}, {"to_empty", "-"}, {"to_full", "-"}}},
        {"a current of 0 is no rate",
         with({{"status", "Discharging"},
               {"charge_now", "2000000"},
               {"charge_full", "4000000"},
               {"current_now", "0"}}),
         {{"amperage", "0"}, {"to_empty", "-"}, {"to_full", "-"}}},
        {"full: nothing left to charge",
         with({{"status", "Full"},
               {"charge_now", "5000000"},
               {"charge_full", "4900000"},
               {"current_now", "1000"}}),
         {{"percent", "100"}, {"to_full", "0"}, {"amperage", "0"}}},
        {"charge wins over energy",
         with({{"charge_now", "1000000"}, {"energy_now", "99000000"}}),
         {{"current_mah", "1000"}}},
    };
    for (const FactsCase& row : cases)
        check(row);
}

TEST(BatteryFacts, MapsEnergyReportingBatteries) {
    const FactsCase cases[] = {
        {"current without power",
         with({{"status", "Discharging"},
               {"energy_now", "30000000"},
               {"current_now", "2000000"},
               {"voltage_now", "15000000"}}),
         {{"to_empty", "60"}, {"amperage", "-2000"}, {"current_mah", "2000"}}},
        {"the largest design voltage when no smallest",
         with({{"energy_now", "44000000"},
               {"voltage_max_design", "11000000"},
               {"voltage_now", "12500000"}}),
         {{"current_mah", "4000"}}},
        {"no voltage at all: milliwatt-hours",
         with({{"energy_now", "45000000"},
               {"energy_full", "50000000"},
               {"energy_full_design", "57000000"}}),
         {{"current_mah", "45000"},
          {"full_mah", "50000"},
          {"design_mah", "57000"},
          {"percent", "90"}}},
    };
    for (const FactsCase& row : cases)
        check(row);
}

TEST(BatteryFacts, PrefersTheDriversOwnTimes) {
    const Values base = {{"type", "Battery"},
                         {"status", "Discharging"},
                         {"charge_now", "3000000"},
                         {"charge_full", "5000000"},
                         {"current_now", "1500000"}};
    auto plus = [&](Values extra) {
        Values values = base;
        values.insert(values.begin(), extra.begin(), extra.end());
        return values;
    };
    const FactsCase cases[] = {
        {"driver's now times",
         plus({{"time_to_empty_now", "3659"}, {"time_to_full_now", "600"}}),
         {{"to_empty", "60"}, {"to_full", "10"}, {"avg_to_empty", "60"}, {"avg_to_full", "10"}}},
        {"driver's averages",
         plus({{"time_to_empty_avg", "7200"}, {"time_to_full_avg", "1800"}}),
         {{"to_empty", "120"}, {"to_full", "80"}, {"avg_to_empty", "120"}, {"avg_to_full", "30"}}},
        {"negative driver times are not estimates",
         plus({{"time_to_empty_now", "-1"}}),
         {{"to_empty", "120"}}},
        {"a driver's time without any rate",
         {{"type", "Battery"}, {"time_to_empty_now", "600"}},
         {{"to_empty", "10"}, {"to_full", "-"}}},
    };
    for (const FactsCase& row : cases)
        check(row);
}

TEST(BatteryFacts, ClampsPercentAndFiltersMeasurements) {
    const FactsCase cases[] = {
        {"capacity above 100", with({{"capacity", "150"}}), {{"percent", "100"}}},
        {"capacity below 0", with({{"capacity", "-5"}}), {{"percent", "0"}}},
        {"computed and rounded",
         with({{"charge_now", "2995"}, {"charge_full", "10000"}}),
         {{"percent", "30"}}},
        {"now above full", with({{"charge_now", "6"}, {"charge_full", "5"}}), {{"percent", "100"}}},
        {"full of 0", with({{"charge_now", "6"}, {"charge_full", "0"}}), {{"percent", "-"}}},
        {"no temperature, no cycles",
         with({{"cycle_count", "0"}}),
         {{"temperature", "-"}, {"cycles", "-"}}},
        {"temperature and cycles",
         with({{"temp", "295"}, {"cycle_count", "412"}}),
         {{"temperature", "3027"}, {"cycles", "412"}}},
        {"below freezing", with({{"temp", "-105"}}), {{"temperature", "2627"}}},
        {"huge and unreadable values",
         with({{"charge_now", "99999999999999999"},
               {"charge_full", "99999999999999999999"},
               {"voltage_now", "lots"},
               {"cycle_count", "4294967296"},
               {"temp", "2147483647"}}),
         {{"current_mah", "-"},
          {"full_mah", "-"},
          {"percent", "-"},
          {"voltage", "-"},
          {"cycles", "-"},
          {"temperature", "-"}}},
        {"a rate of one: minutes too large to keep",
         with({{"status", "Discharging"}, {"charge_now", "9000000000000"}, {"current_now", "1"}}),
         {{"to_empty", "-"}}},
    };
    for (const FactsCase& row : cases)
        check(row);
}

TEST(BatteryFacts, JudgesHealthAndWear) {
    const FactsCase cases[] = {
        {"overheat",
         with({{"health", "Overheat"}}),
         {{"failure", "1"}, {"permanent_failure", "0"}}},
        {"dead", with({{"health", "Dead"}}), {{"failure", "0"}, {"permanent_failure", "1"}}},
        {"cell imbalance", with({{"health", "Cell imbalance"}}), {{"permanent_failure", "1"}}},
        {"good", with({{"health", "Good"}}), {{"failure", "0"}, {"permanent_failure", "0"}}},
        {"warm is no failure", with({{"health", "Warm"}}), {{"failure", "0"}}},
        {"worn below 80 %",
         with({{"charge_full", "7999"}, {"charge_full_design", "10000"}}),
         {{"worn", "1"}}},
        {"exactly 80 %",
         with({{"charge_full", "8000"}, {"charge_full_design", "10000"}}),
         {{"worn", "0"}}},
        {"no design capacity", with({{"charge_full", "10"}}), {{"worn", "0"}}},
    };
    for (const FactsCase& row : cases)
        check(row);
}

TEST(BatteryFacts, CountsOnlyTheMachinesOwnBatteries) {
    const Values mouse = {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "5"}};
    const Values absent = {{"type", "Battery"}, {"present", "0"}, {"capacity", "6"}};
    const Values bat0 = {{"type", "Battery"}, {"capacity", "70"}};
    std::optional<BatteryFacts> facts = battery_facts(
        snapshot_of({supply("AAA_mouse", mouse), supply("AAB", absent), supply("BAT0", bat0)}));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->percent, 70);

    EXPECT_FALSE(battery_facts(snapshot_of({supply("hidpp_battery_0", mouse)})));
    EXPECT_FALSE(battery_facts(snapshot_of({supply("AC", {{"type", "Mains"}, {"online", "1"}})})));
    EXPECT_FALSE(battery_facts(snapshot_of({})));
}

struct TwoBatteriesCase {
    const char* title;
    Values bat0;
    Values bat1;
    std::vector<std::pair<std::string_view, std::string>> expected;
};

// Expected figures worked out by hand from the sums (µWh × 1000 ÷ the first battery's minimum
// design voltage for mAh; minutes from the summed contents and rates).
TEST(BatteryFacts, CombinesTwoBatteriesIntoOne) {
    const TwoBatteriesCase cases[] = {
        {"an internal battery full, the external one discharging (energy)",
         with({{"status", "Full"},
               {"energy_now", "19370000"},
               {"energy_full", "19370000"},
               {"energy_full_design", "23480000"},
               {"voltage_min_design", "11100000"},
               {"voltage_now", "12636000"},
               {"power_now", "0"},
               {"cycle_count", "412"},
               {"model_name", "45N1113"},
               {"manufacturer", "LGC"},
               {"capacity", "100"}}),
         with({{"status", "Discharging"},
               {"energy_now", "40000000"},
               {"energy_full", "64300000"},
               {"energy_full_design", "90060000"},
               {"voltage_min_design", "11520000"},
               {"voltage_now", "11800000"},
               {"power_now", "9540000"},
               {"cycle_count", "284"},
               {"model_name", "01AV495"},
               {"capacity", "62"},
               {"time_to_empty_now", "60"}}),
         {{"percent", "71"},
          {"current_mah", "5348"},
          {"full_mah", "7537"},
          {"design_mah", "10228"},
          {"to_empty", "373"},
          {"amperage", "-754"},
          {"cycles", "412"},
          {"worn", "1"},
          {"voltage", "12636"}}},
        {"both discharging, currents of opposite signs (charge)",
         with({{"status", "Discharging"},
               {"charge_now", "1800000"},
               {"charge_full", "1950000"},
               {"charge_full_design", "2090000"},
               {"current_now", "650000"},
               {"voltage_min_design", "11400000"},
               {"health", "Good"}}),
         with({{"status", "Discharging"},
               {"charge_now", "3100000"},
               {"charge_full", "5200000"},
               {"charge_full_design", "5800000"},
               {"current_now", "-820000"},
               {"health", "Overheat"}}),
         {{"percent", "69"},
          {"current_mah", "4900"},
          {"full_mah", "7150"},
          {"design_mah", "7890"},
          {"to_empty", "200"},
          {"amperage", "-1470"},
          {"failure", "1"}}},
        {"one charging without its present energy, the other held in charge units",
         with({{"status", "Not charging"},
               {"charge_full", "4000000"},
               {"charge_full_design", "4400000"},
               {"charge_now", "3000000"},
               {"current_now", "0"},
               {"voltage_min_design", "11400000"}}),
         with({{"status", "Charging"},
               {"energy_full", "50000000"},
               {"energy_full_design", "57000000"},
               {"power_now", "15000000"}}),
         {{"percent", "-"},
          {"current_mah", "-"},
          {"full_mah", "8385"},
          {"design_mah", "9400"},
          {"to_full", "-"},
          {"amperage", "0"}}},
    };
    for (const TwoBatteriesCase& row : cases) {
        std::optional<BatteryFacts> facts = battery_facts(snapshot_of(
            {supply("AC", {{"type", "Mains"}, {"online", "0"}}), supply("BAT0", row.bat0),
             supply("BAT1", row.bat1),
             supply("hid_mouse",
                    {{"type", "Battery"}, {"scope", "Device"}, {"energy_now", "1000"}})}));
        ASSERT_TRUE(facts) << row.title;
        for (const auto& [name, expected] : row.expected)
            EXPECT_EQ(figure(*facts, name), expected) << row.title << ": " << name;
    }
}

TEST(BatteryFacts, DecidesExternalPowerFromSuppliesThenFromTheStatus) {
    struct Case {
        const char* title;
        std::string status;
        std::vector<PowerSupply> others;
        bool expected;
    };
    auto mains = [](std::string_view online) {
        return supply("AC", {{"type", "Mains"}, {"online", online}});
    };
    const Case cases[] = {
        {"mains online", "Discharging", {mains("1")}, true},
        {"mains offline while charging", "Charging", {mains("0")}, false},
        {"USB online, mains offline",
         "Discharging",
         {mains("0"), supply("ucsi", {{"type", "USB"}, {"online", "1"}})},
         true},
        {"a peripheral's charger does not count",
         "Discharging",
         {supply("dock", {{"type", "Mains"}, {"scope", "Device"}, {"online", "1"}})},
         false},
        {"unreadable online tells nothing", "Charging", {mains("?")}, true},
        {"no supply, charging", "Charging", {}, true},
        {"no supply, full", "Full", {}, true},
        {"no supply, not charging", "Not charging", {}, true},
        {"no supply, discharging", "Discharging", {}, false},
        {"no supply, unknown", "Unknown", {}, false},
    };
    for (const Case& row : cases) {
        std::vector<PowerSupply> supplies = row.others;
        supplies.push_back(supply("BAT0", {{"type", "Battery"}, {"status", row.status}}));
        std::optional<BatteryFacts> facts = battery_facts(snapshot_of(supplies));
        ASSERT_TRUE(facts) << row.title;
        EXPECT_EQ(facts->external_power, row.expected) << row.title;
    }
}

#include "platform/iokit/battery_dictionaries.h"

#include "tests/platform/iokit/iokit_test_support.h"

namespace {

BatteryFacts discharging_battery() {
    BatteryFacts facts;
    facts.status = ChargeStatus::Discharging;
    facts.capacity_kind = CapacityKind::Charge;
    facts.percent = 60;
    facts.current_mah = 3000;
    facts.full_mah = 5000;
    facts.design_mah = 6000;
    facts.cycle_count = 412;
    facts.temperature_decikelvin = 3027;
    facts.voltage_mv = 11800;
    facts.amperage_ma = -1500;
    facts.minutes_to_empty = 120;
    facts.minutes_to_full = 80;
    facts.average_minutes_to_empty = 125;
    facts.average_minutes_to_full = 85;
    facts.device_name = "5B10W13895";
    facts.manufacturer = "SMP";
    facts.serial = "1234";
    return facts;
}

} // namespace

TEST(BatteryDictionaries, LeavesOutAbsentFactsAndEmptyNames) {
    BatteryFacts facts;
    ObjcRef<NSMutableDictionary> entry = make_registry_entry(facts);
    const std::vector<std::string> order = {
        "MaxCapacity",          "TimeRemaining",         "AvgTimeToEmpty", "AvgTimeToFull",
        "IsCharging",           "ExternalConnected",     "FullyCharged",   "BatteryInstalled",
        "BatteryFailureStatus", "PermanentFailureStatus"};
    EXPECT_EQ(keys_of(entry.get()), order);
}

TEST(BatteryDictionaries, GivesTimesAndFlagsByStatus) {
    struct Case {
        ChargeStatus status;
        bool known;
        const char *remaining, *avg_empty, *avg_full, *to_empty, *to_full;
        const char *charging, *full, *is_charged;
    };
    const Case cases[] = {
        {ChargeStatus::Discharging, true, "int:120", "int:125", "int:65535", "int:120", "int:-1",
         "bool:false", "bool:false", "<absent>"},
        {ChargeStatus::Discharging, false, "int:65535", "int:65535", "int:65535", "int:-1",
         "int:-1", "bool:false", "bool:false", "<absent>"},
        {ChargeStatus::Charging, true, "int:80", "int:65535", "int:85", "int:0", "int:80",
         "bool:true", "bool:false", "<absent>"},
        {ChargeStatus::Charging, false, "int:65535", "int:65535", "int:65535", "int:0", "int:-1",
         "bool:true", "bool:false", "<absent>"},
        {ChargeStatus::Full, true, "int:0", "int:65535", "int:65535", "int:0", "int:0",
         "bool:false", "bool:true", "bool:true"},
        {ChargeStatus::NotCharging, true, "int:0", "int:65535", "int:65535", "int:0", "int:-1",
         "bool:false", "bool:false", "<absent>"},
        {ChargeStatus::Unknown, false, "int:0", "int:65535", "int:65535", "int:0", "int:-1",
         "bool:false", "bool:false", "<absent>"},
    };
    for (const Case& row : cases) {
        BatteryFacts facts = discharging_battery();
        facts.status = row.status;
        if (!row.known) {
            facts.minutes_to_empty = facts.minutes_to_full = std::nullopt;
            facts.average_minutes_to_empty = facts.average_minutes_to_full = std::nullopt;
        }
        SCOPED_TRACE(testing::Message() << "status " << int(row.status) << " known " << row.known);
        ObjcRef<NSMutableDictionary> entry = make_registry_entry(facts);
        expect_values(entry.get(), {{"TimeRemaining", row.remaining},
                                    {"AvgTimeToEmpty", row.avg_empty},
                                    {"AvgTimeToFull", row.avg_full},
                                    {"IsCharging", row.charging},
                                    {"FullyCharged", row.full}});
        ObjcRef<NSMutableDictionary> description = make_power_source_description(facts);
        expect_values(description.get(), {{"Time to Empty", row.to_empty},
                                          {"Time to Full Charge", row.to_full},
                                          {"Is Charging", row.charging},
                                          {"Is Charged", row.is_charged}});
    }
}

TEST(BatteryDictionaries, GivesTheHealthVerdictAndFailureFlags) {
    struct Case {
        bool failure, permanent, worn;
        const char* verdict;
    };
    const Case cases[] = {
        {false, false, false, "text:Good"},
        {false, false, true, "text:Service Recommended"},
        {true, false, true, "text:Check Battery"},
        {false, true, false, "text:Check Battery"},
    };
    for (const Case& row : cases) {
        BatteryFacts facts = discharging_battery();
        facts.failure = row.failure;
        facts.permanent_failure = row.permanent;
        facts.worn = row.worn;
        ObjcRef<NSMutableDictionary> description = make_power_source_description(facts);
        EXPECT_EQ(value_at(description.get(), "BatteryHealth"), row.verdict);
        ObjcRef<NSMutableDictionary> entry = make_registry_entry(facts);
        expect_values(entry.get(), {{"BatteryFailureStatus", row.failure ? "int:1" : "int:0"},
                                    {"PermanentFailureStatus", row.permanent ? "int:1" : "int:0"}});
    }
}

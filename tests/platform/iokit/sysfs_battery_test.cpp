#include "platform/iokit/sysfs_battery.h"

#include "platform/foundation/clock.h"
#include "platform/system/power_saver_state.h"

#include "tests/platform/iokit/iokit_test_support.h"

namespace {

using Expected = std::initializer_list<std::pair<const char*, std::string>>;

struct Laptop {
    const char* title;
    std::vector<SupplyLayout> supplies;
    Expected registry;
    Expected power_source;
};

void check(const Laptop& laptop) {
    SCOPED_TRACE(laptop.title);
    TemporaryFolder folder;
    write_supplies(folder, laptop.supplies);
    SysfsBattery battery(folder.path());
    ASSERT_TRUE(battery.has_battery());
    ObjcRef<NSMutableDictionary> entry = battery.copy_registry_entry();
    ASSERT_TRUE(entry);
    expect_values(entry.get(), laptop.registry);
    std::vector<ObjcRef<NSDictionary>> sources = battery.copy_power_source_descriptions();
    ASSERT_EQ(sources.size(), 1u);
    expect_values(sources[0].get(), laptop.power_source);
}

// A charge-reporting battery as many laptops show it (µAh, µA, µV).
std::vector<std::string> charge_battery(const char* status, const char* current) {
    return {"NAME=BAT0",
            "TYPE=Battery",
            std::string("STATUS=") + status,
            "PRESENT=1",
            "TECHNOLOGY=Li-ion",
            "CYCLE_COUNT=412",
            "VOLTAGE_MIN_DESIGN=11400000",
            "VOLTAGE_NOW=12300000",
            std::string("CURRENT_NOW=") + current,
            "CHARGE_FULL_DESIGN=4400000",
            "CHARGE_FULL=3960000",
            "CHARGE_NOW=1980000",
            "CAPACITY=50",
            "CAPACITY_LEVEL=Normal",
            "TEMP=301",
            "MODEL_NAME=DELL 5YHR406",
            "MANUFACTURER=SMP",
            "SERIAL_NUMBER=3481",
            "HEALTH=Good"};
}

// An energy-reporting battery (µWh, µW) without current, temperature or cycle count.
std::vector<std::string> energy_battery(const char* status, const char* power) {
    return {"NAME=BAT0",
            "TYPE=Battery",
            std::string("STATUS=") + status,
            "PRESENT=1",
            "CYCLE_COUNT=0",
            "VOLTAGE_MIN_DESIGN=15400000",
            "VOLTAGE_NOW=16800000",
            std::string("POWER_NOW=") + power,
            "ENERGY_FULL_DESIGN=57000000",
            "ENERGY_FULL=43120000",
            "ENERGY_NOW=30800000",
            "CAPACITY=71",
            "MODEL_NAME=5B10W13895",
            "MANUFACTURER=LGC"};
}

SupplyLayout mains(const char* online) {
    return {"AC", {"NAME=AC", "TYPE=Mains", std::string("ONLINE=") + online}};
}

} // namespace

TEST(SysfsBattery, MapsAChargeBatteryOnBatteryPower) {
    check({"charge, discharging, mains offline",
           {mains("0"), {"BAT0", charge_battery("Discharging", "-990000")}},
           {{"CurrentCapacity", "int:50"},
            {"AppleRawCurrentCapacity", "int:1980"},
            {"AppleRawMaxCapacity", "int:3960"},
            {"DesignCapacity", "int:4400"},
            {"CycleCount", "int:412"},
            {"Temperature", "int:3033"},
            {"Voltage", "int:12300"},
            {"Amperage", "int:-990"},
            {"InstantAmperage", "int:-990"},
            {"TimeRemaining", "int:120"},
            {"AvgTimeToEmpty", "int:120"},
            {"AvgTimeToFull", "int:65535"},
            {"IsCharging", "bool:false"},
            {"ExternalConnected", "bool:false"},
            {"FullyCharged", "bool:false"},
            {"DeviceName", "text:DELL 5YHR406"},
            {"Manufacturer", "text:SMP"},
            {"Serial", "text:3481"},
            {"BatteryFailureStatus", "int:0"}},
           {{"Power Source State", "text:Battery Power"},
            {"Current Capacity", "int:50"},
            {"Time to Empty", "int:120"},
            {"Time to Full Charge", "int:-1"},
            {"BatteryHealth", "text:Good"},
            {"LPM Active", "<absent>"}}}); // no power-profiles service, no profile file
}

TEST(SysfsBattery, MapsAChargeBatteryCharging) {
    check({"charge, charging, mains online",
           {mains("1"), {"BAT0", charge_battery("Charging", "1980000")}},
           {{"Amperage", "int:1980"},
            {"TimeRemaining", "int:60"},
            {"AvgTimeToFull", "int:60"},
            {"AvgTimeToEmpty", "int:65535"},
            {"IsCharging", "bool:true"},
            {"ExternalConnected", "bool:true"}},
           {{"Power Source State", "text:AC Power"},
            {"Is Charging", "bool:true"},
            {"Time to Empty", "int:0"},
            {"Time to Full Charge", "int:60"}}});
}

TEST(SysfsBattery, MapsAnEnergyBatteryWithPowerButNoCurrentTemperatureOrCycles) {
    // 30.8 Wh at 15.4 V = 2000 mAh; 14.0 W at 16.8 V = 833 mA; 30.8 Wh / 14 W = 132 min.
    check({"energy, discharging",
           {{"BAT0", energy_battery("Discharging", "14000000")}, mains("0")},
           {{"CurrentCapacity", "int:71"},
            {"AppleRawCurrentCapacity", "int:2000"},
            {"AppleRawMaxCapacity", "int:2800"},
            {"DesignCapacity", "int:3701"},
            {"CycleCount", "<absent>"},
            {"Temperature", "<absent>"},
            {"Amperage", "int:-833"},
            {"TimeRemaining", "int:132"},
            {"Serial", "<absent>"}},
           {{"Time to Empty", "int:132"},
            {"BatteryHealth", "text:Service Recommended"}}}); // 43.12 / 57 < 0.8
}

TEST(SysfsBattery, MapsFullAndNotCharging) {
    check({"full on mains",
           {mains("1"), {"BAT0", energy_battery("Full", "0")}},
           {{"FullyCharged", "bool:true"},
            {"IsCharging", "bool:false"},
            {"ExternalConnected", "bool:true"},
            {"Amperage", "int:0"},
            {"TimeRemaining", "int:0"}},
           {{"Is Charged", "bool:true"},
            {"Time to Full Charge", "int:0"},
            {"Time to Empty", "int:0"},
            {"Power Source State", "text:AC Power"}}});
    check({"held below full by a charge limit",
           {mains("1"), {"BAT0", charge_battery("Not charging", "0")}},
           {{"IsCharging", "bool:false"},
            {"FullyCharged", "bool:false"},
            {"ExternalConnected", "bool:true"},
            {"TimeRemaining", "int:0"}},
           {{"Is Charged", "<absent>"},
            {"Time to Full Charge", "int:-1"},
            {"Power Source State", "text:AC Power"}}});
}

TEST(SysfsBattery, IgnoresPeripheralBatteries) {
    SupplyLayout mouse{"AAA-mouse-battery",
                       {"TYPE=Battery", "SCOPE=Device", "CAPACITY=5", "STATUS=Discharging"}};
    check({"mouse first",
           {mouse, {"BAT0", charge_battery("Discharging", "990000")}},
           {{"CurrentCapacity", "int:50"}},
           {{"Current Capacity", "int:50"}}});

    TemporaryFolder folder;
    write_supplies(folder, {mouse, mains("1")});
    SysfsBattery desktop(folder.path());
    EXPECT_FALSE(desktop.has_battery());
    EXPECT_FALSE(desktop.copy_registry_entry());
    EXPECT_TRUE(desktop.copy_power_source_descriptions().empty());
}

// The power-profiles service, where it answers, wins over the platform profile at the folder's
// top; with neither, the key is absent rather than 0.
TEST(SysfsBattery, TakesLowPowerModeFromTheServiceElseThePlatformProfile) {
    struct Row {
        PowerSaver service;
        const char* profile_file; // null: no file
        const char* expected;
    };
    const Row rows[] = {
        {PowerSaver::unknown, nullptr, "<absent>"},   {PowerSaver::unknown, "low-power\n", "int:1"},
        {PowerSaver::unknown, "balanced\n", "int:0"}, {PowerSaver::on, nullptr, "int:1"},
        {PowerSaver::off, "low-power\n", "int:0"},    {PowerSaver::on, "performance\n", "int:1"},
    };
    for (const Row& row : rows) {
        TemporaryFolder folder;
        write_supplies(folder, {{"BAT0", energy_battery("Discharging", "14000000")}});
        if (row.profile_file) folder.write("platform_profile", row.profile_file);
        set_power_saver_state(row.service);
        SysfsBattery battery(folder.path());
        std::vector<ObjcRef<NSDictionary>> sources = battery.copy_power_source_descriptions();
        set_power_saver_state(PowerSaver::unknown);
        ASSERT_EQ(sources.size(), 1u);
        EXPECT_EQ(value_at(sources[0].get(), "LPM Active"), row.expected)
            << "service " << static_cast<int>(row.service) << ", file "
            << (row.profile_file ? row.profile_file : "none");
    }
}

TEST(SysfsBattery, ReusesAReadingOnlyWithinItsLifetime) {
    TemporaryFolder folder;
    write_supplies(folder, {{"BAT0", {"TYPE=Battery", "CAPACITY=40"}}});
    ManualClock clock;
    SysfsBattery battery(folder.path());
    auto percent = [&] { return value_at(battery.copy_registry_entry().get(), "CurrentCapacity"); };
    EXPECT_EQ(percent(), "int:40");
    write_supplies(folder, {{"BAT0", {"TYPE=Battery", "CAPACITY=41"}}});
    clock.advance(SysfsBattery::k_reading_lifetime / 2);
    EXPECT_EQ(percent(), "int:40");
    clock.advance(SysfsBattery::k_reading_lifetime);
    EXPECT_EQ(percent(), "int:41");

    write_supplies(folder, {{"BAT0", {"TYPE=Battery", "CAPACITY=42"}}});
    clock.advance(-1); // a clock set back
    EXPECT_EQ(percent(), "int:42");

    std::filesystem::remove_all(folder / "BAT0");
    EXPECT_TRUE(battery.has_battery()); // the same moment: the same reading
    clock.advance(10);
    EXPECT_FALSE(battery.has_battery());
}

TEST(SysfsBattery, FindsMainsAddedToTheFolderOnceTheListingIsOld) {
    TemporaryFolder folder;
    write_supplies(folder, {{"BAT0", charge_battery("Discharging", "990000")}});
    ManualClock clock;
    SysfsBattery battery(folder.path());
    auto external = [&] {
        return value_at(battery.copy_registry_entry().get(), "ExternalConnected");
    };
    EXPECT_EQ(external(), "bool:false");
    write_supplies(folder, {mains("1")});
    clock.advance(10);
    EXPECT_EQ(external(), "bool:false"); // the folder's listing is kept
    clock.advance(PowerSupplyFolder::k_listing_lifetime);
    EXPECT_EQ(external(), "bool:true");
}

TEST(SysfsBattery, HandsOutTheSameDictionariesWhileTheFactsStay) {
    TemporaryFolder folder;
    write_supplies(folder, {{"BAT0", {"TYPE=Battery", "STATUS=Charging", "CAPACITY=40"}}});
    ManualClock clock;
    SysfsBattery battery(folder.path());
    const NSMutableDictionary* entry = battery.copy_registry_entry().get();
    const NSDictionary* source = battery.copy_power_source_descriptions()[0].get();
    clock.advance(10); // read again: the same facts
    EXPECT_EQ(battery.copy_registry_entry().get(), entry);
    EXPECT_EQ(battery.copy_power_source_descriptions()[0].get(), source);

    write_supplies(folder, {{"BAT0", {"TYPE=Battery", "STATUS=Charging", "CAPACITY=41"}}});
    clock.advance(10);
    EXPECT_EQ(value_at(battery.copy_registry_entry().get(), "CurrentCapacity"), "int:41");
    std::vector<ObjcRef<NSDictionary>> sources = battery.copy_power_source_descriptions();
    EXPECT_EQ(value_at(sources[0].get(), "Current Capacity"), "int:41");
}

#include "platform/iokit/sysfs_battery.h"

#include "platform/foundation/clock.h"
#include "platform/iokit/power_saver_state.h"

#include "tests/platform/iokit/iokit_test_support.h"

TEST(SysfsBattery, ReusesAReadingOnlyWithinItsLifetime) {
    TemporaryFolder folder;
    write_supplies(folder, {{"BAT0", {"TYPE=Battery", "CAPACITY=40"}}});
    folder.write("platform_profile", "balanced\n");
    ManualClock clock;
    SysfsBattery battery(folder.path());
    auto percent = [&] { return value_at(battery.copy_registry_entry().get(), "CurrentCapacity"); };
    EXPECT_EQ(percent(), "int 40");
    write_supplies(folder, {{"BAT0", {"TYPE=Battery", "CAPACITY=41"}}});
    clock.advance(SysfsBattery::k_reading_lifetime / 2);
    EXPECT_EQ(percent(), "int 40");
    clock.advance(SysfsBattery::k_reading_lifetime);
    EXPECT_EQ(percent(), "int 41");

    write_supplies(folder, {{"BAT0", {"TYPE=Battery", "CAPACITY=42"}}});
    clock.advance(-1); // a clock set back
    EXPECT_EQ(percent(), "int 42");
    auto low_power = [&] {
        clock.advance(10);
        return value_at(battery.copy_power_source_descriptions().front().get(), "LPM Active");
    };
    folder.write("platform_profile", "low-power\n"); // the same supplies, another profile
    EXPECT_EQ(low_power(), "int 1");
    set_power_saver_state(PowerSaver::off); // the same files, the power-saver service off
    EXPECT_EQ(low_power(), "int 0");
    set_power_saver_state(PowerSaver::unknown);

    std::filesystem::remove_all(folder / "BAT0");
    EXPECT_TRUE(battery.has_battery()); // the same moment: the same reading
    clock.advance(10);
    EXPECT_FALSE(battery.has_battery());
    EXPECT_FALSE(battery.copy_registry_entry());
    EXPECT_TRUE(battery.copy_power_source_descriptions().empty());
}

// A load that swings from one refresh to the next (2 Ah left at 1 A and 3 A in turn) swings the
// time left by a minute around 60 once the average has settled, where the instant's rate gives
// two hours, then forty minutes.
TEST(SysfsBattery, WorksOutTheTimeLeftFromTheRateAveragedOverItsReadings) {
    TemporaryFolder folder;
    ManualClock clock;
    SysfsBattery kept(folder.path());
    for (int step = 0; step < 120; ++step) {
        SCOPED_TRACE(step);
        write_supplies(folder, {{"BAT0",
                                 {"TYPE=Battery", "STATUS=Discharging",
                                  step % 2 ? "CURRENT_NOW=3000000" : "CURRENT_NOW=1000000",
                                  "CHARGE_NOW=2000000", "CHARGE_FULL=4000000"}}});
        clock.advance(10);
        const std::string averaged = value_at(kept.copy_registry_entry().get(), "AvgTimeToEmpty");
        if (step == 0 || step >= 90) {
            EXPECT_TRUE(step ? averaged == "int 59" || averaged == "int 60" || averaged == "int 61"
                             : averaged == "int 120")
                << averaged;
        }
        SysfsBattery fresh(folder.path());
        EXPECT_EQ(value_at(fresh.copy_registry_entry().get(), "AvgTimeToEmpty"),
                  step % 2 ? "int 40" : "int 120");
    }
}

#include "platform/iokit/sysfs_battery_reader.h"

#include "tests/platform/iokit/iokit_test_support.h"

#include <sys/stat.h>

namespace {

std::vector<std::string> names_of(const PowerSupplySnapshot& snapshot) {
    std::vector<std::string> names;
    for (const PowerSupply& supply : snapshot.supplies)
        names.push_back(supply.name());
    return names;
}

const PowerSupply* find(const PowerSupplySnapshot& snapshot, std::string_view name) {
    for (const PowerSupply& supply : snapshot.supplies) {
        if (supply.name() == name) return &supply;
    }
    return nullptr;
}

} // namespace

TEST(SysfsBatteryReader, ReadsEverySupplyInNameOrder) {
    TemporaryFolder folder;
    write_supplies(folder, {{"BAT1", {"TYPE=Battery"}},
                            {"AC", {"TYPE=Mains", "ONLINE=1"}},
                            {"BAT0", {"TYPE=Battery"}},
                            {".hidden", {"TYPE=Battery"}}});
    folder.write("platform_profile", "low-power\n");
    PowerSupplySnapshot snapshot =
        read_power_supply_folder(folder.path(), folder / "platform_profile");
    EXPECT_EQ(names_of(snapshot), (std::vector<std::string>{"AC", "BAT0", "BAT1"}));
    EXPECT_EQ(snapshot.platform_profile, "low-power");
}

TEST(SysfsBatteryReader, TakesUeventValuesAndLooksForLackingOnesInAttributeFiles) {
    TemporaryFolder folder;
    folder.write("BAT0/uevent", "DEVTYPE=power_supply\n"
                                "POWER_SUPPLY_NAME=BAT0\n"
                                "POWER_SUPPLY_TYPE=Battery\n"
                                "POWER_SUPPLY_STATUS=Discharging \n"
                                "POWER_SUPPLY_CHARGE_NOW=3000000\n"
                                "POWER_SUPPLY_MODEL_NAME=5B10W13895\r\n"
                                "POWER_SUPPLY_=x\n"
                                "POWER_SUPPLY_Charge_Full=1\n"
                                "POWER_SUPPLY_CAPACITY\n"
                                "garbage without equals\n"
                                "POWER_SUPPLY_CYCLE_COUNT=55");
    folder.write("BAT0/charge_now", "1\n"); // the uevent's value wins
    folder.write("BAT0/charge_full", "5000000\n");
    folder.write("BAT0/temp", "295\n");
    PowerSupplySnapshot snapshot = read_power_supply_folder(folder.path());
    const PowerSupply* battery = find(snapshot, "BAT0");
    ASSERT_TRUE(battery);
    EXPECT_EQ(battery->text(SupplyAttribute::Status), "Discharging");
    EXPECT_EQ(battery->integer(SupplyAttribute::ChargeNow), 3000000);
    EXPECT_EQ(battery->integer(SupplyAttribute::ChargeFull), 5000000);
    EXPECT_EQ(battery->integer(SupplyAttribute::Temp), 295);
    EXPECT_EQ(battery->integer(SupplyAttribute::CycleCount), 55);
    EXPECT_EQ(battery->text(SupplyAttribute::ModelName), "5B10W13895");
    EXPECT_FALSE(battery->has(SupplyAttribute::Capacity));
}

TEST(SysfsBatteryReader, ReadsAFolderWithAttributeFilesOnly) {
    TemporaryFolder folder;
    write_supplies(folder, {{"BAT0", {}, {{"type", "Battery"}, {"capacity", "77"}}},
                            {"ADP1", {}, {{"type", "Mains"}, {"online", "0"}}}});
    PowerSupplySnapshot snapshot = read_power_supply_folder(folder.path());
    ASSERT_EQ(snapshot.supplies.size(), 2u);
    EXPECT_EQ(find(snapshot, "BAT0")->integer(SupplyAttribute::Capacity), 77);
    EXPECT_EQ(find(snapshot, "ADP1")->integer(SupplyAttribute::Online), 0);
}

TEST(SysfsBatteryReader, LooksOnlyAtWhatMattersInOtherSupplies) {
    TemporaryFolder folder;
    write_supplies(folder, {{"BAT0", {"TYPE=Battery"}, {{"capacity", "50"}}},
                            {"BAT1", {"TYPE=Battery"}, {{"capacity", "60"}}},
                            {"mouse", {"TYPE=Battery", "SCOPE=Device"}, {{"capacity", "9"}}}});
    PowerSupplySnapshot snapshot = read_power_supply_folder(folder.path());
    EXPECT_EQ(find(snapshot, "BAT0")->integer(SupplyAttribute::Capacity), 50);
    EXPECT_FALSE(find(snapshot, "BAT1")->has(SupplyAttribute::Capacity));
    EXPECT_FALSE(find(snapshot, "mouse")->has(SupplyAttribute::Capacity));
}

TEST(SysfsBatteryReader, TreatsUnreadableFilesAsAbsent) {
    TemporaryFolder folder;
    folder.write("BAT0/uevent/not-a-file", ""); // a folder where the uevent should be
    folder.write("BAT0/type", "Battery\n");
    folder.write("BAT0/status/x", "");                                // likewise for an attribute
    ASSERT_EQ(::mkfifo((folder / "BAT0/capacity").c_str(), 0600), 0); // nobody ever writes
    ::symlink("/nonexistent/temp", (folder / "BAT0/temp").c_str());
    folder.write("BAT0/manufacturer", std::string(40000, 'A')); // no line end within the limit
    PowerSupplySnapshot snapshot = read_power_supply_folder(folder.path());
    const PowerSupply* battery = find(snapshot, "BAT0");
    ASSERT_TRUE(battery);
    EXPECT_EQ(battery->text(SupplyAttribute::Type), "Battery");
    EXPECT_FALSE(battery->has(SupplyAttribute::Status));
    EXPECT_EQ(battery->integer(SupplyAttribute::Capacity), std::nullopt);
    EXPECT_FALSE(battery->has(SupplyAttribute::Temp));
    EXPECT_EQ(battery->text(SupplyAttribute::Manufacturer), "");
}

TEST(SysfsBatteryReader, CutsAnOverlongUeventAtItsLastWholeLine) {
    TemporaryFolder folder;
    std::string uevent = "POWER_SUPPLY_TYPE=Battery\n";
    while (uevent.size() < 16384 - 40)
        uevent += "POWER_SUPPLY_PADDING=xxxxxxxxxxxxxxxxxxxxxxxx\n";
    uevent += "POWER_SUPPLY_CAPACITY=12345678901234567890"; // crosses the limit
    folder.write("BAT0/uevent", uevent);
    folder.write("BAT0/capacity", "42\n");
    PowerSupplySnapshot snapshot = read_power_supply_folder(folder.path());
    ASSERT_EQ(snapshot.supplies.size(), 1u);
    EXPECT_EQ(snapshot.supplies[0].integer(SupplyAttribute::Capacity), 42);
}

TEST(SysfsBatteryReader, GivesNothingForAMissingFolder) {
    PowerSupplySnapshot snapshot =
        read_power_supply_folder("/nonexistent/power_supply", "/nonexistent/platform_profile");
    EXPECT_TRUE(snapshot.supplies.empty());
    EXPECT_EQ(snapshot.platform_profile, "");
}

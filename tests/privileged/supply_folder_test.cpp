#include "privileged/battery_list.h"
#include "privileged/supply_folder.h"
#include "tests/privileged/fake_power_supply.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> names_of(const std::vector<SupplyFolder>& supplies) {
    std::vector<std::string> names;
    for (const SupplyFolder& supply : supplies)
        names.push_back(supply.name());
    return names;
}

TEST(SupplyFolder, ListsOnlyTheMachinesOwnBatteriesThatHaveAnEndThreshold) {
    FakePowerSupply tree;
    tree.add_battery("BAT1");
    tree.add_battery("BAT0", false);
    tree.add_supply("AC", "Mains");
    tree.set("AC", "charge_control_end_threshold", "100");
    tree.set("AC", "online", "1");
    tree.add_battery("hidpp_battery_0"); // a mouse's
    tree.set("hidpp_battery_0", "scope", "Device");
    tree.add_battery("BAT2");
    tree.set("BAT2", "scope", "System");
    tree.add_battery("BAT3");
    tree.set("BAT3", "scope", "Unknown");
    tree.add_supply("BAT4", "Battery"); // no threshold
    tree.add_supply("ups", "UPS");
    tree.set("ups", "charge_control_end_threshold", "100");

    EXPECT_EQ(names_of(limitable_batteries(tree.paths())),
              (std::vector<std::string>{"BAT0", "BAT1", "BAT2"}));
    EXPECT_EQ(names_of(external_supplies(tree.paths())), std::vector<std::string>{"AC"});
}

TEST(SupplyFolder, RefusesFoldersThatLeadOutsideTheDevices) {
    FakePowerSupply tree;
    const std::string outside = tree.folder().write("outside/BAT9/type", "Battery\n");
    tree.folder().write("outside/BAT9/charge_control_end_threshold", "100\n");
    const std::string classes = tree.paths().supply_folder();
    fs::create_directory_symlink(tree.folder() / "outside/BAT9", classes + "/BAT9");
    fs::create_directory_symlink("../../devices/../../outside/BAT9", classes + "/BAT8");
    // The devices folder itself, and a plain folder in the class folder.
    fs::create_directory_symlink("../../devices", classes + "/BAT7");
    tree.folder().write("sys/class/power_supply/BAT6/type", "Battery\n");
    tree.folder().write("sys/class/power_supply/BAT6/charge_control_end_threshold", "100\n");

    for (const char* name : {"BAT9", "BAT8", "BAT7", "BAT6", "..", ".", "", "../BAT9", "missing"})
        EXPECT_FALSE(SupplyFolder::open(tree.paths(), name)) << name;
    EXPECT_TRUE(limitable_batteries(tree.paths()).empty());
}

TEST(SupplyFolder, ADevicesFolderReachedThroughALinkStillCounts) {
    FakePowerSupply tree;
    tree.add_battery("BAT0");
    fs::rename(tree.folder() / "sys/devices", tree.folder() / "real-devices");
    fs::create_directory_symlink(tree.folder() / "real-devices", tree.folder() / "sys/devices");
    EXPECT_EQ(names_of(limitable_batteries(tree.paths())), std::vector<std::string>{"BAT0"});
}

TEST(SupplyFolder, NeitherReadsNorWritesThroughALinkOrIntoAnythingButAPlainFile) {
    FakePowerSupply tree;
    tree.add_battery("BAT0");
    const std::string target = tree.folder().write("target", "precious\n");
    const std::string device = tree.paths().devices_folder() + "/platform/BAT0/power_supply/BAT0";
    fs::remove(device + "/charge_control_end_threshold");
    fs::create_symlink(target, device + "/charge_control_end_threshold");
    fs::remove(device + "/charge_control_start_threshold");
    ASSERT_EQ(::mkfifo((device + "/charge_control_start_threshold").c_str(), 0600), 0);
    fs::remove(device + "/status");
    fs::create_directory(device + "/status");

    const auto battery = SupplyFolder::open(tree.paths(), "BAT0");
    ASSERT_TRUE(battery);
    EXPECT_FALSE(battery->has("charge_control_end_threshold"));
    EXPECT_FALSE(battery->read("charge_control_end_threshold"));
    EXPECT_NE(battery->write("charge_control_end_threshold", "80"), 0);
    EXPECT_FALSE(battery->has("charge_control_start_threshold"));
    EXPECT_FALSE(battery->read("charge_control_start_threshold")); // would block on a pipe
    EXPECT_NE(battery->write("charge_control_start_threshold", "75"), 0);
    EXPECT_FALSE(battery->read("status"));
    EXPECT_EQ(battery->write("nothing_here", "1"), ENOENT);
    EXPECT_FALSE(fs::exists(device + "/nothing_here"));
    EXPECT_TRUE(limitable_batteries(tree.paths()).empty());

    EXPECT_EQ(file_bytes(target), "precious\n");
}

TEST(SupplyFolder, ReadsAndReplacesAnAttribute) {
    FakePowerSupply tree;
    tree.add_battery("BAT0");
    const auto battery = SupplyFolder::open(tree.paths(), "BAT0");
    ASSERT_TRUE(battery);
    EXPECT_TRUE(battery->is_system_battery());
    EXPECT_EQ(battery->read("charge_control_end_threshold"), "100");
    EXPECT_EQ(battery->write("charge_control_end_threshold", "80"), 0);
    EXPECT_EQ(tree.end_threshold("BAT0"), "80"); // the longer old text is gone
    EXPECT_EQ(battery->read("status"), "Not charging");
    // Every file opened is closed again.
    const auto open_files = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), {});
    };
    const auto before = open_files();
    EXPECT_EQ(battery->write("charge_control_end_threshold", "70"), 0);
    EXPECT_EQ(battery->read("charge_control_end_threshold"), "70");
    EXPECT_EQ(open_files(), before);
}

} // namespace

#include "platform/iokit/sysfs_battery_reader.h"

#include "tests/platform/iokit/iokit_test_support.h"

#include <sys/stat.h>

namespace {

// "NAME:ATTRIBUTE=text;... NAME:..." of every supply, its attributes in table order.
std::string described(const PowerSupplySnapshot& snapshot) {
    std::string text;
    for (const PowerSupply& supply : snapshot.supplies) {
        text += (text.empty() ? "" : " ") + supply.name() + ":";
        for (std::size_t i = 0; i < k_supply_attribute_count; ++i) {
            const auto attribute = static_cast<SupplyAttribute>(i);
            if (supply.has(attribute))
                text += std::string(attribute_name(attribute)) + "=" +
                        std::string(supply.text(attribute)) + ";";
        }
    }
    return text;
}

} // namespace

// BAT0 is well formed, BAT1 has unreadable files, BAT2 an overlong uevent.
TEST(SysfsBatteryReader, TakesUeventValuesThenAttributeFilesAndTreatsUnreadableOnesAsAbsent) {
    TemporaryFolder folder;
    folder.write("BAT0/uevent", "DEVTYPE=power_supply\n"
                                "POWER_SUPPLY_NAME=BAT0\n"
                                "POWER_SUPPLY_TYPE=Battery\n"
                                "POWER_SUPPLY_STATUS=Discharging \n"
                                "POWER_SUPPLY_CHARGE_NOW=3000000\n"
                                "POWER_SUPPLY_MODEL_NAME=5B10W13895\r\n"
                                "POWER_SUPPLY_Charge_Full=1\n"
                                "POWER_SUPPLY_CAPACITY\n"
                                "garbage without equals\n"
                                "POWER_SUPPLY_CYCLE_COUNT=55");
    folder.write("BAT0/charge_now", "1\n"); // the uevent's value wins
    folder.write("BAT0/charge_full", "5000000\n");
    folder.write("BAT0/temp", "295\n");
    folder.write("BAT1/uevent/not-a-file", ""); // a folder where the uevent should be
    folder.write("BAT1/type", "Battery\n");
    folder.write("BAT1/status/x", "");                                // likewise for an attribute
    ASSERT_EQ(::mkfifo((folder / "BAT1/capacity").c_str(), 0600), 0); // nobody ever writes
    ::symlink("/nonexistent/temp", (folder / "BAT1/temp").c_str());
    folder.write("BAT1/manufacturer", std::string(40000, 'A')); // no line end within the limit
    std::string uevent = "POWER_SUPPLY_TYPE=Battery\n";
    while (uevent.size() < 16384 - 40)
        uevent += "POWER_SUPPLY_PADDING=xxxxxxxxxxxxxxxxxxxxxxxx\n";
    uevent += "POWER_SUPPLY_CAPACITY=12345678901234567890"; // crosses the limit
    folder.write("BAT2/uevent", uevent);
    folder.write("BAT2/capacity", "42\n");
    PowerSupplySnapshot snapshot = read_power_supply_folder(folder.path());
    EXPECT_EQ(
        described(snapshot),
        "BAT0:type=Battery;status=Discharging;charge_now=3000000;charge_full=5000000;temp=295;"
        "cycle_count=55;model_name=5B10W13895; BAT1:type=Battery;capacity=;manufacturer=; "
        "BAT2:type=Battery;capacity=42;");
    snapshot = read_power_supply_folder("/nonexistent/power_supply", "/nonexistent/profile");
    EXPECT_TRUE(snapshot.supplies.empty());
    EXPECT_EQ(snapshot.platform_profile, "");
}

// A battery whose uevent failed to read once, or that was taken out and put back, stayed unseen
// for the listing's whole lifetime; one removed is missed at once. Values the uevent lacks are read
// from their files each time.
TEST(PowerSupplyFolder, FindsABatteryAgainAtTheReadingAfterItWentMissingAndRereadsItsFiles) {
    TemporaryFolder folder;
    write_supplies(folder, {{"AC", {"TYPE=Mains"}, {{"online", "0"}}},
                            {"BAT0", {"TYPE=Battery", "CAPACITY=50"}}});
    PowerSupplyFolder supplies(folder.path());
    auto at = [&](double now) { return described(supplies.read(now)); };
    const std::string battery = " BAT0:type=Battery;capacity=50;";
    EXPECT_EQ(at(0), "AC:type=Mains;online=0;" + battery);
    write_supplies(folder, {{"AC", {}, {{"online", "1"}}}});
    EXPECT_EQ(at(5), "AC:type=Mains;online=1;" + battery);

    std::filesystem::rename(folder / "BAT0/uevent", folder / "uevent.away");
    EXPECT_EQ(at(10), "AC:type=Mains;online=1; BAT0:");
    std::filesystem::rename(folder / "uevent.away", folder / "BAT0/uevent");
    EXPECT_EQ(at(20), "AC:type=Mains;online=1;" + battery);
    std::filesystem::remove_all(folder / "BAT0");
    EXPECT_EQ(at(30), "AC:type=Mains;online=1;");
    // Once the uevent holds the value, it wins over the file.
    write_supplies(folder, {{"BAT0", {"TYPE=Battery", "CAPACITY=48"}, {{"capacity", "1"}}}});
    EXPECT_EQ(at(40), "AC:type=Mains;online=1; BAT0:type=Battery;capacity=48;");
    // A listed file that has gone is read as absent.
    std::filesystem::remove(folder / "AC/online");
    EXPECT_EQ(at(50), "AC:type=Mains; BAT0:type=Battery;capacity=48;");
}

// A reading whose uevent changed only in values parses just those lines again and must end where
// parsing the new text afresh does; any other change gives up, to parse afresh.
TEST(SysfsBatteryReader, UpdatesAParsedUeventToWhatParsingTheNewTextGives) {
    const std::string last = "POWER_SUPPLY_STATUS=Discharging\nPOWER_SUPPLY_CAPACITY=80\n"
                             "no equals sign\nPOWER_SUPPLY_ENERGY_NOW=400\n";
    const std::pair<std::string, bool> cases[] = {
        {"POWER_SUPPLY_STATUS=Charging\nPOWER_SUPPLY_CAPACITY=79\n"
         "no equals sign\nPOWER_SUPPLY_ENERGY_NOW=399\n",
         true},
        {"POWER_SUPPLY_STATUS=Discharging\nPOWER_SUPPLY_CAPACITY=80\n", false},
        {last + "POWER_SUPPLY_VOLTAGE_NOW=1\n", false}};
    for (const auto& [text, updated] : cases) {
        PowerSupply kept("BAT0"), parsed("BAT0");
        ASSERT_TRUE(parse_uevent(last, kept));
        EXPECT_EQ(update_uevent_values(last, text, kept), updated) << text;
        parse_uevent(text, parsed);
        EXPECT_TRUE(!updated || kept == parsed) << text;
    }
}

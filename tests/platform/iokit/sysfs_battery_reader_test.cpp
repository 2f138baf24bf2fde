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
                                "POWER_SUPPLY_=x\n"
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

// Supplies come in name order, hidden folders left out.
TEST(PowerSupplyFolder, FindsAnAddedSupplyWhenItsListingIsOldOrTheClockWasSetBack) {
    TemporaryFolder folder;
    write_supplies(folder, {{"BAT0", {"TYPE=Battery"}},
                            {"AC", {"TYPE=Mains", "ONLINE=1"}},
                            {".hidden", {"TYPE=Battery"}}});
    PowerSupplyFolder supplies(folder.path());
    const double start = 1000;
    const double later = start + PowerSupplyFolder::k_listing_lifetime;
    using Names = std::vector<std::string>;
    EXPECT_EQ(names_of(supplies.read(start)), (Names{"AC", "BAT0"}));

    write_supplies(folder, {{"BAT1", {"TYPE=Battery"}}});
    EXPECT_EQ(names_of(supplies.read(start + 10)), (Names{"AC", "BAT0"}));
    EXPECT_EQ(names_of(supplies.read(later)), (Names{"AC", "BAT0", "BAT1"}));

    write_supplies(folder, {{"BAT2", {"TYPE=Battery"}}});
    EXPECT_EQ(names_of(supplies.read(start)), (Names{"AC", "BAT0", "BAT1", "BAT2"})); // set back
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

TEST(PowerSupplyFolder, ReadsThePlatformProfileEveryTimeAndListsAnUnopenedFolderAgain) {
    TemporaryFolder top;
    const std::string profile = top / "platform_profile";
    PowerSupplyFolder supplies(top / "power_supply", profile);
    EXPECT_TRUE(supplies.read(0).supplies.empty());
    top.write("power_supply/BAT0/uevent", "POWER_SUPPLY_TYPE=Battery\n");
    EXPECT_EQ(names_of(supplies.read(1)), std::vector<std::string>{"BAT0"});

    top.write("platform_profile", "low-power\n");
    EXPECT_EQ(supplies.read(10).platform_profile, ""); // missing at the last listing
    const double later = PowerSupplyFolder::k_listing_lifetime + 1;
    EXPECT_EQ(supplies.read(later).platform_profile, "low-power");
    top.write("platform_profile", "balanced\n");
    EXPECT_EQ(supplies.read(later + 10).platform_profile, "balanced");
    std::filesystem::remove(profile);
    EXPECT_EQ(supplies.read(later + 20).platform_profile, "");
}

// A reading whose uevent text changed only in values parses just those lines again: it must end
// where parsing the new text afresh does, and give up (to parse afresh) on any other change.
TEST(SysfsBatteryReader, UpdatesAParsedUeventToWhatParsingTheNewTextGives) {
    const std::string last = "POWER_SUPPLY_NAME=BAT0\n"
                             "POWER_SUPPLY_STATUS=Discharging\n"
                             "POWER_SUPPLY_CAPACITY=80\n"
                             "POWER_SUPPLY_UNMAPPED=1\n"
                             "DEVTYPE=power_supply\n"
                             "no equals sign\n"
                             "POWER_SUPPLY_ENERGY_NOW=400\n";
    const auto with = [&](std::string_view from, std::string_view to) {
        std::string text = last;
        return text.replace(text.find(from), from.size(), to);
    };
    const struct {
        std::string text;
        bool updated;
    } cases[] = {
        {with("CAPACITY=80", "CAPACITY=79"), true},
        {with("ENERGY_NOW=400", "ENERGY_NOW= 3\03399 "), true}, // \033: an escape
        {with("Discharging", "Charging"), true},
        {with("power_supply", "battery"), true},
        {with("CAPACITY=80\n", "CAPACITY=7\n").replace(0, 22, "POWER_SUPPLY_NAME=BAT1"), true},
        {with("ENERGY_NOW=400", "ENERGY_NOW=4000").replace(43, 11, "Full\nfull"), false},
        {with("no equals", "no equal"), false},
        {with("ENERGY_NOW=400\n", ""), false},
        {last + "POWER_SUPPLY_VOLTAGE_NOW=1\n", false},
        {"", false},
    };
    PowerSupply repeated("BAT0");
    EXPECT_FALSE(parse_uevent(last + "POWER_SUPPLY_CAPACITY=99\n", repeated));
    EXPECT_EQ(repeated.text(SupplyAttribute::Capacity), "80");
    for (const auto& c : cases) {
        PowerSupply updated("BAT0");
        ASSERT_TRUE(parse_uevent(last, updated));
        EXPECT_EQ(update_uevent_values(last, c.text, updated), c.updated) << c.text;
        if (!c.updated) continue;
        PowerSupply parsed("BAT0");
        parse_uevent(c.text, parsed);
        EXPECT_TRUE(updated == parsed) << c.text;
    }
}

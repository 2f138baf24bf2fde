// The battery read through the IOKit calls from power_supply folders and property-list recordings.

#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "platform/iokit/battery_parts.h"
#include "platform/iokit/io_kit.h"
#include "platform/iokit/power_saver_state.h"
#include "platform/iokit/power_sources.h"
#include "tests/platform/iokit/iokit_test_support.h"

namespace {

using Lines = std::vector<std::string>;

// Expected values are written "Key=described value;Key=...", uevent lines "NAME=value;...".
struct SourceRow {
    const char* title;
    std::string supplies; // a power_supply folder, unless a recording is given
    std::string registry;
    std::string power_source = {};
    std::string recording = {};
    const char* profile = nullptr; // the platform profile file at the folder's top
    PowerSaver saver = PowerSaver::unknown;
};

Lines split(std::string_view text, char separator = ';') {
    Lines parts;
    while (!text.empty()) {
        const size_t end = std::min(text.find(separator), text.size());
        parts.emplace_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return parts;
}
// Supplies are written "|NAME:uevent|NAME:uevent...".
const auto supply = [](const char* name, const std::string& uevent) {
    return std::string("|") + name + ":" + uevent;
};
const auto bat = [](const char* name, const std::string& uevent) {
    return supply(name, "TYPE=Battery;" + uevent);
};
const auto bat0 = [](const std::string& uevent) { return bat("BAT0", uevent); };
const auto mains = [](const char* online) {
    return supply("AC", std::string("TYPE=Mains;ONLINE=") + online);
};
std::vector<SupplyLayout> supplies_of(std::string_view text) {
    std::vector<SupplyLayout> supplies;
    for (const std::string& part : split(text, '|')) {
        if (part.empty()) continue;
        const size_t colon = part.find(':');
        supplies.push_back(
            {part.substr(0, colon), split(std::string_view(part).substr(colon + 1))});
    }
    return supplies;
}

// A charge-reporting laptop battery (µAh, µA, µV).
std::string charge_battery(const char* status, const char* current) {
    return std::string("STATUS=") + status +
           ";PRESENT=1;CYCLE_COUNT=412;VOLTAGE_MIN_DESIGN=11400000;VOLTAGE_NOW=12300000;"
           "CURRENT_NOW=" +
           current +
           ";CHARGE_FULL_DESIGN=4400000;CHARGE_FULL=3960000;CHARGE_NOW=1980000;CAPACITY=50;"
           "TEMP=301;MODEL_NAME=DELL 5YHR406;MANUFACTURER=SMP;SERIAL_NUMBER=3481;HEALTH=Good";
}

// An energy-reporting battery (µWh, µW) without current, temperature or cycle count.
std::string energy_battery(const char* status, const char* power) {
    return std::string("STATUS=") + status +
           ";CYCLE_COUNT=0;VOLTAGE_MIN_DESIGN=15400000;VOLTAGE_NOW=16800000;POWER_NOW=" + power +
           ";ENERGY_FULL_DESIGN=57000000;ENERGY_FULL=43120000;ENERGY_NOW=30800000;CAPACITY=71;"
           "MODEL_NAME=5B10W13895;MANUFACTURER=LGC";
}

// 3000 of 5000 mAh at 1500 mA: 120 minutes to empty, 80 to full.
std::string timed(const char* status, bool with_rate = true) {
    return std::string("STATUS=") + status + ";CHARGE_NOW=3000000;CHARGE_FULL=5000000" +
           (with_rate ? ";CURRENT_NOW=1500000" : "");
}

std::string plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body +
           "\n</plist>\n";
}

// Shaped like the output of `ioreg -a -r -c AppleSmartBattery` on a laptop.
const std::string k_ioreg_output = plist(R"(<array><dict>
  <key>AppleRawCurrentCapacity</key><integer>3163</integer>
  <key>Amperage</key><integer>-1250</integer>
  <key>BatteryData</key><dict><key>CycleCount</key><integer>187</integer></dict>
  <key>CurrentCapacity</key><integer>72</integer><key>DeviceName</key><string>bq40z651</string>
  <key>ExternalConnected</key><false/><key>ManufactureDate</key><date>2021-10-04T00:00:00Z</date>
  <key>Voltage</key><real>12741.5</real><key>ChargerData</key><data>AAEC</data>
  <key>CellVoltage</key><array><integer>4247</integer><integer>4246</integer></array>
</dict><dict><key>CurrentCapacity</key><integer>1</integer></dict></array>)");

const std::string k_registry_and_power_source = plist(R"(<dict><key>PowerSource</key><dict>
  <key>Time to Full Charge</key><integer>35</integer><key>BatteryHealth</key><string>Good</string>
  <key>LPM Active</key><integer>1</integer>
</dict><key>Registry</key><dict>
  <key>CurrentCapacity</key><integer>88</integer><key>IsCharging</key><true/>
</dict></dict>)");

// Expected figures of several batteries worked out by hand from the sums (µWh × 1000 ÷ the first
// battery's design voltage for mAh; minutes from the summed contents and rates).
const SourceRow k_rows[] = {
    {"a charge battery discharging, on a machine with mains offline",
     mains("0") + bat0(charge_battery("Discharging", "-990000")),
     "CurrentCapacity=int 50;MaxCapacity=int 100;AppleRawCurrentCapacity=int 1980;"
     "AppleRawMaxCapacity=int 3960;DesignCapacity=int 4400;CycleCount=int 412;Temperature=int 3033;"
     "Voltage=int 12300;Amperage=int -990;InstantAmperage=int -990;TimeRemaining=int 120;"
     "AvgTimeToEmpty=int 120;AvgTimeToFull=int 65535;IsCharging=false;ExternalConnected="
     "false;FullyCharged=false;BatteryInstalled=true;DeviceName='DELL 5YHR406';"
     "Manufacturer='SMP';Serial='3481';BatteryFailureStatus=int 0;PermanentFailureStatus=int "
     "0",
     "Name='InternalBattery-0';Type='InternalBattery';Transport Type='Internal';Is "
     "Present=true;Power Source State='Battery Power';Current Capacity=int 50;Max "
     "Capacity=int 100;Is Charging=false;Time to Empty=int 120;Time to Full Charge=int -1;"
     "BatteryHealth='Good'"},
    // 30.8 Wh at 15.4 V = 2000 mAh; 14.0 W at 16.8 V = 833 mA; 30.8 Wh / 14 W = 132 min.
    {"an energy battery with power but no current, temperature or cycles",
     bat0(energy_battery("Discharging", "14000000")) + mains("0"),
     "CurrentCapacity=int 71;AppleRawCurrentCapacity=int 2000;AppleRawMaxCapacity=int 2800;"
     "DesignCapacity=int 3701;CycleCount=nil;Temperature=nil;Amperage=int -833;"
     "TimeRemaining=int 132;Serial=nil",
     "Time to Empty=int 132;BatteryHealth='Service Recommended'"},
    {"full on mains", mains("1") + bat0(energy_battery("Full", "0")),
     "FullyCharged=true;IsCharging=false;Amperage=int 0;TimeRemaining=int 0;"
     "AvgTimeToEmpty=int 65535;AvgTimeToFull=int 65535",
     "Is Charged=true;Time to Full Charge=int 0;Time to Empty=int 0;Power Source "
     "State='AC Power'"},

    {"energy without any voltage: milliwatt-hours",
     bat0("ENERGY_NOW=45000000;ENERGY_FULL=50000000;ENERGY_FULL_DESIGN=57000000"),
     "AppleRawCurrentCapacity=int 45000;AppleRawMaxCapacity=int 50000;DesignCapacity=int 57000;"
     "CurrentCapacity=int 90"},

    {"the driver's times to empty",
     bat0(timed("Discharging") + ";TIME_TO_EMPTY_NOW=3659;TIME_TO_EMPTY_AVG=5400"),
     "TimeRemaining=int 60;AvgTimeToEmpty=int 90", "Time to Empty=int 60"},

    {"capacity below 0", bat0("CAPACITY=-5"), "CurrentCapacity=int 0"},
    {"percent computed and rounded", bat0("CHARGE_NOW=2995;CHARGE_FULL=10000"),
     "CurrentCapacity=int 30", "Current Capacity=int 30"},
    {"full of 0", bat0("CHARGE_NOW=6;CHARGE_FULL=0"), "CurrentCapacity=nil"},
    {"huge and unreadable values",
     bat0("CHARGE_NOW=99999999999999999;CHARGE_FULL=99999999999999999999;VOLTAGE_NOW=lots;CYCLE_"
          "COUNT=4294967296;TEMP=2147483647"),
     "AppleRawCurrentCapacity=nil;AppleRawMaxCapacity=nil;CurrentCapacity=nil;"
     "Voltage=nil;CycleCount=nil;Temperature=nil"},
    {"a charge limit", bat0("CHARGE_CONTROL_END_THRESHOLD=80"), "ChargeLimit=int 80"},
    {"a limit above 100", bat0("CHARGE_CONTROL_END_THRESHOLD=101"), "ChargeLimit=nil"},

    {"overheat", bat0("HEALTH=Overheat"), "BatteryFailureStatus=int 1;PermanentFailureStatus=int 0",
     "BatteryHealth='Check Battery'"},
    {"exactly 80 %", bat0("CHARGE_FULL=8000;CHARGE_FULL_DESIGN=10000"), "", "BatteryHealth='Good'"},

    {"a peripheral's and an absent battery come first",
     supply("AAA_mouse", "TYPE=Battery;SCOPE=Device;CAPACITY=5;STATUS=Discharging") +
         bat("AAB", "PRESENT=0;CAPACITY=6") + bat0("CAPACITY=70"),
     "CurrentCapacity=int 70", "Current Capacity=int 70"},
    {"mains offline while charging", mains("0") + bat0("STATUS=Charging"),
     "ExternalConnected=false", "Power Source State='Battery Power'"},
    {"no mains, unknown", bat0(timed("Unknown")),
     "ExternalConnected=false;TimeRemaining=int 0;AvgTimeToEmpty=int 65535",
     "Time to Empty=int 0;Time to Full Charge=int -1"},

    {"an internal battery full, the external one discharging (energy)",
     mains("0") +
         bat0("STATUS=Full;ENERGY_NOW=19370000;ENERGY_FULL=19370000;ENERGY_FULL_DESIGN=23480000;"
              "VOLTAGE_MIN_DESIGN=11100000;VOLTAGE_NOW=12636000;POWER_NOW=0;CYCLE_COUNT=412;MODEL_"
              "NAME=45N1113;MANUFACTURER=LGC;CAPACITY=100") +
         bat("BAT1",
             "STATUS=Discharging;ENERGY_NOW=40000000;ENERGY_FULL=64300000;ENERGY_FULL_DESIGN="
             "90060000;VOLTAGE_MIN_DESIGN=11520000;VOLTAGE_NOW=11800000;POWER_NOW=9540000;"
             "CYCLE_COUNT=284;MODEL_NAME=01AV495;CAPACITY=62;TIME_TO_EMPTY_NOW=60") +
         supply("hid_mouse", "TYPE=Battery;SCOPE=Device;ENERGY_NOW=1000"),
     "CurrentCapacity=int 71;AppleRawCurrentCapacity=int 5348;AppleRawMaxCapacity=int 7537;"
     "DesignCapacity=int 10228;TimeRemaining=int 373;Amperage=int -754;CycleCount=int 412;Voltage="
     "int 12636;DeviceName='45N1113';IsCharging=false",
     "BatteryHealth='Service Recommended'"},

    // Low power mode: the power-profiles service, where it answers, wins over the platform profile;
    // with neither, the key is absent rather than 0.
    {"no low-power source", bat0(""), "", "LPM Active=nil"},
    {"the service on", bat0(""), "", "LPM Active=int 1", "", "performance\n", PowerSaver::on},

    {"an ioreg array: its first dictionary, no power source", "",
     "<keys>=AppleRawCurrentCapacity,Amperage,BatteryData,CurrentCapacity,DeviceName,"
     "ExternalConnected,ManufactureDate,Voltage,ChargerData,CellVoltage;CurrentCapacity=int 72;"
     "Amperage=int -1250;DeviceName='bq40z651';ExternalConnected=false;BatteryData="
     "{'CycleCount':int 187,};ManufactureDate=date 1633305600.000000;Voltage=real "
     "12741.5;ChargerData=data 000102;"
     "CellVoltage=[int 4247,int 4246,]",
     "<keys>=<none>", k_ioreg_output},
    {"the registry and power-source form", "", "<keys>=CurrentCapacity,IsCharging;IsCharging=true",
     "<keys>=Time to Full Charge,BatteryHealth,LPM Active;Time to Full "
     "Charge=int 35;BatteryHealth='Good';LPM Active=int 1",
     k_registry_and_power_source},
    {"a power source of the wrong kind is left out", "", "<keys>=", "<keys>=<none>",
     plist("<dict><key>Registry</key><dict/><key>PowerSource</key><string>AC</string></dict>")},
};

void check_source(const SourceRow& row) {
    SCOPED_TRACE(row.title);
    TemporaryFolder folder;
    std::string setting = folder.path();
    if (!row.recording.empty()) setting = folder.write("battery.plist", row.recording);
    write_supplies(folder, supplies_of(row.supplies));
    if (row.profile) folder.write("platform_profile", row.profile);
    set_power_saver_state(row.saver);
    testing::internal::CaptureStderr();
    BatterySourceScope source(setting);
    const KeyValues registry = registry_via_io_kit();
    const KeyValues power_source = power_source_via_io_kit();
    testing::internal::GetCapturedStderr();
    set_power_saver_state(PowerSaver::unknown);
    ASSERT_TRUE(registry);
    for (const auto& [expected, dictionary] :
         {std::pair{row.registry, &registry}, std::pair{row.power_source, &power_source}}) {
        for (const std::string& pair : split(expected)) {
            const size_t equals = pair.find('=');
            EXPECT_EQ(value_in(*dictionary, pair.substr(0, equals)), pair.substr(equals + 1))
                << "key " << pair.substr(0, equals);
        }
    }
}

} // namespace

TEST(BatterySources, GiveTheRegistryAndPowerSourceValuesOfEachSource) {
    for (const SourceRow& row : k_rows)
        check_source(row);
}

// Health belongs to each battery alone: with several, each one's capacities are given apart, in
// its own unit; with one battery, or a recording, there are none apart from the entry.
TEST(BatterySources, GiveEachOfSeveralBatteriesCapacitiesByItself) {
    const std::string one = bat0(charge_battery("Discharging", "900000"));
    const std::pair<std::string, std::vector<BatteryPart>> cases[] = {
        {one, {}},
        {one + bat("BAT1", energy_battery("Full", "0")) +
             bat("BAT2", "STATUS=Unknown;CHARGE_FULL=1000000;CHARGE_FULL_DESIGN=2000000") +
             supply("hid_mouse", "TYPE=Battery;SCOPE=Device;ENERGY_FULL=1000"),
         {{"3481", 3960, 4400, 412},
          {"5B10W13895", 2800, 3701, std::nullopt},
          {"BAT2", 1000, 2000, std::nullopt}}},
    };
    for (const auto& [supplies, parts] : cases) {
        TemporaryFolder folder;
        write_supplies(folder, supplies_of(supplies));
        BatterySourceScope source(folder.path());
        EXPECT_EQ(copy_battery_parts(), parts);
    }
}

TEST(BatterySources, FindNoBatteryInUnusableSourcesAndSayWhyOnce) {
    const struct {
        std::string supplies;
        std::optional<std::string> recording; // none: the folder itself
        const char* reason;                   // part of what standard error says; null: nothing
    } cases[] = {
        {mains("1") + supply("hid_0", "TYPE=Battery;SCOPE=Device"), {}, nullptr},
        {"", std::nullopt, "/nonexistent/battery.plist"},
        {"", "", "no battery"},
        {"", "CurrentCapacity = 50\n", "no battery"},
        {"", plist("<string>AppleSmartBattery</string>"), "neither"},
        {"", plist("<array/>"), "first element"},
        {"", plist("<dict><key>Registry</key><array/></dict>"), "\"Registry\""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.reason ? row.reason : "a desktop");
        TemporaryFolder folder;
        write_supplies(folder, supplies_of(row.supplies));
        std::string setting = row.reason && row.reason[0] == '/' ? row.reason : folder.path();
        if (row.recording) setting = folder.write("battery.plist", *row.recording);
        testing::internal::CaptureStderr();
        BatterySourceScope source(setting);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(
            IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSmartBattery")),
            IO_OBJECT_NULL);
        EXPECT_EQ(value_in(power_source_via_io_kit(), "<keys>"), "<none>");
        EXPECT_EQ(said.empty(), !row.reason) << said;
        if (!row.reason) continue;
        EXPECT_NE(said.find(row.reason), std::string::npos) << said;
        EXPECT_NE(said.find(setting), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
        testing::internal::CaptureStderr();
        (void)registry_via_io_kit();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

// The driver's battery commands edit a recording in place; what the IOKit calls give follows,
// also through a service already held, while a power source's snapshot keeps what it was.
TEST(BatterySources, EditARecordingAndSeeItThroughAServiceAlreadyHeld) {
    TemporaryFolder folder;
    BatterySourceScope source(folder.write("battery.plist", k_registry_and_power_source));
    CFMutableDictionaryRef matching = IOServiceMatching("AppleSmartBattery");
    EXPECT_EQ(value_in(key_values_of(matching), "<keys>"), "IOProviderClass");
    EXPECT_EQ(IOServiceMatching(nullptr), nullptr);
    CFRetain(matching);
    io_service_t service = IOServiceGetMatchingService(kIOMainPortDefault, matching);
    EXPECT_EQ(cf_object(matching)->retainCount(), 1u) << "the matching is consumed";
    io_service_t other = IOServiceGetMatchingService(kIOMainPortDefault, matching);
    ASSERT_NE(service, IO_OBJECT_NULL);
    EXPECT_NE(service, other);
    EXPECT_EQ(IOObjectRelease(other), kIOReturnSuccess);
    EXPECT_EQ(IOObjectRelease(other), kIOReturnBadArgument);
    CFMutableDictionaryRef properties = reinterpret_cast<CFMutableDictionaryRef>(1);
    EXPECT_EQ(IORegistryEntryCreateCFProperties(other, &properties, nullptr, 0),
              kIOReturnBadArgument);
    EXPECT_EQ(properties, nullptr);

    CFTypeRef info = IOPSCopyPowerSourcesInfo();
    CFArrayRef list = IOPSCopyPowerSourcesList(info);
    CFTypeRef first = CFRetain(CFArrayGetValueAtIndex(list, 0));
    CFRelease(list);
    using enum BatteryEditResult;
    EXPECT_EQ(set_recorded_registry_value("CurrentCapacity", NSNumber::make(12).get()), Done);
    EXPECT_EQ(remove_recorded_registry_value("IsCharging"), Done);
    EXPECT_EQ(set_recorded_power_source_value("LPM Active", NSNumber::make(0).get()), Done);
    EXPECT_EQ(remove_recorded_power_source_value("Time to Full Charge"), Done);
    EXPECT_EQ(value_at(IOPSGetPowerSourceDescription(info, first), "LPM Active"), "int 1");
    CFRelease(first);
    CFRelease(info);
    ASSERT_EQ(IORegistryEntryCreateCFProperties(service, &properties, nullptr, 0),
              kIOReturnSuccess);
    properties->removeAllObjects(); // the caller's own copy
    CFRelease(properties);
    EXPECT_EQ(value_in(registry_via_io_kit(), "CurrentCapacity"), "int 12");
    EXPECT_EQ(value_in(registry_via_io_kit(), "<keys>"), "CurrentCapacity");
    EXPECT_EQ(value_in(power_source_via_io_kit(), "<keys>"), "BatteryHealth,LPM Active");

    EXPECT_EQ(remove_recorded_battery(), Done);
    EXPECT_EQ(IORegistryEntryCreateCFProperties(service, &properties, nullptr, 0),
              kIOReturnNoDevice);
    EXPECT_FALSE(registry_via_io_kit());
    EXPECT_EQ(IOObjectRelease(service), kIOReturnSuccess);

    EXPECT_FALSE(make_battery_provider(nullptr)->recording());
}

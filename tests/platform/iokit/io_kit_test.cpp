#include "platform/iokit/io_kit.h"

#include "platform/foundation/ns_number.h"
#include "tests/platform/iokit/iokit_test_support.h"

namespace {

const std::string k_io_kit_recording = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><array><dict>
  <key>CurrentCapacity</key><integer>72</integer>
  <key>Amperage</key><integer>-1250</integer>
  <key>DeviceName</key><string>bq40z651</string>
  <key>IsCharging</key><false/>
  <key>ChargerData</key><data>AAEC</data>
</dict></array></plist>
)";

// Reads the battery the way the indicator's platform layer does: matching by class name, the
// default main port, the properties through the Core Foundation calls, every number as a
// signed 32-bit integer. Each property as "key=int:n", "key=text:t", "key=bool:b" or
// "key=other"; empty when there is no battery.
std::vector<std::string> read_like_the_indicator() {
    std::vector<std::string> lines;
    io_service_t service =
        IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSmartBattery"));
    if (!service) return lines;
    CFMutableDictionaryRef properties = nullptr;
    if (IORegistryEntryCreateCFProperties(service, &properties, kCFAllocatorDefault, 0) != 0 ||
        !properties) {
        IOObjectRelease(service);
        return lines;
    }
    CFIndex count = CFDictionaryGetCount(properties);
    std::vector<const void*> keys(count + 1), values(count + 1);
    CFDictionaryGetKeysAndValues(properties, keys.data(), values.data());
    for (CFIndex i = 0; i < count; ++i) {
        char key[256];
        CFStringGetCString(static_cast<CFStringRef>(keys[i]), key, 255, kCFStringEncodingUTF8);
        CFTypeID type = CFGetTypeID(values[i]);
        std::string value = "other";
        if (type == CFNumberGetTypeID()) {
            std::int32_t number = 0;
            CFNumberGetValue(static_cast<CFNumberRef>(values[i]), kCFNumberIntType, &number);
            value = "int:" + std::to_string(std::int64_t{number});
        } else if (type == CFStringGetTypeID()) {
            value = std::string("text:") + static_cast<CFStringRef>(values[i])->UTF8String();
        } else if (type == CFBooleanGetTypeID()) {
            value = CFBooleanGetValue(static_cast<CFBooleanRef>(values[i])) ? "bool:1" : "bool:0";
        }
        lines.push_back(std::string(key) + "=" + value);
    }
    CFRelease(properties);
    IOObjectRelease(service);
    return lines;
}

io_service_t find_battery() {
    return IOServiceGetMatchingService(kIOMasterPortDefault,
                                       IOServiceMatching("AppleSmartBattery"));
}

} // namespace

TEST(IOKit, MakesAMatchingDictionaryForAClassName) {
    CFMutableDictionaryRef matching = IOServiceMatching("AppleSmartBattery");
    ASSERT_TRUE(matching);
    EXPECT_EQ(keys_of(matching), std::vector<std::string>{"IOProviderClass"});
    EXPECT_EQ(value_at(matching, "IOProviderClass"), "text:AppleSmartBattery");
    CFRelease(matching);
    EXPECT_EQ(IOServiceMatching(nullptr), nullptr);
}

TEST(IOKit, ReadsARecordedBatteryWithTheKindsTheIndicatorExpects) {
    TemporaryFolder folder;
    BatterySourceScope source(folder.write("battery.plist", k_io_kit_recording));
    EXPECT_EQ(read_like_the_indicator(),
              (std::vector<std::string>{"CurrentCapacity=int:72", "Amperage=int:-1250",
                                        "DeviceName=text:bq40z651", "IsCharging=bool:0",
                                        "ChargerData=other"}));
}

TEST(IOKit, ReadsAPowerSupplyFolderWithTheKindsTheIndicatorExpects) {
    TemporaryFolder folder;
    write_supplies(folder,
                   {{"AC", {"TYPE=Mains", "ONLINE=0"}},
                    {"BAT0",
                     {"TYPE=Battery", "STATUS=Discharging", "CHARGE_NOW=2000000",
                      "CHARGE_FULL=4000000", "CHARGE_FULL_DESIGN=4400000", "CURRENT_NOW=1000000",
                      "VOLTAGE_NOW=12000000", "CYCLE_COUNT=412", "TEMP=295", "MODEL_NAME=Primary",
                      "MANUFACTURER=SMP", "SERIAL_NUMBER=3481", "HEALTH=Dead"}}});
    BatterySourceScope source(folder.path());
    EXPECT_EQ(read_like_the_indicator(),
              (std::vector<std::string>{"CurrentCapacity=int:50",
                                        "MaxCapacity=int:100",
                                        "AppleRawCurrentCapacity=int:2000",
                                        "AppleRawMaxCapacity=int:4000",
                                        "DesignCapacity=int:4400",
                                        "CycleCount=int:412",
                                        "Temperature=int:3027",
                                        "Voltage=int:12000",
                                        "Amperage=int:-1000",
                                        "InstantAmperage=int:-1000",
                                        "TimeRemaining=int:120",
                                        "AvgTimeToEmpty=int:120",
                                        "AvgTimeToFull=int:65535",
                                        "IsCharging=bool:0",
                                        "ExternalConnected=bool:0",
                                        "FullyCharged=bool:0",
                                        "BatteryInstalled=bool:1",
                                        "DeviceName=text:Primary",
                                        "Manufacturer=text:SMP",
                                        "Serial=text:3481",
                                        "BatteryFailureStatus=int:0",
                                        "PermanentFailureStatus=int:1"}));
}

TEST(IOKit, FindsNoServiceWithoutABattery) {
    TemporaryFolder folder;
    write_supplies(folder, {{"AC", {"TYPE=Mains", "ONLINE=1"}},
                            {"hidpp_battery_0", {"TYPE=Battery", "SCOPE=Device"}}});
    BatterySourceScope source(folder.path());
    EXPECT_EQ(find_battery(), IO_OBJECT_NULL);
    EXPECT_TRUE(read_like_the_indicator().empty());

    TemporaryFolder empty;
    BatterySourceScope bad_recording(empty.write("battery.plist", ""));
    EXPECT_EQ(find_battery(), IO_OBJECT_NULL);
}

TEST(IOKit, MatchesOnlyTheBatteryClassOnTheDefaultPort) {
    TemporaryFolder folder;
    BatterySourceScope source(folder.write("battery.plist", k_io_kit_recording));
    EXPECT_EQ(IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("IOPMrootDomain")),
              IO_OBJECT_NULL);
    EXPECT_EQ(IOServiceGetMatchingService(7, IOServiceMatching("AppleSmartBattery")),
              IO_OBJECT_NULL);
    EXPECT_EQ(IOServiceGetMatchingService(kIOMainPortDefault, nullptr), IO_OBJECT_NULL);
    CFMutableDictionaryRef other = IOServiceMatching("AppleSmartBattery");
    other->setObject(NSNumber::make(1).get(), NSString::make(u"IOProviderClass").get());
    EXPECT_EQ(IOServiceGetMatchingService(kIOMainPortDefault, other), IO_OBJECT_NULL);
}

TEST(IOKit, ConsumesTheMatchingDictionary) {
    TemporaryFolder folder;
    BatterySourceScope source(folder.write("battery.plist", k_io_kit_recording));
    for (const char* name : {"AppleSmartBattery", "Other"}) {
        CFMutableDictionaryRef matching = IOServiceMatching(name);
        CFRetain(matching);
        io_service_t service = IOServiceGetMatchingService(kIOMainPortDefault, matching);
        EXPECT_EQ(cf_object(matching)->retainCount(), 1u) << name;
        CFRelease(matching);
        IOObjectRelease(service);
    }
}

TEST(IOKit, HandsOutDistinctServicesUntilReleased) {
    TemporaryFolder folder;
    BatterySourceScope source(folder.write("battery.plist", k_io_kit_recording));
    io_service_t first = find_battery();
    io_service_t second = find_battery();
    ASSERT_NE(first, IO_OBJECT_NULL);
    EXPECT_NE(first, second);
    EXPECT_EQ(IOObjectRelease(first), kIOReturnSuccess);
    EXPECT_EQ(IOObjectRelease(first), kIOReturnBadArgument);
    CFMutableDictionaryRef properties = reinterpret_cast<CFMutableDictionaryRef>(1);
    EXPECT_EQ(IORegistryEntryCreateCFProperties(first, &properties, nullptr, 0),
              kIOReturnBadArgument);
    EXPECT_EQ(properties, nullptr);
    EXPECT_EQ(IORegistryEntryCreateCFProperties(second, nullptr, nullptr, 0), kIOReturnBadArgument);
    EXPECT_EQ(IOObjectRelease(IO_OBJECT_NULL), kIOReturnBadArgument);
    EXPECT_EQ(IOObjectRelease(second), kIOReturnSuccess);
}

TEST(IOKit, SeesEditsAndTheBatteryGoingAway) {
    TemporaryFolder folder;
    BatterySourceScope source(folder.write("battery.plist", k_io_kit_recording));
    io_service_t service = find_battery();
    ASSERT_EQ(set_recorded_registry_value("CurrentCapacity", NSNumber::make(9).get()),
              BatteryEditResult::Done);
    CFMutableDictionaryRef properties = nullptr;
    ASSERT_EQ(IORegistryEntryCreateCFProperties(service, &properties, nullptr, 0),
              kIOReturnSuccess);
    EXPECT_EQ(value_at(properties, "CurrentCapacity"), "int:9");
    CFRelease(properties);

    ASSERT_EQ(remove_recorded_battery(), BatteryEditResult::Done);
    EXPECT_EQ(IORegistryEntryCreateCFProperties(service, &properties, nullptr, 0),
              kIOReturnNoDevice);
    EXPECT_EQ(properties, nullptr);
    EXPECT_EQ(find_battery(), IO_OBJECT_NULL);
    EXPECT_EQ(IOObjectRelease(service), kIOReturnSuccess);
}

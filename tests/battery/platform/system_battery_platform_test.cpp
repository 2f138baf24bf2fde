#include "battery/platform/system_battery_platform.h"

#include "../battery_test_support.h"
#include "battery/platform/cf_property_reader.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "tests/platform/iokit/iokit_test_support.h"

#include <functional>
#include <string>

namespace battery {
namespace {

std::string platform_plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body +
           "\n</plist>\n";
}

std::string shown(const PropertyValue& value) {
    if (const int64_t* number = std::get_if<int64_t>(&value)) return std::to_string(*number);
    if (const bool* flag = std::get_if<bool>(&value)) return *flag ? "true" : "false";
    if (const rt::String* text = std::get_if<rt::String>(&value)) return '"' + text->utf8() + '"';
    return "other";
}

// "key=value" for each pair, in order; "<none>" for no properties.
std::vector<std::string> shown(const std::optional<PlatformProperties>& properties) {
    if (!properties) return {"<none>"};
    std::vector<std::string> lines;
    for (const PlatformProperty& property : *properties)
        lines.push_back(property.key.utf8() + "=" + shown(property.value));
    return lines;
}

class SystemBatteryPlatformTest : public testing::Test {
  protected:
    void SetUp() override {
        rt::InitStrings();
        rt::InitLocale();
    }

    // The registry and first power source read from a recording with this body.
    std::pair<std::vector<std::string>, std::vector<std::string>> read(const std::string& body) {
        BatterySourceScope source(m_folder.write("battery.plist", platform_plist(body)));
        return {shown(reading(&BatteryPlatform::ReadBatteryRegistry)),
                shown(reading(&BatteryPlatform::ReadFirstPowerSource))};
    }

    std::optional<PlatformProperties> reading(bool (BatteryPlatform::*read)(PlatformProperties&)) {
        PlatformProperties properties;
        if (!(m_platform.*read)(properties)) return std::nullopt;
        return properties;
    }

    TemporaryFolder m_folder;
    SystemBatteryPlatform m_platform;
};

// Numbers are read as signed 32-bit integers, as the registry's readers take them; keys that do
// not fit the 255-byte key buffer (254 bytes and the terminator) are skipped.
TEST_F(SystemBatteryPlatformTest, ReadsEveryKindInTheRecordingsOrder) {
    const std::string longest(254, 'k');
    std::string two_byte_letters;
    for (int i = 0; i < 128; ++i)
        two_byte_letters += "é"; // 256 bytes
    const auto [registry, source] = read(R"(<dict><key>Registry</key><dict>
        <key>CurrentCapacity</key><integer>87</integer>
        <key>Amperage</key><integer>-1250</integer>
        <key>DeviceName</key><string>bq20z451 «é»</string>
        <key>IsCharging</key><true/>
        <key>ExternalConnected</key><false/>
        <key>BatteryData</key><data>AAEC</data>
        <key>ChargerData</key><dict><key>ChargingVoltage</key><integer>12600</integer></dict>
        <key>CellVoltage</key><array><integer>4100</integer></array>
        <key>ManufactureDate</key><date>2021-03-04T05:06:07Z</date>
        <key>Ratio</key><real>3.7</real>
        <key>Wide</key><integer>4294967297</integer>
        <key>Empty</key><string></string>
        <key>)" + std::string(255, 'k') + "</key><integer>1</integer><key>" +
                                         longest + "</key><integer>2</integer><key>" +
                                         two_byte_letters +
                                         R"(</key><integer>3</integer>
      </dict><key>PowerSource</key><dict>
        <key>Time to Full Charge</key><integer>-1</integer>
        <key>BatteryHealth</key><string>Good</string>
      </dict></dict>)");
    EXPECT_EQ(registry, (std::vector<std::string>{
                            "CurrentCapacity=87", "Amperage=-1250", "DeviceName=\"bq20z451 «é»\"",
                            "IsCharging=true", "ExternalConnected=false", "BatteryData=other",
                            "ChargerData=other", "CellVoltage=other", "ManufactureDate=other",
                            "Ratio=3", "Wide=1", "Empty=\"\"", longest + "=2"}));
    EXPECT_EQ(source,
              (std::vector<std::string>{"Time to Full Charge=-1", "BatteryHealth=\"Good\""}));
}

TEST_F(SystemBatteryPlatformTest, FindsNoPowerSourceInAnIoregRecordingAndNothingWithoutABattery) {
    EXPECT_EQ(read("<array><dict><key>CycleCount</key><integer>5</integer></dict></array>"),
              std::make_pair(std::vector<std::string>{"CycleCount=5"},
                             std::vector<std::string>{"<none>"}));
    testing::internal::CaptureStderr();
    for (const char* body : {"", "<string>battery</string>"})
        EXPECT_EQ(read(body), std::make_pair(std::vector<std::string>{"<none>"},
                                             std::vector<std::string>{"<none>"}))
            << body;
    testing::internal::GetCapturedStderr();
}

// The registry service a reading opens is let go with it.
TEST_F(SystemBatteryPlatformTest, ReleasesTheServiceItReadThrough) {
    BatterySourceScope source(m_folder.write("battery.plist", platform_plist("<dict/>")));
    auto open = [] {
        return IOServiceGetMatchingService(kIOMainPortDefault,
                                           IOServiceMatching("AppleSmartBattery"));
    };
    const io_service_t before = open();
    PlatformProperties properties;
    EXPECT_TRUE(m_platform.ReadBatteryRegistry(properties));
    const io_service_t after = open();
    ASSERT_EQ(after, before + 2) << "the reading opened one service";
    EXPECT_EQ(IOObjectRelease(before + 1), kIOReturnBadArgument);
    EXPECT_EQ(IOObjectRelease(before), kIOReturnSuccess);
    EXPECT_EQ(IOObjectRelease(after), kIOReturnSuccess);
}

// A refresh reads over the last reading (here at first a longer one of other kinds) and trusts
// what it read from the same objects: whatever changed, the result is what a first reading gives.
TEST_F(SystemBatteryPlatformTest, ReadsOverTheLastReadingWhatAFirstReadingWouldRead) {
    const auto text = [](const char* utf8) { return NSString::from_utf8(utf8); };
    // Beyond the small numbers that are shared and never freed, so that its count tells.
    const ObjcRef<NSNumber> one = NSNumber::make(std::int64_t{100001});
    const ObjcRef<NSString> cycles = text("CycleCount");
    ObjcRef<NSMutableDictionary> entry = NSMutableDictionary::make();
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"first reading, a number as a key",
         [&] {
             entry->setObject(one.get(), NSNumber::make(std::int64_t{7}).get());
             entry->setObject(one.get(), cycles.get());
         }},
        {"nothing changed", [] {}},
        {"a number",
         [&] { entry->setObject(NSNumber::make(std::int64_t{2}).get(), cycles.get()); }},
        {"a text", [&] { entry->setObject(text("bq40").get(), text("DeviceName").get()); }},
        {"a text's object",
         [&] { entry->setObject(text("bq40").get(), text("DeviceName").get()); }},
        {"another key before the old ones, with the old first value",
         [&] {
             entry = NSMutableDictionary::make();
             entry->setObject(one.get(), text("Charging").get());
             entry->setObject(cf_object(kCFBooleanTrue), cycles.get());
         }},
        {"a key that differs only in its first letter",
         [&] {
             entry = NSMutableDictionary::make();
             entry->setObject(one.get(), text("charging").get());
         }},
        {"no keys", [&] { entry->removeAllObjects(); }},
    };
    PlatformProperties over_last = {{u"Cycle", rt::String(u"1")}, {u"CycleCount", true}};
    for (const auto& [what, change] : changes) {
        change();
        PlatformProperties first;
        read_cf_properties(entry.get(), first);
        read_cf_properties(entry.get(), over_last);
        EXPECT_EQ(shown(over_last), shown(first)) << what;
        if (&change == &changes[0].second) {
            EXPECT_EQ(shown(first), std::vector<std::string>{"CycleCount=100001"});
        }
    }
    read_cf_properties(nullptr, over_last);
    EXPECT_TRUE(over_last.empty());
    // The objects a reading holds are let go with it.
    EXPECT_EQ(one->retainCount(), 1U);
}

} // namespace
} // namespace battery

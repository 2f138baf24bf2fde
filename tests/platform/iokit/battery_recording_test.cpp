#include "platform/iokit/battery_recording.h"

#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "tests/platform/iokit/iokit_test_support.h"

namespace {

std::string plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           body + "\n</plist>\n";
}

// Shaped like the output of `ioreg -a -r -c AppleSmartBattery` on a laptop.
const std::string k_ioreg_output = plist(R"(<array>
  <dict>
    <key>AppleRawCurrentCapacity</key><integer>3163</integer>
    <key>AppleRawMaxCapacity</key><integer>4379</integer>
    <key>Amperage</key><integer>-1250</integer>
    <key>BatteryData</key><dict><key>CycleCount</key><integer>187</integer></dict>
    <key>CurrentCapacity</key><integer>72</integer>
    <key>CycleCount</key><integer>187</integer>
    <key>DesignCapacity</key><integer>4382</integer>
    <key>DeviceName</key><string>bq40z651</string>
    <key>ExternalConnected</key><false/>
    <key>FullyCharged</key><false/>
    <key>IsCharging</key><false/>
    <key>ManufactureDate</key><date>2021-10-04T00:00:00Z</date>
    <key>Serial</key><string>F8Y1234567ABCD</string>
    <key>Temperature</key><integer>3021</integer>
    <key>TimeRemaining</key><integer>245</integer>
    <key>Voltage</key><real>12741.5</real>
    <key>ChargerData</key><data>AAEC</data>
    <key>CellVoltage</key><array><integer>4247</integer><integer>4246</integer></array>
    <key>IOObjectClass</key><string>AppleSmartBattery</string>
  </dict>
  <dict><key>CurrentCapacity</key><integer>1</integer></dict>
</array>)");

const std::string k_registry_and_power_source = plist(R"(<dict>
  <key>PowerSource</key>
  <dict>
    <key>Time to Full Charge</key><integer>35</integer>
    <key>BatteryHealth</key><string>Good</string>
    <key>LPM Active</key><integer>1</integer>
  </dict>
  <key>Registry</key>
  <dict>
    <key>CurrentCapacity</key><integer>88</integer>
    <key>IsCharging</key><true/>
  </dict>
</dict>)");

struct Loaded {
    std::shared_ptr<RecordedBattery> recording;
    std::string problem;
};

Loaded load(const std::string& text) {
    TemporaryFolder folder;
    Loaded loaded;
    loaded.recording =
        RecordedBattery::from_file(folder.write("battery.plist", text), &loaded.problem);
    return loaded;
}

ObjcRef<NSNumber> number(std::int64_t value) {
    return NSNumber::make(value);
}

} // namespace

TEST(BatteryRecording, TakesTheFirstDictionaryOfAnIoregArrayWithItsKinds) {
    Loaded loaded = load(k_ioreg_output);
    EXPECT_EQ(loaded.problem, "");
    ASSERT_TRUE(loaded.recording->has_battery());
    ObjcRef<NSMutableDictionary> entry = loaded.recording->copy_registry_entry();
    EXPECT_EQ(keys_of(entry.get()).front(), "AppleRawCurrentCapacity");
    EXPECT_EQ(keys_of(entry.get()).size(), 19u);
    expect_values(entry.get(), {{"CurrentCapacity", "int:72"},
                                {"Amperage", "int:-1250"},
                                {"DeviceName", "text:bq40z651"},
                                {"ExternalConnected", "bool:false"},
                                {"BatteryData", "dictionary"},
                                {"ManufactureDate", "date"},
                                {"ChargerData", "data"},
                                {"CellVoltage", "array"}});
    // A real stays a floating number; the reader decides what to make of it.
    ObjcRef<NSString> voltage_key = NSString::make(u"Voltage");
    auto voltage = static_cast<CFNumberRef>(CFDictionaryGetValue(entry.get(), voltage_key.get()));
    EXPECT_TRUE(CFNumberIsFloatType(voltage));
    EXPECT_TRUE(loaded.recording->copy_power_source_descriptions().empty());
}

TEST(BatteryRecording, ReadsTheRegistryAndPowerSourceForm) {
    Loaded loaded = load(k_registry_and_power_source);
    EXPECT_EQ(loaded.problem, "");
    ObjcRef<NSMutableDictionary> entry = loaded.recording->copy_registry_entry();
    EXPECT_EQ(keys_of(entry.get()), (std::vector<std::string>{"CurrentCapacity", "IsCharging"}));
    std::vector<ObjcRef<NSDictionary>> sources = loaded.recording->copy_power_source_descriptions();
    ASSERT_EQ(sources.size(), 1u);
    expect_values(sources[0].get(), {{"Time to Full Charge", "int:35"},
                                     {"BatteryHealth", "text:Good"},
                                     {"LPM Active", "int:1"}});
}

TEST(BatteryRecording, TakesAnyOtherDictionaryAsTheRegistryEntry) {
    Loaded loaded = load(plist("<dict><key>CurrentCapacity</key><integer>5</integer></dict>"));
    EXPECT_EQ(value_at(loaded.recording->copy_registry_entry().get(), "CurrentCapacity"), "int:5");
    EXPECT_TRUE(loaded.recording->copy_power_source_descriptions().empty());
}

TEST(BatteryRecording, HasNoBatteryForUnusableInput) {
    struct Case {
        const char* title;
        std::string text;
        const char* problem; // part of the reason given
    };
    const Case cases[] = {
        {"empty file", "", ""},
        {"not a property list", "CurrentCapacity = 50\n", ""},
        {"half a property list", k_ioreg_output.substr(0, 300), ""},
        {"a string", plist("<string>AppleSmartBattery</string>"), "neither"},
        {"an empty array", plist("<array/>"), "first element"},
        {"an array of numbers", plist("<array><integer>1</integer></array>"), "first element"},
        {"Registry of the wrong kind", plist("<dict><key>Registry</key><array/></dict>"),
         "\"Registry\""},
    };
    for (const Case& row : cases) {
        Loaded loaded = load(row.text);
        EXPECT_FALSE(loaded.recording->has_battery()) << row.title;
        EXPECT_FALSE(loaded.recording->copy_registry_entry()) << row.title;
        EXPECT_TRUE(loaded.recording->copy_power_source_descriptions().empty()) << row.title;
        EXPECT_NE(loaded.problem, "") << row.title;
        EXPECT_NE(loaded.problem.find(row.problem), std::string::npos)
            << row.title << ": " << loaded.problem;
    }
    std::string problem;
    EXPECT_FALSE(RecordedBattery::from_file("/nonexistent/battery.plist", &problem)->has_battery());
    EXPECT_NE(problem, "");
}

TEST(BatteryRecording, SkipsAPowerSourceOfTheWrongKind) {
    Loaded loaded = load(plist("<dict><key>Registry</key><dict/>"
                               "<key>PowerSource</key><string>AC</string></dict>"));
    EXPECT_TRUE(loaded.recording->has_battery());
    EXPECT_TRUE(loaded.recording->copy_power_source_descriptions().empty());
    EXPECT_NE(loaded.problem.find("\"PowerSource\""), std::string::npos) << loaded.problem;
}

TEST(BatteryRecording, EditsValuesInPlaceAndNewKeysLast) {
    Loaded loaded = load(k_registry_and_power_source);
    RecordedBattery& recording = *loaded.recording;
    EXPECT_EQ(recording.set_registry_value("CurrentCapacity", number(12).get()),
              BatteryEditResult::Done);
    EXPECT_EQ(recording.set_registry_value("Temperature", number(3100).get()),
              BatteryEditResult::Done);
    EXPECT_EQ(recording.set_registry_value("IsCharging", NSBoolean::shared(false)),
              BatteryEditResult::Done);
    ObjcRef<NSMutableDictionary> entry = recording.copy_registry_entry();
    EXPECT_EQ(keys_of(entry.get()),
              (std::vector<std::string>{"CurrentCapacity", "IsCharging", "Temperature"}));
    expect_values(
        entry.get(),
        {{"CurrentCapacity", "int:12"}, {"IsCharging", "bool:false"}, {"Temperature", "int:3100"}});

    EXPECT_EQ(recording.remove_registry_value("IsCharging"), BatteryEditResult::Done);
    EXPECT_EQ(recording.remove_registry_value("IsCharging"), BatteryEditResult::NoSuchKey);
    EXPECT_EQ(recording.set_registry_value("", number(1).get()), BatteryEditResult::Refused);
    EXPECT_EQ(recording.set_registry_value("Voltage", nullptr), BatteryEditResult::Refused);
    EXPECT_EQ(keys_of(recording.copy_registry_entry().get()),
              (std::vector<std::string>{"CurrentCapacity", "Temperature"}));

    EXPECT_EQ(recording.set_power_source_value("BatteryHealth",
                                               NSString::make(u"Service Recommended").get()),
              BatteryEditResult::Done);
    EXPECT_EQ(recording.remove_power_source_value("LPM Active"), BatteryEditResult::Done);
    std::vector<ObjcRef<NSDictionary>> sources = recording.copy_power_source_descriptions();
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(keys_of(sources[0].get()),
              (std::vector<std::string>{"Time to Full Charge", "BatteryHealth"}));
    EXPECT_EQ(value_at(sources[0].get(), "BatteryHealth"), "text:Service Recommended");
}

TEST(BatteryRecording, KeepsCopiesApartFromLaterEdits) {
    Loaded loaded = load(k_registry_and_power_source);
    ObjcRef<NSMutableDictionary> before = loaded.recording->copy_registry_entry();
    std::vector<ObjcRef<NSDictionary>> sources_before =
        loaded.recording->copy_power_source_descriptions();
    (void)loaded.recording->set_registry_value("CurrentCapacity", number(1).get());
    (void)loaded.recording->set_power_source_value("LPM Active", number(0).get());
    before->removeAllObjects(); // the caller owns its copy
    EXPECT_EQ(value_at(loaded.recording->copy_registry_entry().get(), "CurrentCapacity"), "int:1");
    EXPECT_EQ(value_at(sources_before[0].get(), "LPM Active"), "int:1");
}

TEST(BatteryRecording, StartsAPowerSourceWhenTheRecordingHasNone) {
    Loaded loaded = load(k_ioreg_output);
    EXPECT_EQ(loaded.recording->remove_power_source_value("LPM Active"),
              BatteryEditResult::NoSuchKey);
    EXPECT_EQ(loaded.recording->set_power_source_value("LPM Active", number(1).get()),
              BatteryEditResult::Done);
    std::vector<ObjcRef<NSDictionary>> sources = loaded.recording->copy_power_source_descriptions();
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(keys_of(sources[0].get()), (std::vector<std::string>{"LPM Active"}));
}

TEST(BatteryRecording, HasNoBatteryFromTheMomentItIsRemoved) {
    Loaded loaded = load(k_registry_and_power_source);
    RecordedBattery& recording = *loaded.recording;
    EXPECT_EQ(recording.remove_battery(), BatteryEditResult::Done);
    EXPECT_FALSE(recording.has_battery());
    EXPECT_TRUE(recording.copy_power_source_descriptions().empty());
    EXPECT_EQ(recording.set_registry_value("CurrentCapacity", number(1).get()),
              BatteryEditResult::NoBattery);
    EXPECT_EQ(recording.set_power_source_value("LPM Active", number(1).get()),
              BatteryEditResult::NoBattery);
    EXPECT_EQ(recording.remove_battery(), BatteryEditResult::NoBattery);
}

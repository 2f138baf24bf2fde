#include "platform/iokit/power_sources.h"

#include "platform/foundation/ns_number.h"
#include "platform/objc/objc.h"
#include "tests/platform/iokit/iokit_test_support.h"

namespace {

const std::string k_power_sources_recording = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>Registry</key><dict><key>CurrentCapacity</key><integer>42</integer></dict>
  <key>PowerSource</key><dict>
    <key>Time to Full Charge</key><integer>999</integer>
    <key>BatteryHealth</key><string>Good</string>
    <key>LPM Active</key><integer>0</integer>
  </dict>
</dict></plist>
)";

// The description of the first power source as the indicator reaches it; "<none>" when there
// is none, else its keys and values joined.
std::string first_source_like_the_indicator() {
    CFTypeRef info = IOPSCopyPowerSourcesInfo();
    CFArrayRef list = IOPSCopyPowerSourcesList(info);
    std::string text = "<none>";
    id source =
        list ? msg_send<id>(cf_object(list), sel_registerName("objectAtIndex:"), NSUInteger{0})
             : nil;
    if (CFDictionaryRef description =
            source ? IOPSGetPowerSourceDescription(info, source) : nullptr) {
        text.clear();
        for (const std::string& key : keys_of(description))
            text += key + "=" + value_at(description, key.c_str()) + ";";
    }
    if (list) CFRelease(list);
    if (info) CFRelease(info);
    return text;
}

} // namespace

TEST(PowerSources, GivesTheRecordedDescription) {
    TemporaryFolder folder;
    BatterySourceScope source(folder.write("battery.plist", k_power_sources_recording));
    EXPECT_EQ(first_source_like_the_indicator(),
              "Time to Full Charge=int:999;BatteryHealth=text:Good;LPM Active=int:0;");
}

TEST(PowerSources, GivesTheFolderBatterysDescriptionFirst) {
    TemporaryFolder folder;
    write_supplies(folder, {{"AC", {"TYPE=Mains", "ONLINE=1"}},
                            {"BAT0", {"TYPE=Battery", "STATUS=Full", "CAPACITY=100"}}});
    BatterySourceScope source(folder.path());
    EXPECT_EQ(first_source_like_the_indicator(),
              "Name=text:InternalBattery-0;Type=text:InternalBattery;Transport Type=text:Internal;"
              "Is Present=bool:true;Power Source State=text:AC Power;Current Capacity=int:100;"
              "Max Capacity=int:100;Is Charging=bool:false;Is Charged=bool:true;"
              "Time to Empty=int:0;Time to Full Charge=int:0;BatteryHealth=text:Good;");
}

TEST(PowerSources, GivesAnEmptyListWithoutADescription) {
    TemporaryFolder folder;
    const std::string sources[] = {
        folder.write("ioreg.plist", "<plist><array><dict/></array></plist>"),
        folder.write("broken.plist", "not a property list"),
        folder.path(), // a folder without supplies
    };
    for (const std::string& setting : sources) {
        BatterySourceScope source(setting);
        CFTypeRef info = IOPSCopyPowerSourcesInfo();
        ASSERT_TRUE(info) << setting;
        CFArrayRef list = IOPSCopyPowerSourcesList(info);
        ASSERT_TRUE(list) << setting;
        EXPECT_EQ(CFArrayGetCount(list), 0) << setting;
        CFRelease(list);
        CFRelease(info);
    }
}

TEST(PowerSources, KeepsASnapshotWhoseDescriptionsOutliveTheList) {
    TemporaryFolder folder;
    BatterySourceScope source(folder.write("battery.plist", k_power_sources_recording));
    CFTypeRef info = IOPSCopyPowerSourcesInfo();
    CFArrayRef list = IOPSCopyPowerSourcesList(info);
    CFTypeRef first = CFArrayGetValueAtIndex(list, 0);
    CFRetain(first);
    CFRelease(list);
    ASSERT_EQ(set_recorded_power_source_value("LPM Active", NSNumber::make(1).get()),
              BatteryEditResult::Done);
    CFDictionaryRef description = IOPSGetPowerSourceDescription(info, first);
    EXPECT_EQ(value_at(description, "LPM Active"), "int:0");
    CFRelease(first);
    CFRelease(info);
    EXPECT_NE(first_source_like_the_indicator().find("LPM Active=int:1"), std::string::npos);
}

TEST(PowerSources, RefusesWhatIsNotASnapshotOrASourceOfIt) {
    TemporaryFolder folder;
    BatterySourceScope source(folder.write("battery.plist", k_power_sources_recording));
    EXPECT_EQ(IOPSCopyPowerSourcesList(nullptr), nullptr);
    ObjcRef<NSMutableDictionary> lookalike = NSMutableDictionary::make();
    lookalike->setObject(NSMutableDictionary::make().get(), NSNumber::make(0).get());
    EXPECT_EQ(IOPSCopyPowerSourcesList(lookalike.get()), nullptr);
    EXPECT_EQ(IOPSGetPowerSourceDescription(lookalike.get(), NSNumber::make(0).get()), nullptr);

    CFTypeRef info = IOPSCopyPowerSourcesInfo();
    EXPECT_EQ(IOPSGetPowerSourceDescription(info, nullptr), nullptr);
    EXPECT_EQ(IOPSGetPowerSourceDescription(info, NSNumber::make(5).get()), nullptr);
    EXPECT_EQ(IOPSGetPowerSourceDescription(info, NSString::make(u"x").get()), nullptr);
    CFRelease(info);
}

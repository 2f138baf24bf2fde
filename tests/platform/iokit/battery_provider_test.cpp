#include "platform/iokit/battery_provider.h"

#include "platform/foundation/ns_number.h"
#include "platform/iokit/battery_recording.h"
#include "platform/iokit/sysfs_battery.h"
#include "tests/platform/iokit/iokit_test_support.h"

namespace {

const std::string k_recording = "<plist><dict><key>CurrentCapacity</key><integer>33</integer>"
                                "</dict></plist>";

bool is_live_source(const std::shared_ptr<BatteryProvider>& provider) {
    return dynamic_cast<SysfsBattery*>(provider.get()) != nullptr;
}

} // namespace

TEST(BatteryProvider, ChoosesTheSourceBySetting) {
    TemporaryFolder folder;
    write_supplies(folder, {{"BAT0", {"TYPE=Battery"}}});
    std::string recording = folder.write("battery.plist", k_recording);

    EXPECT_TRUE(is_live_source(make_battery_provider(nullptr)));
    EXPECT_TRUE(is_live_source(make_battery_provider("")));
    std::shared_ptr<BatteryProvider> tree = make_battery_provider(folder.path().c_str());
    EXPECT_TRUE(is_live_source(tree));
    EXPECT_TRUE(tree->has_battery());
    std::shared_ptr<BatteryProvider> recorded = make_battery_provider(recording.c_str());
    ASSERT_TRUE(recorded->recording());
    EXPECT_TRUE(recorded->has_battery());
}

TEST(BatteryProvider, SaysOnceWhyARecordingHoldsNoBattery) {
    testing::internal::CaptureStderr();
    std::shared_ptr<BatteryProvider> provider = make_battery_provider("/nonexistent/battery.plist");
    std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(provider->recording());
    EXPECT_FALSE(provider->has_battery());
    EXPECT_NE(said.find("/nonexistent/battery.plist"), std::string::npos) << said;
    EXPECT_NE(said.find("no battery"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;

    testing::internal::CaptureStderr();
    (void)provider->has_battery();
    (void)provider->copy_registry_entry();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(BatteryProvider, KeepsTheCurrentSourceUntilReselected) {
    TemporaryFolder folder;
    std::string recording = folder.write("battery.plist", k_recording);
    BatterySourceScope source(recording);
    std::shared_ptr<BatteryProvider> current = current_battery_provider();
    EXPECT_EQ(current_battery_provider(), current);
    ASSERT_EQ(set_recorded_registry_value("CurrentCapacity", NSNumber::make(34).get()),
              BatteryEditResult::Done);
    EXPECT_EQ(value_at(current_battery_provider()->copy_registry_entry().get(), "CurrentCapacity"),
              "int:34");

    reselect_battery_provider(); // reads the file again: the edit is gone
    EXPECT_NE(current_battery_provider(), current);
    EXPECT_EQ(value_at(current_battery_provider()->copy_registry_entry().get(), "CurrentCapacity"),
              "int:33");
}

TEST(BatteryProvider, EditsOnlyARecording) {
    TemporaryFolder folder;
    write_supplies(folder, {{"BAT0", {"TYPE=Battery"}}});
    BatterySourceScope source(folder.path());
    ObjcRef<NSNumber> one = NSNumber::make(1);
    EXPECT_EQ(set_recorded_registry_value("CurrentCapacity", one.get()),
              BatteryEditResult::NotRecorded);
    EXPECT_EQ(remove_recorded_registry_value("CurrentCapacity"), BatteryEditResult::NotRecorded);
    EXPECT_EQ(set_recorded_power_source_value("LPM Active", one.get()),
              BatteryEditResult::NotRecorded);
    EXPECT_EQ(remove_recorded_power_source_value("LPM Active"), BatteryEditResult::NotRecorded);
    EXPECT_EQ(remove_recorded_battery(), BatteryEditResult::NotRecorded);
    EXPECT_TRUE(current_battery_provider()->has_battery());
}

TEST(BatteryProvider, EditsTheCurrentRecording) {
    TemporaryFolder folder;
    BatterySourceScope source(folder.write("battery.plist", k_recording));
    ObjcRef<NSNumber> one = NSNumber::make(1);
    EXPECT_EQ(set_recorded_power_source_value("LPM Active", one.get()), BatteryEditResult::Done);
    EXPECT_EQ(current_battery_provider()->copy_power_source_descriptions().size(), 1u);
    EXPECT_EQ(remove_recorded_power_source_value("LPM Active"), BatteryEditResult::Done);
    EXPECT_EQ(remove_recorded_registry_value("CurrentCapacity"), BatteryEditResult::Done);
    EXPECT_EQ(remove_recorded_battery(), BatteryEditResult::Done);
    EXPECT_FALSE(current_battery_provider()->has_battery());
    EXPECT_EQ(set_recorded_registry_value("CurrentCapacity", one.get()),
              BatteryEditResult::NoBattery);
}

#include "battery/battery_properties.h"

#include "battery_test_support.h"

namespace battery {
namespace {

using BatteryPropertiesTest = BatteryTest;

TEST_F(BatteryPropertiesTest, AnswersNotFoundBeforeAnyLoadAndForMissingKeys) {
    EXPECT_EQ(GetBatteryValue(u"CycleCount"), u"[Not Found]");
    EXPECT_EQ(GetBatteryValue(u""), u"[Not Found]");
    load({integer_property(u"CycleCount", 412)});
    EXPECT_EQ(GetBatteryValue(u"CycleCount"), u"412");
    EXPECT_EQ(GetBatteryValue(u"cyclecount"), u"[Not Found]");
    EXPECT_EQ(GetBatteryValue(u"CycleCoun"), u"[Not Found]");
    EXPECT_EQ(GetBatteryValue(u"CycleCount "), u"[Not Found]");
}

TEST_F(BatteryPropertiesTest, KeepsThePlatformsOrderAndConvertsEveryValue) {
    load({flag_property(u"ExternalConnected", true),
          integer_property(u"Amperage", -1250),
          text_property(u"DeviceName", u"bq20z451"),
          {u"BatteryData", OtherValue{}},
          integer_property(u"TimeRemaining", 125)});
    struct Row {
        const char16_t* key;
        const char16_t* value;
    };
    const Row expected[] = {{u"ExternalConnected", u"Yes"},
                            {u"Amperage", u"-1250"},
                            {u"DeviceName", u"bq20z451"},
                            {u"BatteryData", u"[unsupported type]"},
                            {u"TimeRemaining", u"02:05"}};
    const BatteryPropertyList& list = battery_properties();
    ASSERT_EQ(list.size(), std::size(expected));
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].key, expected[i].key) << "entry " << i;
        EXPECT_EQ(list[i].value, expected[i].value) << "entry " << i;
    }
}

TEST_F(BatteryPropertiesTest, ReplacesTheWholeListOnEachLoad) {
    const PlatformProperties registry = {integer_property(u"CycleCount", 412),
                                         integer_property(u"CurrentCapacity", 87)};
    load(registry);
    load(registry);
    EXPECT_EQ(battery_properties().size(), 2u);

    load({integer_property(u"CycleCount", 413)});
    EXPECT_EQ(GetBatteryValue(u"CycleCount"), u"413");
    EXPECT_EQ(GetBatteryValue(u"CurrentCapacity"), u"[Not Found]");
}

TEST_F(BatteryPropertiesTest, EmptiesTheListWhenTheBatteryCannotBeRead) {
    load({integer_property(u"CycleCount", 412)});
    platform().registry.reset();
    LoadBatteryProperties();
    EXPECT_TRUE(battery_properties().empty());
    EXPECT_EQ(GetBatteryValue(u"CycleCount"), u"[Not Found]");
}

TEST_F(BatteryPropertiesTest, LetsTheFirstOfTwoEqualKeysWin) {
    load({integer_property(u"CycleCount", 1), integer_property(u"CycleCount", 2)});
    EXPECT_EQ(GetBatteryValue(u"CycleCount"), u"1");
    EXPECT_EQ(battery_integer(u"CycleCount"), 1);
}

TEST_F(BatteryPropertiesTest, KeepsTheIntegerReadingBesideItsText) {
    platform().locale = u"en_US";
    load({integer_property(u"Temperature", 2981), text_property(u"Voltage", u"12345"),
          flag_property(u"IsCharging", true)});
    EXPECT_EQ(GetBatteryValue(u"Temperature"), u"76.9°F");
    EXPECT_EQ(battery_integer(u"Temperature"), 2981);
    EXPECT_EQ(battery_integer(u"Voltage"), std::nullopt);
    EXPECT_EQ(battery_integer(u"IsCharging"), std::nullopt);
    EXPECT_EQ(battery_integer(u"CycleCount"), std::nullopt);
}

TEST_F(BatteryPropertiesTest, AsksForTheLocaleOncePerTemperatureInALoad) {
    load({integer_property(u"Temperature", 2981), integer_property(u"CycleCount", 3)});
    EXPECT_EQ(platform().locale_questions, 1);
    load({integer_property(u"CycleCount", 3)});
    EXPECT_EQ(platform().locale_questions, 1);
}

} // namespace
} // namespace battery

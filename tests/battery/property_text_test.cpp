#include "battery/property_text.h"

#include "battery_test_support.h"

namespace battery {
namespace {

using PropertyTextTest = BatteryTest;

TEST_F(PropertyTextTest, ConvertsEachKindOfValue) {
    struct Row {
        const char16_t* key;
        PropertyValue value;
        const char16_t* expected;
    };
    const Row rows[] = {
        {u"IsCharging", true, u"Yes"},
        {u"ExternalConnected", false, u"No"},
        {u"DeviceName", rt::String(u"bq20z451"), u"bq20z451"},
        {u"Serial", rt::String(u""), u""},
        {u"BatteryData", OtherValue{}, u"[unsupported type]"},
        {u"Amperage", int64_t{-1250}, u"-1250"},
        {u"CycleCount", int64_t{412}, u"412"},
        {u"DesignCapacity", int64_t{1000000}, u"1000000"},
        // Only integers go through the key's rule; a text under a time key stays as it is.
        {u"TimeRemaining", rt::String(u"125"), u"125"},
        {u"Temperature", rt::String(u"hot"), u"hot"},
        {u"Temperature", true, u"Yes"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(property_text(row.key, row.value, platform()), row.expected)
            << rt::String(row.key).utf8();
    }
}

TEST_F(PropertyTextTest, ShowsTheTimeKeysAsHoursAndMinutes) {
    const char16_t* keys[] = {u"AvgTimeToEmpty",
                              u"AvgTimeToFull",
                              u"TimeRemaining",
                              u"PostChargeWaitSeconds",
                              u"PostDischargeWaitSeconds",
                              u"BatteryInvalidWakeSeconds"};
    for (const char16_t* key : keys) {
        EXPECT_EQ(property_text(key, int64_t{125}, platform()), u"02:05") << rt::String(key).utf8();
        EXPECT_EQ(property_text(key, int64_t{65535}, platform()), u"1092:15")
            << rt::String(key).utf8();
    }
    // Keys are compared exactly.
    EXPECT_EQ(property_text(u"timeRemaining", int64_t{125}, platform()), u"125");
    EXPECT_EQ(property_text(u"TimeRemaining ", int64_t{125}, platform()), u"125");
}

TEST_F(PropertyTextTest, AsksForTheLocaleOnlyForATemperatureReading) {
    property_text(u"CycleCount", int64_t{5}, platform());
    property_text(u"Temperature", rt::String(u"30"), platform());
    EXPECT_EQ(platform().locale_questions, 0);
    property_text(u"Temperature", int64_t{3000}, platform());
    EXPECT_EQ(platform().locale_questions, 1);
}

} // namespace
} // namespace battery

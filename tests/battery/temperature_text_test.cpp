#include "battery/temperature_text.h"

#include "battery_test_support.h"

namespace battery {
namespace {

class TemperatureTextTest : public testing::Test {
  protected:
    void SetUp() override {
        rt::InitStrings();
        rt::InitLocale();
    }
};

TEST_F(TemperatureTextTest, ShowsFahrenheitWithOneDecimalAndCelsiusWithTwo) {
    struct Row {
        int64_t reading;
        const char16_t* celsius;
        const char16_t* fahrenheit;
    };
    const Row rows[] = {
        {2981, u"24.95°C", u"76.9°F"},   {3000, u"26.85°C", u"80.3°F"},
        {3031, u"29.95°C", u"85.9°F"},   {2732, u"0.05°C", u"32.1°F"},
        {2000, u"-73.15°C", u"-99.7°F"}, {10000, u"726.85°C", u"1340.3°F"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(format_temperature(row.reading, TemperatureScale::Celsius), row.celsius)
            << "reading " << row.reading;
        EXPECT_EQ(format_temperature(row.reading, TemperatureScale::Fahrenheit), row.fahrenheit)
            << "reading " << row.reading;
    }
}

TEST_F(TemperatureTextTest, CallsReadingsOutsideTheValidRangeUnknown) {
    const int64_t readings[] = {1999, 10001, 0, -2732, 65535};
    for (int64_t reading : readings) {
        EXPECT_EQ(format_temperature(reading, TemperatureScale::Celsius), u"Unknown") << reading;
        EXPECT_EQ(format_temperature(reading, TemperatureScale::Fahrenheit), u"Unknown") << reading;
    }
}

TEST_F(TemperatureTextTest, UsesFahrenheitForExactlyEnUs) {
    struct Row {
        const char16_t* locale;
        TemperatureScale expected;
    };
    const Row rows[] = {
        {u"en_US", TemperatureScale::Fahrenheit}, {u"en_GB", TemperatureScale::Celsius},
        {u"de_DE", TemperatureScale::Celsius},    {u"en_US_POSIX", TemperatureScale::Celsius},
        {u"en_us", TemperatureScale::Celsius},    {u"en", TemperatureScale::Celsius},
        {u"", TemperatureScale::Celsius},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(temperature_scale_for(row.locale), row.expected) << rt::String(row.locale).utf8();
    }
}

} // namespace
} // namespace battery

#include "battery/temperature_text.h"

#include "runtime/core/number_text.h"

namespace battery {

TemperatureScale temperature_scale_for(rt::TextArg locale_identifier) {
    if (rt::StringEqual(locale_identifier.get(), u"en_US")) return TemperatureScale::Fahrenheit;
    return TemperatureScale::Celsius;
}

rt::String format_temperature(int64_t tenths_of_kelvin, TemperatureScale scale) {
    if (tenths_of_kelvin < k_lowest_valid_temperature) return u"Unknown";
    if (tenths_of_kelvin > k_highest_valid_temperature) return u"Unknown";
    const double celsius = static_cast<double>(tenths_of_kelvin) / 10.0 + (-273.15);
    if (scale == TemperatureScale::Fahrenheit) {
        const double fahrenheit = celsius * 9.0 / 5.0 + 32.0;
        return rt::FloatToText(1, static_cast<float>(fahrenheit)) + u"°F";
    }
    return rt::FloatToText(2, static_cast<float>(celsius)) + u"°C";
}

} // namespace battery

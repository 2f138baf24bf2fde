#pragma once
// The battery temperature as shown: the registry's reading in tenths of a kelvin, as degrees
// Fahrenheit for the en_US locale and degrees Celsius for every other.

#include "runtime/core/rt_string.h"

#include <cstdint>

namespace battery {

enum class TemperatureScale { Celsius, Fahrenheit };

// Readings from 2000 to 10000 (-73.15 °C to 726.85 °C) are taken as valid.
inline constexpr int64_t k_lowest_valid_temperature = 2000;
inline constexpr int64_t k_highest_valid_temperature = 10000;

// The scale the locale shows temperatures in: Fahrenheit for exactly "en_US".
TemperatureScale temperature_scale_for(rt::TextArg locale_identifier);

// "24.95°C" (two decimals) or "76.9°F" (one decimal), the number rounded as a float; "Unknown"
// for a reading outside the valid range.
rt::String format_temperature(int64_t tenths_of_kelvin, TemperatureScale scale);

} // namespace battery

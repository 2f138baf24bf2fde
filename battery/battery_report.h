#pragma once
// The Battery Information report: everything the last refresh left in the battery texts and
// properties, as the text of one alert. Showing it is the application's part.

#include "runtime/core/rt_string.h"

namespace battery {

inline constexpr const char16_t* k_battery_report_title = u"Battery Information";

// The report's lines in their fixed order; three of them end in a line feed and a carriage
// return. The voltage line is left out when there is no "Voltage", and reads "Unknown" outside
// 0 < mV <= 20000; the two average-time lines appear only when their keys are present. One more
// line feed ends the text. Does not refresh the readings.
rt::String build_battery_information_report();

// "Voltage: 12.35 V" with a line feed and carriage return, "Voltage: Unknown" with a line feed,
// or nothing for a missing voltage.
rt::String voltage_line(const rt::String& millivolts);

} // namespace battery

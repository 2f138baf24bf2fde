#pragma once
// Where a chart's time axis gets its marks: at the start of each local hour-block, day or month
// between two times, labelled in local time. Local time is not UTC shifted by a constant: a
// daylight-saving change makes a day of 23 or 25 hours, and some zones are a quarter-hour off the
// hour. So the marks are found by walking the axis in steps of UTC time and marking where the
// local block changes, not by adding hours or days to the first.

#include "platform/display/history_charts.h"

#include <cstdint>
#include <vector>

// Every `hours` hours of the local day (00:00, 06:00, ... for 6), labelled "06:00".
std::vector<ChartTick> hour_ticks(std::int64_t from, std::int64_t to, int hours);
// Each local midnight, labelled "Tue 8".
std::vector<ChartTick> day_ticks(std::int64_t from, std::int64_t to);
// The first of every `months` months (January, April, ... for 3), labelled "Apr 2026".
std::vector<ChartTick> month_ticks(std::int64_t from, std::int64_t to, int months);

#pragma once
// The battery's history as a display shows it: three charts (the charge over the last day and
// over the last ten days, the health over every recorded month), worked out once and drawn by
// each display in its own way. A chart is plain data: its axes, the runs of points drawn joined
// (a gap between two runs is time the machine was asleep or off), the spans marked as charging,
// and an optional trend drawn dashed. Times are seconds since 1970 in UTC; the tick labels are
// already in local time, so a display draws them as they are.

#include <cstdint>
#include <string>
#include <vector>

struct ChartPoint {
    std::int64_t time = 0;
    double value = 0;
    bool operator==(const ChartPoint&) const = default;
};

struct ChartTick {
    std::int64_t time = 0;
    std::string label;
    bool operator==(const ChartTick&) const = default;
};

struct ChartSpan {
    std::int64_t from = 0;
    std::int64_t to = 0;
    bool operator==(const ChartSpan&) const = default;
};

struct Chart {
    std::string title;
    // The time axis, from <= time <= to.
    std::int64_t from = 0;
    std::int64_t to = 0;
    // The value axis, low < high, with the unit of its labels ("%").
    double low = 0;
    double high = 100;
    std::string unit = "%";
    std::vector<ChartTick> ticks;
    // Each run is drawn as one joined line, in order of time; nothing joins two runs.
    std::vector<std::vector<ChartPoint>> runs;
    // Marked behind the line: the battery was charging.
    std::vector<ChartSpan> marked;
    // Empty, or the two ends of a line drawn dashed over the chart.
    std::vector<ChartPoint> trend;
    // One line under the chart; may be empty.
    std::string caption;
    bool operator==(const Chart&) const = default;
};

struct HistoryCharts {
    Chart last_day;
    Chart last_ten_days;
    Chart health;
    bool operator==(const HistoryCharts&) const = default;
};

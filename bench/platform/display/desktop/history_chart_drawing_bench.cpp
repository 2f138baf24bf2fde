// Drawing the ten-day chart as the Battery Information window does on a screen of two pixels a
// point: ten days of a reading a minute (14,400 minutes) with three spells asleep or off, five
// hours in all, left as gaps (14,100 points in four runs), a charge every day shaded, into
// 420 × 140 points.

#include "platform/display/desktop/history_chart_drawing.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

constexpr std::int64_t k_day = 86'400;
constexpr std::int64_t k_start = 1'796'000'000;

bool asleep(std::int64_t since_start) {
    const std::int64_t gaps[][2] = {{2 * k_day + 3'600, 2 * k_day + 10'800},
                                    {5 * k_day, 5 * k_day + 7'200},
                                    {8 * k_day + 7'200, 8 * k_day + 10'800}};
    return std::any_of(std::begin(gaps), std::end(gaps), [&](const auto& gap) {
        return since_start >= gap[0] && since_start < gap[1];
    });
}

// A discharge over the day and a charge of two hours from six in the evening.
Chart ten_days() {
    Chart chart;
    chart.title = "Last 10 Days";
    chart.from = k_start;
    chart.to = k_start + 10 * k_day;
    for (int day = 0; day <= 10; day += 2)
        chart.ticks.push_back({k_start + day * k_day, "Dec " + std::to_string(day + 1)});
    chart.runs.emplace_back();
    double charge = 100;
    for (std::int64_t minute = 0; minute < 14'400; ++minute) {
        const std::int64_t since_start = minute * 60;
        if (asleep(since_start)) {
            if (!chart.runs.back().empty()) chart.runs.emplace_back();
            continue;
        }
        const std::int64_t time_of_day = since_start % k_day;
        const bool charging = time_of_day >= 64'800 && time_of_day < 72'000;
        charge = std::clamp(charge + (charging ? 0.6 : -0.07), 5.0, 100.0);
        chart.runs.back().push_back({k_start + since_start, charge});
    }
    for (int day = 0; day < 10; ++day)
        chart.marked.push_back({k_start + day * k_day + 64'800, k_start + day * k_day + 72'000});
    chart.caption = "Shaded: charging. Gaps: asleep or off.";
    return chart;
}

void BM_DrawTenDayChart(benchmark::State& state) {
    const Chart chart = ten_days();
    std::size_t points = 0;
    for (const auto& run : chart.runs)
        points += run.size();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 840, 280);
    cairo_surface_set_device_scale(surface, 2, 2);
    cairo_t* cairo = cairo_create(surface);
    for (auto _ : state) {
        cairo_set_operator(cairo, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cairo);
        cairo_set_operator(cairo, CAIRO_OPERATOR_OVER);
        draw_history_chart(cairo, chart, {0, 0, 420, 140}, {});
        cairo_surface_flush(surface);
    }
    state.counters["points"] = static_cast<double>(points);
    state.counters["runs"] = static_cast<double>(chart.runs.size());
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_DrawTenDayChart)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

} // namespace

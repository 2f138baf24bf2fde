#include "app/history_charts.h"

#include "app/chart_ticks.h"
#include "history/health_trend.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t k_day = 86400;
// The health axis shows at least this band, so that a flat line does not fill the chart.
constexpr double k_lowest_top = 100;
constexpr double k_highest_bottom = 70;
constexpr int k_month_ticks_wanted = 6;
constexpr std::int64_t k_shortest_health_axis = 30 * k_day;

Chart charge_chart(const char* title, std::span<const Reading> by_time, std::int64_t from,
                   std::int64_t to) {
    Chart chart;
    chart.title = title;
    chart.from = from;
    chart.to = to;
    const Reading* previous = nullptr;
    for (const Reading& reading : by_time) {
        if (reading.time < from || reading.time > to) continue;
        const bool joined = previous && reading.time - previous->time <= k_gap;
        if (!joined) chart.runs.emplace_back();
        chart.runs.back().push_back({reading.time, static_cast<double>(reading.percent)});
        // A charging reading marks the time up to the next one it is joined to.
        if (joined && previous->state == ChargeState::Charging) {
            if (!chart.marked.empty() && chart.marked.back().to == previous->time)
                chart.marked.back().to = reading.time;
            else
                chart.marked.push_back({previous->time, reading.time});
        }
        previous = &reading;
    }
    return chart;
}

double health_percent(const HealthDay& day) {
    return 100.0 * static_cast<double>(day.full_mah) / static_cast<double>(day.design_mah);
}

// In order of day; of two rows of a day (one written, one still waiting) the later stands.
std::vector<HealthDay> one_per_day(std::vector<HealthDay> days) {
    std::ranges::stable_sort(days, {}, &HealthDay::day);
    std::vector<HealthDay> kept;
    for (HealthDay& day : days) {
        if (!kept.empty() && kept.back().day == day.day)
            kept.back() = std::move(day);
        else
            kept.push_back(std::move(day));
    }
    return kept;
}

// Each battery's days in order of day; the battery whose day is latest comes back in `current`.
std::map<std::string, std::vector<HealthDay>> days_by_battery(std::span<const HealthDay> health,
                                                              std::string& current) {
    std::map<std::string, std::vector<HealthDay>> batteries;
    std::int64_t latest = INT64_MIN;
    for (const HealthDay& day : health) {
        if (day.design_mah <= 0 || day.full_mah <= 0) continue;
        batteries[day.battery].push_back(day);
        if (day.day >= latest) latest = day.day, current = day.battery;
    }
    for (auto& [name, days] : batteries)
        days = one_per_day(std::move(days));
    return batteries;
}

void add_trend(Chart& chart, const std::vector<HealthDay>& days) {
    const std::optional<HealthTrend> trend = health_trend(days);
    if (!trend) return;
    chart.caption = trend->verdict();
    if (trend->days < HealthTrend::k_fewest_days) return;
    const std::int64_t first = days.front().day, last = days.back().day;
    std::int64_t end = last;
    if (const std::optional<std::int64_t> worn = trend->day_worn();
        worn && *worn > last && (*worn - last) * k_day <= k_trend_ahead)
        end = *worn;
    chart.trend = {{first * k_day, trend->at(first)}, {end * k_day, trend->at(end)}};
}

Chart health_chart(std::span<const HealthDay> health, std::int64_t now) {
    Chart chart;
    chart.title = "Health";
    chart.from = chart.to = now;
    chart.low = k_highest_bottom;
    chart.high = k_lowest_top;
    std::string current;
    const auto batteries = days_by_battery(health, current);
    for (const auto& [name, days] : batteries) {
        chart.runs.emplace_back();
        for (const HealthDay& day : days)
            chart.runs.back().push_back({day.day * k_day, health_percent(day)});
    }
    if (batteries.empty()) {
        chart.caption = "No health recorded yet";
        chart.from = now - k_shortest_health_axis;
        return chart;
    }
    add_trend(chart, batteries.at(current));
    for (const auto& run : chart.runs)
        for (const ChartPoint& point : run) {
            chart.from = std::min(chart.from, point.time);
            chart.low = std::min(chart.low, std::floor(point.value / 10) * 10);
            chart.high = std::max(chart.high, std::ceil(point.value / 10) * 10);
        }
    for (const ChartPoint& point : chart.trend)
        chart.to = std::max(chart.to, point.time);
    chart.from = std::min(chart.from, chart.to - k_shortest_health_axis);
    const std::int64_t months = (chart.to - chart.from) / (30 * k_day);
    chart.ticks = month_ticks(chart.from, chart.to,
                              static_cast<int>(std::max<std::int64_t>(
                                  1, (months + k_month_ticks_wanted - 1) / k_month_ticks_wanted)));
    return chart;
}

} // namespace

HistoryCharts make_history_charts(std::span<const Reading> readings,
                                  std::span<const HealthDay> health, std::int64_t now) {
    std::vector<Reading> by_time(readings.begin(), readings.end());
    std::ranges::stable_sort(by_time, {}, &Reading::time);
    HistoryCharts charts;
    charts.last_day = charge_chart("Last 24 Hours", by_time, now - k_day, now);
    charts.last_day.ticks = hour_ticks(now - k_day, now, 6);
    charts.last_ten_days = charge_chart("Last 10 Days", by_time, now - 10 * k_day, now);
    charts.last_ten_days.ticks = day_ticks(now - 10 * k_day, now);
    charts.health = health_chart(health, now);
    return charts;
}

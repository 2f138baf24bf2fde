#include "app/chart_ticks.h"

#include <ctime>
#include <functional>

namespace {

// Steps fine enough to meet every local quarter-hour, whatever the zone's offset.
constexpr std::int64_t k_quarter_hour = 900;
// Month marks may fall up to an hour late in a zone off the hour; nobody sees it on a
// month-wide axis, and a year's walk stays short.
constexpr std::int64_t k_hour = 3600;

std::tm local_time(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

std::string label(const std::tm& local, const char* format) {
    char text[32] = "";
    return std::strftime(text, sizeof text, format, &local) ? text : "";
}

// A mark at the first step of each new block, as `block` numbers them; none at `from` itself
// unless a block starts exactly there.
std::vector<ChartTick> ticks(std::int64_t from, std::int64_t to, std::int64_t step,
                             const std::function<long(const std::tm&)>& block, const char* format) {
    std::vector<ChartTick> marks;
    std::int64_t time = from - (from % step + step) % step;
    long previous = block(local_time(time - step));
    for (; time <= to; time += step) {
        const std::tm local = local_time(time);
        const long current = block(local);
        if (current != previous && time >= from) marks.push_back({time, label(local, format)});
        previous = current;
    }
    return marks;
}

long days_of(const std::tm& local) {
    return (local.tm_year + 1900L) * 400 + local.tm_yday;
}

} // namespace

std::vector<ChartTick> hour_ticks(std::int64_t from, std::int64_t to, int hours) {
    return ticks(
        from, to, k_quarter_hour,
        [hours](const std::tm& local) { return days_of(local) * 24 + local.tm_hour / hours; },
        "%H:%M");
}

std::vector<ChartTick> day_ticks(std::int64_t from, std::int64_t to) {
    return ticks(from, to, k_quarter_hour, days_of, "%a %-d");
}

std::vector<ChartTick> month_ticks(std::int64_t from, std::int64_t to, int months) {
    return ticks(
        from, to, k_hour,
        [months](const std::tm& local) {
            return ((local.tm_year + 1900L) * 12 + local.tm_mon) / months;
        },
        "%b %Y");
}

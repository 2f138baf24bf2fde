#include "history/health_trend.h"

#include "history/history_csv.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double k_century_days = 36525;

double health_of(const HealthDay& day) {
    return 100.0 * static_cast<double>(day.full_mah) / static_cast<double>(day.design_mah);
}

std::string month_of(std::int64_t day) {
    return utc_text(day * 86400, "%B %Y");
}

std::string format(const char* pattern, double value) {
    char text[32] = "";
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

} // namespace

std::optional<std::int64_t> HealthTrend::day_worn() const {
    if (slope_per_day >= 0) return std::nullopt;
    const double day = std::ceil((k_worn - intercept) / slope_per_day);
    if (!std::isfinite(day) || day > k_century_days * 200) return std::nullopt;
    return static_cast<std::int64_t>(day);
}

std::string HealthTrend::verdict() const {
    std::string text = "Health " + format("%.0f", health) + " %: ";
    if (days < k_fewest_days)
        return text + "too few days for a trend (" + std::to_string(days) + " of " +
               std::to_string(k_fewest_days) + ")";
    const double change = slope_per_day * k_six_months;
    // A minus sign, not a hyphen; a change that rounds to nothing has no sign.
    const std::string size = format("%.1f", std::fabs(change));
    text += (size == "0.0" ? "" : change < 0 ? "\u2212" : "+") + size + " % in 6 months; ";
    if (health <= k_worn) return text + "below 80 % already";
    const std::optional<std::int64_t> worn = day_worn();
    if (!worn) return text + "not falling";
    return text + "80 % around " + month_of(*worn);
}

std::optional<HealthTrend> health_trend(std::span<const HealthDay> days) {
    double n = 0, mean_x = 0, mean_y = 0;
    const HealthDay* last = nullptr;
    for (const HealthDay& day : days) {
        if (day.design_mah <= 0) continue;
        n += 1;
        mean_x += static_cast<double>(day.day);
        mean_y += health_of(day);
        last = &day;
    }
    if (!last) return std::nullopt;
    mean_x /= n;
    mean_y /= n;
    // Sums about the means, so that days counted from 1970 lose no precision.
    double spread = 0, covariance = 0;
    for (const HealthDay& day : days) {
        if (day.design_mah <= 0) continue;
        const double dx = static_cast<double>(day.day) - mean_x;
        spread += dx * dx;
        covariance += dx * (health_of(day) - mean_y);
    }
    HealthTrend trend;
    trend.health = health_of(*last);
    trend.days = static_cast<std::int64_t>(n);
    trend.slope_per_day = spread > 0 ? covariance / spread : 0;
    trend.intercept = mean_y - trend.slope_per_day * mean_x;
    return trend;
}

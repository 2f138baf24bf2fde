#pragma once
// Where a battery's health is going: a straight line fitted (least squares) through its daily
// health, full capacity over design capacity, and what the line says in one sentence.
//
//   "Health 91 %: −2.1 % in 6 months; 80 % around May 2029"
//   "Health 91 %: +0.4 % in 6 months; not falling"
//   "Health 78 %: −2.1 % in 6 months; below 80 % already"
//   "Health 91 %: too few days for a trend (12 of 30)"

#include "history/reading.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct HealthTrend {
    // The last day's health, in percent of the design capacity.
    double health = 0;
    // Days with a health row, and the fitted line: percent at `day`, and its change per day.
    std::int64_t days = 0;
    double slope_per_day = 0;
    double intercept = 0;

    static constexpr std::int64_t k_fewest_days = 30;
    static constexpr double k_six_months = 182.5;
    static constexpr double k_worn = 80;

    double at(std::int64_t day) const {
        return intercept + slope_per_day * static_cast<double>(day);
    }
    // The first day the line is at or below 80 %; none while it does not fall, or beyond a century.
    std::optional<std::int64_t> day_worn() const;
    std::string verdict() const;
};

// The trend of one battery's days, in order of day; none without a day with a design capacity.
std::optional<HealthTrend> health_trend(std::span<const HealthDay> days);

#pragma once
// The charts of the battery's history as the Battery Information alert shows them, worked out
// from the readings and health days the history holds at `now`:
//   - the charge over the last 24 hours and over the last 10 days, every reading joined to the
//     next unless more than k_gap apart (the machine slept or was off: a gap), the spans while
//     charging marked;
//   - each battery's health over all its days, one run per battery (a new battery starts its
//     own), with the trend of the battery read last, drawn on to where it reaches 80 % when
//     that is within k_trend_ahead, and its verdict as the caption.
// Marks on the time axes are in local time (chart_ticks.h).

#include "history/reading.h"
#include "platform/display/history_charts.h"

#include <cstdint>
#include <span>

inline constexpr std::int64_t k_gap = 600;
inline constexpr std::int64_t k_trend_ahead = 3 * 365 * 86400;

// `readings` in any order (a clock set back leaves them so); those outside an axis are left out.
HistoryCharts make_history_charts(std::span<const Reading> readings,
                                  std::span<const HealthDay> health, std::int64_t now);

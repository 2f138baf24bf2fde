#pragma once
// Which charge limits are accepted, and the start threshold that goes with each.
//
// A limit is a whole percent from 50 to 100; 100 means no limit. Batteries that also have a start
// threshold begin charging only below it: it is the limit less 5 (45 at the lowest), so that a
// battery held at its limit is not topped up for every percent it loses. Lifted to 100 for
// charging once, a battery held at a limit of 90 or less is below the start (95) and charges at
// once.

#include <cstdint>
#include <optional>
#include <string_view>

constexpr std::uint32_t k_lowest_limit = 50;
constexpr std::uint32_t k_no_limit = 100;
constexpr std::uint32_t k_start_below_limit = 5;

bool is_valid_limit(std::uint32_t percent);

// The start threshold for a valid limit.
std::uint32_t start_threshold_for(std::uint32_t limit);

// A whole percent written as the kernel writes one ("80", "80\n"); nothing for any other text,
// including numbers out of 0..100.
std::optional<std::uint32_t> parse_percent(std::string_view text);

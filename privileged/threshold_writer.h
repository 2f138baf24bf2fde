#pragma once
// Writing a limit into a battery's thresholds.
//
// A battery with a start threshold refuses one that is not below its end threshold, so the two
// are written in the order that keeps start below end after each write: the start first when the
// new start is below the present end, the end first otherwise. A threshold that already holds its
// value is not written again (each write may reach the embedded controller).

#include "privileged/supply_folder.h"

#include <cstdint>
#include <optional>
#include <vector>

constexpr const char* k_start_threshold = "charge_control_start_threshold";

struct ThresholdWrite {
    const char* attribute;
    std::uint32_t percent;
};

struct Thresholds {
    std::optional<std::uint32_t> end; // nothing when unreadable
    std::optional<std::uint32_t> start;
    bool has_start = false;
};

// The writes, in order, that take a battery whose thresholds are `present` to the valid `limit`.
std::vector<ThresholdWrite> threshold_writes(std::uint32_t limit, const Thresholds& present);

// Takes the battery to `limit`; 0, or the errno of the first write that failed (the writes after
// it are not made).
int apply_limit(const SupplyFolder& battery, std::uint32_t limit);

#pragma once
// What the history keeps of the battery: a reading at each refresh, and once a day each
// battery's health. Times are seconds since 1970 in UTC, as the clock gives them.

#include <cstdint>
#include <optional>
#include <string>

enum class ChargeState : std::uint8_t { Discharging = 0, Charging = 1, Full = 2, Idle = 3 };

struct Reading {
    std::int64_t time = 0;
    int percent = 0;
    // The charge left, in mAh; none when the battery does not tell.
    std::optional<std::int64_t> left_mah;
    // Positive while charging, negative while discharging, in mA.
    std::optional<std::int64_t> current_ma;
    ChargeState state = ChargeState::Discharging;
    bool on_mains = false;
    // Read back from an hour's row: the last reading of the hour, at the hour's start.
    bool hourly = false;

    friend bool operator==(const Reading&, const Reading&) = default;
};

// One battery on one day. A battery is named by its serial, else by its model's name; a new
// battery in the machine starts a line of its own.
struct HealthDay {
    std::string battery;
    // Days since 1970-01-01 in UTC.
    std::int64_t day = 0;
    std::int64_t full_mah = 0;
    std::int64_t design_mah = 0;
    std::optional<std::int64_t> cycles;

    friend bool operator==(const HealthDay&, const HealthDay&) = default;
};

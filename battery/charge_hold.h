#pragma once
// Charging held at a limit: on mains, not charging, below full, with the battery's charge limit
// set under 100 %. While held, the texts that would otherwise read "Fully charged", "00:00 left"
// or a time to full say that charging is held, and the report names the limit.

#include "battery/battery_texts.h"

#include <cstdint>
#include <optional>

namespace battery {

struct ChargeHoldReading {
    std::optional<int64_t> limit; // the battery's charge limit; none where it has none
    int64_t percent = 0;
    bool on_mains = false;
    bool charging = false;
    // The limit lifted while the battery charges fully once; none otherwise.
    std::optional<int64_t> lifted;
};

// The limit charging is held at; none when it is not held.
std::optional<int64_t> held_at(const ChargeHoldReading& reading);

// The reading of the loaded battery properties, and of the last note below.
ChargeHoldReading charge_hold_reading();
// What the charge limit's service last said: the limit it lifted to charge fully once, or none.
void note_charging_once(std::optional<int64_t> lifted_limit);

// While held at `limit`: "Not charging (held at 80%)" as the charging status, "Held at 80%" as
// the time left and the time to full.
void show_charge_hold(BatteryTexts& texts, int64_t limit);

// The report's line about the limit: "Charge Limit: 80%", with ", charging held" while held or
// ", lifted to charge to 100% once", or "Charge Limit: None" at 100; empty where the battery has
// no limit.
rt::String charge_limit_line(const ChargeHoldReading& reading);

} // namespace battery

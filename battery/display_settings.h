#pragma once
// The eight display settings: which pieces of battery information the status title shows.

#include <cstdint>

namespace battery {

// As the defaults store gives them: 0 is off, any other value on. In title order.
struct DisplaySettings {
    int64_t ShowCycles = 0;
    int64_t ShowCondition = 0;
    int64_t ShowPercentage = 0;
    int64_t ShowHealth = 0;
    int64_t ShowTimeLeft = 0;
    int64_t ShowTemp = 0;
    int64_t ShowFullChargeTime = 0;
    int64_t ShowCharging = 0;
};

} // namespace battery

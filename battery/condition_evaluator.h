#pragma once
// The program's own judgement of the battery: "Critical", "Poor", "Fair" or "Good", from the
// failure flags, the system's verdict, the health, the cycle count and the temperature, with a
// sentence or a short list that explains it.

#include "runtime/core/rt_string.h"

#include <cstdint>

namespace battery {

struct ConditionInputs {
    double health_percent = 0.0;
    int64_t cycles = 0;
    int64_t failure_status = 0;
    int64_t permanent_failure_status = 0;
    // The system's verdict; only "Good" and "Normal" count as sound.
    rt::String condition;
    double celsius = 0.0;
};

struct ConditionVerdict {
    rt::String verdict;
    rt::String explanation;
};

// The first rule that applies: failure flags, an unsound system verdict, signs of ageing
// (health below 75 %, more than 1000 cycles or above 50 °C), excellent condition (health from
// 90 %, verdict "Good", fewer than 500 cycles, below 45 °C), and acceptable otherwise.
ConditionVerdict evaluate_condition(const ConditionInputs& inputs);

// The inputs from the loaded battery properties and the shared BatteryTexts. The temperature is
// in degrees Celsius whatever the locale shows; 0 when it is unknown.
ConditionInputs current_condition_inputs();

// The verdict, one line feed, and the explanation, for the current battery.
rt::String EvaluateBatteryCondition();

} // namespace battery

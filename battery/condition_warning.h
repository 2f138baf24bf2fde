#pragma once
// The start-up warning about a battery whose condition the system does not call good: whether it
// is due and what it says. Showing it (the sound, the alert) is the application's part.

#include "runtime/core/rt_string.h"

namespace battery {

struct ConditionWarning {
    // False when the condition is "Good" or "Normal": nothing is shown.
    bool shown = false;
    rt::String title;
    rt::String text;
};

// The condition is the registry's "BatteryHealth" when it has one, else the power source's
// verdict (ConditionText). The text names it, lists the failure flags that are set (or says
// there are none) and adds the evaluator's judgement; every line ends in a line feed.
ConditionWarning build_condition_warning();

} // namespace battery

#include "battery/condition_warning.h"

#include "battery/battery_properties.h"
#include "battery/battery_texts.h"
#include "battery/condition_evaluator.h"

namespace battery {
namespace {

rt::String warning_condition() {
    rt::String condition = GetBatteryValue(u"BatteryHealth");
    if (condition == k_not_found) return battery_texts().ConditionText;
    return condition;
}

// "<key>: <value>" and a line feed for a flag that is present and not "0"; empty otherwise.
rt::String flag_line(const char16_t* key) {
    const rt::String value = GetBatteryValue(key);
    if (value == k_not_found || value == u"0") return {};
    return key + (u": " + value) + u"\n";
}

rt::String warning_details() {
    rt::String details = flag_line(u"BatteryFailureStatus") + flag_line(u"PermanentFailureStatus");
    if (details.empty()) details = u"No failure flags detected.\n";
    details += u"Status Confidence: " + EvaluateBatteryCondition() + u"\n";
    return details;
}

} // namespace

ConditionWarning build_condition_warning() {
    const rt::String condition = warning_condition();
    if (condition == u"Good" || condition == u"Normal") return {};
    return {true, u"Battery Warning!",
            u"Condition: " + condition + u"\n" + warning_details() + u"\n"};
}

} // namespace battery

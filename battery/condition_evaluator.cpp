#include "battery/condition_evaluator.h"

#include "battery/battery_properties.h"
#include "battery/battery_texts.h"
#include "battery/temperature_text.h"
#include "runtime/core/number_text.h"
#include "runtime/core/string_functions.h"

namespace battery {
namespace {

bool has_failure_flags(const ConditionInputs& inputs) {
    return inputs.failure_status != 0 || inputs.permanent_failure_status != 0;
}

bool is_sound_condition(const rt::String& condition) {
    return condition == u"Good" || condition == u"Normal";
}

bool shows_ageing(const ConditionInputs& inputs) {
    return inputs.health_percent < 75.0 || inputs.cycles > 1000 || inputs.celsius > 50.0;
}

bool is_excellent(const ConditionInputs& inputs) {
    return inputs.health_percent >= 90.0 && inputs.condition == u"Good" && inputs.cycles < 500 &&
           inputs.celsius < 45.0;
}

rt::String one_decimal(double value) {
    return rt::FloatToText(1, static_cast<float>(value));
}

ConditionVerdict ageing_verdict(const ConditionInputs& inputs) {
    return {u"Fair", u"Battery shows signs of aging or stress:\n- Health: " +
                         one_decimal(inputs.health_percent) + u"%\n- Cycle Count: " +
                         rt::IntegerToText(inputs.cycles) + u"\n- Temperature: " +
                         one_decimal(inputs.celsius) + u"°C"};
}

ConditionVerdict excellent_verdict(const ConditionInputs& inputs) {
    return {u"Good", u"Battery is in excellent condition:\n- Health \u2265 90%\n- Cycle Count < "
                     u"500\n- Normal temperature (" +
                         one_decimal(inputs.celsius) + u"°C)"};
}

// The Celsius text of the temperature rule: formed from the integer reading when there is one,
// so that a Fahrenheit display does not change the judgement; else the shown text itself.
rt::String celsius_text() {
    if (std::optional<int64_t> reading = battery_integer(u"Temperature")) {
        return format_temperature(*reading, TemperatureScale::Celsius);
    }
    return battery_texts().TemperatureText;
}

} // namespace

ConditionVerdict evaluate_condition(const ConditionInputs& inputs) {
    if (has_failure_flags(inputs)) {
        return {u"Critical", u"Hardware failure flag(s) were detected. The battery may be "
                             u"defective or at risk of failure. Please consider replacing it "
                             u"immediately!"};
    }
    if (!is_sound_condition(inputs.condition)) {
        return {u"Poor", u"macOS reports a non-optimal battery condition (" + inputs.condition +
                             u"). The battery may still function but is no longer considered "
                             u"reliable."};
    }
    if (shows_ageing(inputs)) return ageing_verdict(inputs);
    if (is_excellent(inputs)) return excellent_verdict(inputs);
    return {u"Fair", u"Battery metrics are within acceptable ranges but not optimal."};
}

ConditionInputs current_condition_inputs() {
    const BatteryTexts& texts = battery_texts();
    ConditionInputs inputs;
    inputs.health_percent = rt::TextToFloat(rt::TextField(texts.HealthText, 1, u"%"));
    inputs.cycles = rt::TextToInteger(GetBatteryValue(u"CycleCount"));
    inputs.failure_status = rt::TextToInteger(GetBatteryValue(u"BatteryFailureStatus"));
    inputs.permanent_failure_status = rt::TextToInteger(GetBatteryValue(u"PermanentFailureStatus"));
    inputs.condition = texts.ConditionText;
    inputs.celsius = rt::TextToFloat(rt::RemoveText(celsius_text(), u"°C"));
    return inputs;
}

rt::String EvaluateBatteryCondition() {
    const ConditionVerdict result = evaluate_condition(current_condition_inputs());
    return result.verdict + u"\n" + result.explanation;
}

} // namespace battery

#include "platform/startup/input_router.h"

#include "platform/appkit/ns_application.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "platform/iokit/battery_edit.h"
#include "platform/iokit/battery_provider.h"

#include <string>
#include <variant>

namespace {

ObjcRef<> object_of(const PropertyValue& value) {
    switch (value.kind) {
    case PropertyValue::Kind::integer:
        return NSNumber::make(value.integer);
    case PropertyValue::Kind::boolean:
        return NSNumber::make(value.boolean);
    case PropertyValue::Kind::string:
        return NSString::from_utf8(value.string);
    }
    return {};
}

BatteryEditResult apply(const PropertyChange& change) {
    if (change.action == PropertyAction::remove) return remove_recorded_battery();
    bool battery = change.target == PropertyTarget::battery;
    if (change.action == PropertyAction::unset) {
        return battery ? remove_recorded_registry_value(change.key)
                       : remove_recorded_power_source_value(change.key);
    }
    ObjcRef<> value = object_of(change.value);
    return battery ? set_recorded_registry_value(change.key, value.get())
                   : set_recorded_power_source_value(change.key, value.get());
}

std::string refusal_of(BatteryEditResult result, const std::string& key) {
    switch (result) {
    case BatteryEditResult::Done:
        return {};
    case BatteryEditResult::NotRecorded:
        return "the battery is not a recording";
    case BatteryEditResult::NoBattery:
        return "the recording has no battery";
    case BatteryEditResult::NoSuchKey:
        return "no property " + key;
    case BatteryEditResult::Refused:
        return "the value was refused";
    }
    return "the battery could not be changed";
}

} // namespace

void InputRouter::take(Display& display, const Input& input) {
    if (const auto* edit = std::get_if<BatteryEdit>(&input)) {
        std::string refusal = refusal_of(apply(edit->change), edit->change.key);
        if (!refusal.empty()) display.reject_input(input, refusal);
    } else if (NSApp) {
        NSApp->handle_display_input(input);
    } else {
        display.reject_input(input, "the application is not running");
    }
}

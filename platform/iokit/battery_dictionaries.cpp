#include "platform/iokit/battery_dictionaries.h"

#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"

#include <mutex>
#include <string_view>
#include <unordered_map>

namespace {

constexpr std::int64_t k_registry_unknown_minutes = 65535;
constexpr std::int64_t k_power_source_unknown_minutes = -1;

// The string for a key, made once and kept for the life of the program: the dictionaries are
// made again whenever a fact changes, and readers keep each key's UTF-8 text in its string.
NSString* key_string(std::u16string_view key) {
    static std::mutex mutex;
    // Viewing the strings' units; never destroyed, so that the strings stay reachable to the end.
    static auto& made = *new std::unordered_map<std::u16string_view, NSString*>();
    std::lock_guard lock(mutex);
    if (auto found = made.find(key); found != made.end()) return found->second;
    NSString* string = NSString::make_constant(key);
    made.emplace(string->units(), string);
    return string;
}

class DictionaryBuilder {
  public:
    DictionaryBuilder() : m_dictionary(NSMutableDictionary::make()) {}

    void put(std::u16string_view key, id value) {
        if (m_dictionary) m_dictionary->setObject(value, key_string(key));
    }
    void put_integer(std::u16string_view key, std::int64_t value) {
        put(key, NSNumber::make(value).get());
    }
    void put_integer(std::u16string_view key, std::optional<std::int64_t> value) {
        if (value) put_integer(key, *value);
    }
    void put_flag(std::u16string_view key, bool value) { put(key, NSBoolean::shared(value)); }
    void put_text(std::u16string_view key, std::string_view utf8) {
        put(key, NSString::from_utf8(utf8).get());
    }
    void put_name(std::u16string_view key, std::string_view utf8) {
        if (!utf8.empty()) put_text(key, utf8);
    }

    ObjcRef<NSMutableDictionary> take() { return std::move(m_dictionary); }

  private:
    ObjcRef<NSMutableDictionary> m_dictionary;
};

bool is(const BatteryFacts& facts, ChargeStatus status) {
    return facts.status == status;
}

std::int64_t registry_time_remaining(const BatteryFacts& facts) {
    if (is(facts, ChargeStatus::Discharging)) {
        return facts.minutes_to_empty.value_or(k_registry_unknown_minutes);
    }
    if (is(facts, ChargeStatus::Charging)) {
        return facts.minutes_to_full.value_or(k_registry_unknown_minutes);
    }
    return 0;
}

std::int64_t registry_average_to_empty(const BatteryFacts& facts) {
    if (!is(facts, ChargeStatus::Discharging)) return k_registry_unknown_minutes;
    return facts.average_minutes_to_empty.value_or(k_registry_unknown_minutes);
}

std::int64_t registry_average_to_full(const BatteryFacts& facts) {
    if (!is(facts, ChargeStatus::Charging)) return k_registry_unknown_minutes;
    return facts.average_minutes_to_full.value_or(k_registry_unknown_minutes);
}

std::int64_t power_source_time_to_empty(const BatteryFacts& facts) {
    if (!is(facts, ChargeStatus::Discharging)) return 0;
    return facts.minutes_to_empty.value_or(k_power_source_unknown_minutes);
}

std::int64_t power_source_time_to_full(const BatteryFacts& facts) {
    if (is(facts, ChargeStatus::Full)) return 0;
    if (!is(facts, ChargeStatus::Charging)) return k_power_source_unknown_minutes;
    return facts.minutes_to_full.value_or(k_power_source_unknown_minutes);
}

std::string_view health_verdict(const BatteryFacts& facts) {
    if (facts.failure || facts.permanent_failure) return "Check Battery";
    if (facts.worn) return "Service Recommended";
    return "Good";
}

} // namespace

ObjcRef<NSMutableDictionary> make_registry_entry(const BatteryFacts& facts) {
    DictionaryBuilder entry;
    entry.put_integer(u"CurrentCapacity", facts.percent);
    entry.put_integer(u"MaxCapacity", 100);
    entry.put_integer(u"AppleRawCurrentCapacity", facts.current_mah);
    entry.put_integer(u"AppleRawMaxCapacity", facts.full_mah);
    entry.put_integer(u"DesignCapacity", facts.design_mah);
    entry.put_integer(u"CycleCount", facts.cycle_count);
    entry.put_integer(u"Temperature", facts.temperature_decikelvin);
    entry.put_integer(u"Voltage", facts.voltage_mv);
    entry.put_integer(u"Amperage", facts.amperage_ma);
    entry.put_integer(u"InstantAmperage", facts.amperage_ma);
    entry.put_integer(u"TimeRemaining", registry_time_remaining(facts));
    entry.put_integer(u"AvgTimeToEmpty", registry_average_to_empty(facts));
    entry.put_integer(u"AvgTimeToFull", registry_average_to_full(facts));
    entry.put_flag(u"IsCharging", is(facts, ChargeStatus::Charging));
    entry.put_flag(u"ExternalConnected", facts.external_power);
    entry.put_flag(u"FullyCharged", is(facts, ChargeStatus::Full));
    entry.put_flag(u"BatteryInstalled", true);
    entry.put_name(u"DeviceName", facts.device_name);
    entry.put_name(u"Manufacturer", facts.manufacturer);
    entry.put_name(u"Serial", facts.serial);
    entry.put_integer(u"BatteryFailureStatus", facts.failure ? 1 : 0);
    entry.put_integer(u"PermanentFailureStatus", facts.permanent_failure ? 1 : 0);
    return entry.take();
}

ObjcRef<NSMutableDictionary> make_power_source_description(const BatteryFacts& facts) {
    DictionaryBuilder description;
    description.put_text(u"Name", "InternalBattery-0");
    description.put_text(u"Type", "InternalBattery");
    description.put_text(u"Transport Type", "Internal");
    description.put_flag(u"Is Present", true);
    description.put_text(u"Power Source State",
                         facts.external_power ? "AC Power" : "Battery Power");
    description.put_integer(u"Current Capacity", facts.percent);
    description.put_integer(u"Max Capacity", 100);
    description.put_flag(u"Is Charging", is(facts, ChargeStatus::Charging));
    if (is(facts, ChargeStatus::Full)) description.put_flag(u"Is Charged", true);
    description.put_integer(u"Time to Empty", power_source_time_to_empty(facts));
    description.put_integer(u"Time to Full Charge", power_source_time_to_full(facts));
    description.put_text(u"BatteryHealth", health_verdict(facts));
    if (facts.low_power_mode) description.put_integer(u"LPM Active", *facts.low_power_mode ? 1 : 0);
    return description.take();
}

#include "platform/iokit/battery_dictionaries.h"

#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"

#include <algorithm>
#include <iterator>
#include <mutex>
#include <string_view>
#include <typeinfo>
#include <unordered_map>

namespace {

constexpr std::int64_t k_registry_unknown_minutes = 65535;
constexpr std::int64_t k_power_source_unknown_minutes = -1;

// The string for a key, made once and kept for the life of the program: one object per key
// however often the dictionaries are made, and readers keep each key's UTF-8 text in its string.
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

// The key string of a call site, found once: key<u"CurrentCapacity">().
template <std::size_t N>
struct KeyText {
    char16_t units[N];
    constexpr KeyText(const char16_t (&text)[N]) { std::copy_n(text, N, units); }
};

template <KeyText text>
NSString* key() {
    static NSString* const string = key_string({text.units, std::size(text.units) - 1});
    return string;
}

bool is_integer_number(id object) {
    // The exact class, by the address of its type information: what a new value would be.
    return &typeid(*object) == &typeid(NSNumber) &&
           static_cast<NSNumber*>(object)->kind() == NumberKind::Integer;
}

bool is_integer(id object, std::int64_t value) {
    return is_integer_number(object) && static_cast<NSNumber*>(object)->integer() == value;
}

bool is_text(id object, std::string_view utf8) {
    if (&typeid(*object) != &typeid(NSString)) return false;
    return static_cast<NSString*>(object)->exact_utf8() == utf8;
}

// Writes a dictionary's entries in order: into a new dictionary, or over a kept one, where a
// value the same as the kept one is left alone (keeping its object, and the UTF-8 text readers
// made of it) and the others are replaced in place. Once a key is not the kept one at its
// position, nothing more is written and the kept dictionary is to be given up.
class DictionaryWriter {
  public:
    DictionaryWriter() : m_made(NSMutableDictionary::make()) {}
    explicit DictionaryWriter(NSMutableDictionary& kept) : m_kept(&kept) {}

    void put_integer(NSString* key, std::int64_t value) {
        if (!needs(key, [&](id kept) { return is_integer(kept, value); })) return;
        // A kept number that only the kept dictionary holds takes the new value itself.
        if (m_kept && is_integer_number(m_kept->entries()[m_position].value.get()) &&
            static_cast<NSNumber*>(m_kept->entries()[m_position].value.get())
                ->take_integer_if_sole(value)) {
            ++m_position;
            return;
        }
        put(key, NSNumber::make(value).get());
    }
    void put_integer(NSString* key, std::optional<std::int64_t> value) {
        if (value) put_integer(key, *value);
    }
    void put_flag(NSString* key, bool value) {
        NSBoolean* flag = NSBoolean::shared(value);
        if (needs(key, [&](id kept) { return kept == flag; })) put(key, flag);
    }
    void put_text(NSString* key, std::string_view utf8) {
        if (needs(key, [&](id kept) { return is_text(kept, utf8); })) {
            put(key, NSString::from_utf8(utf8).get());
        }
    }
    void put_name(NSString* key, std::string_view utf8) {
        if (!utf8.empty()) put_text(key, utf8);
    }

    ObjcRef<NSMutableDictionary> take() { return std::move(m_made); }
    // Over a kept dictionary: every key was the kept one at its position, and none is left over.
    bool kept_all_keys() const { return m_keys_kept && m_position == m_kept->count(); }

  private:
    // Whether `key`'s value is to be written: always into a new dictionary; over a kept one,
    // when its key is the kept one at this position and its value is not `same` as the kept.
    template <class Same>
    bool needs(NSString* key, Same same) {
        if (!m_kept) return true;
        if (!m_keys_kept) return false;
        if (m_position >= m_kept->count() || m_kept->entries()[m_position].key.get() != key) {
            m_keys_kept = false;
            return false;
        }
        if (!same(m_kept->entries()[m_position].value.get())) return true;
        ++m_position;
        return false;
    }
    void put(NSString* key, id value) {
        if (m_kept) {
            m_kept->replace_value_at(m_position++, value);
            return;
        }
        if (m_made) m_made->setObject(value, key);
    }

    ObjcRef<NSMutableDictionary> m_made;
    NSMutableDictionary* m_kept = nullptr;
    std::size_t m_position = 0;
    bool m_keys_kept = true;
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

void write_registry_entry(DictionaryWriter& entry, const BatteryFacts& facts) {
    entry.put_integer(key<u"CurrentCapacity">(), facts.percent);
    entry.put_integer(key<u"MaxCapacity">(), 100);
    entry.put_integer(key<u"AppleRawCurrentCapacity">(), facts.current_mah);
    entry.put_integer(key<u"AppleRawMaxCapacity">(), facts.full_mah);
    entry.put_integer(key<u"DesignCapacity">(), facts.design_mah);
    entry.put_integer(key<u"CycleCount">(), facts.cycle_count);
    entry.put_integer(key<u"Temperature">(), facts.temperature_decikelvin);
    entry.put_integer(key<u"Voltage">(), facts.voltage_mv);
    entry.put_integer(key<u"Amperage">(), facts.amperage_ma);
    entry.put_integer(key<u"InstantAmperage">(), facts.amperage_ma);
    entry.put_integer(key<u"TimeRemaining">(), registry_time_remaining(facts));
    entry.put_integer(key<u"AvgTimeToEmpty">(), registry_average_to_empty(facts));
    entry.put_integer(key<u"AvgTimeToFull">(), registry_average_to_full(facts));
    entry.put_flag(key<u"IsCharging">(), is(facts, ChargeStatus::Charging));
    entry.put_flag(key<u"ExternalConnected">(), facts.external_power);
    entry.put_flag(key<u"FullyCharged">(), is(facts, ChargeStatus::Full));
    entry.put_flag(key<u"BatteryInstalled">(), true);
    entry.put_name(key<u"DeviceName">(), facts.device_name);
    entry.put_name(key<u"Manufacturer">(), facts.manufacturer);
    entry.put_name(key<u"Serial">(), facts.serial);
    entry.put_integer(key<u"BatteryFailureStatus">(), facts.failure ? 1 : 0);
    entry.put_integer(key<u"PermanentFailureStatus">(), facts.permanent_failure ? 1 : 0);
    entry.put_integer(key<u"ChargeLimit">(), facts.charge_limit);
}

void write_power_source_description(DictionaryWriter& description, const BatteryFacts& facts) {
    description.put_text(key<u"Name">(), "InternalBattery-0");
    description.put_text(key<u"Type">(), "InternalBattery");
    description.put_text(key<u"Transport Type">(), "Internal");
    description.put_flag(key<u"Is Present">(), true);
    description.put_text(key<u"Power Source State">(),
                         facts.external_power ? "AC Power" : "Battery Power");
    description.put_integer(key<u"Current Capacity">(), facts.percent);
    description.put_integer(key<u"Max Capacity">(), 100);
    description.put_flag(key<u"Is Charging">(), is(facts, ChargeStatus::Charging));
    if (is(facts, ChargeStatus::Full)) description.put_flag(key<u"Is Charged">(), true);
    description.put_integer(key<u"Time to Empty">(), power_source_time_to_empty(facts));
    description.put_integer(key<u"Time to Full Charge">(), power_source_time_to_full(facts));
    description.put_text(key<u"BatteryHealth">(), health_verdict(facts));
    if (facts.low_power_mode)
        description.put_integer(key<u"LPM Active">(), *facts.low_power_mode ? 1 : 0);
}

using WriteEntries = void (*)(DictionaryWriter& writer, const BatteryFacts& facts);

ObjcRef<NSMutableDictionary> made_with(WriteEntries write, const BatteryFacts& facts) {
    DictionaryWriter writer;
    write(writer, facts);
    return writer.take();
}

// True when `kept` was brought up to date in place; false when it is to be given up.
bool updated_with(WriteEntries write, NSMutableDictionary& kept, const BatteryFacts& facts) {
    DictionaryWriter writer(kept);
    write(writer, facts);
    return writer.kept_all_keys();
}

} // namespace

ObjcRef<NSMutableDictionary> make_registry_entry(const BatteryFacts& facts) {
    return made_with(write_registry_entry, facts);
}

bool update_registry_entry(NSMutableDictionary& entry, const BatteryFacts& facts) {
    return updated_with(write_registry_entry, entry, facts);
}

ObjcRef<NSMutableDictionary> make_power_source_description(const BatteryFacts& facts) {
    return made_with(write_power_source_description, facts);
}

bool update_power_source_description(NSMutableDictionary& description, const BatteryFacts& facts) {
    return updated_with(write_power_source_description, description, facts);
}

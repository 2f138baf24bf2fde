#include "platform/iokit/battery_recording.h"

#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/property_list.h"

namespace {

// A mutable copy holding the same values; the values are shared, never edited in place.
ObjcRef<NSMutableDictionary> mutable_copy(const NSDictionary& dictionary) {
    ObjcRef<NSMutableDictionary> copy = NSMutableDictionary::make();
    if (!copy) return {};
    for (const auto& [key, value] : dictionary)
        copy->setObject(value.get(), key.get());
    return copy;
}

const NSDictionary* as_dictionary(id object) {
    return dynamic_cast<const NSDictionary*>(object);
}

id value_for(const NSDictionary& dictionary, std::u16string_view key) {
    ObjcRef<NSString> key_string = NSString::make(key);
    return dictionary.objectForKey(key_string.get());
}

void say(std::string* problem, std::string text) {
    if (problem) *problem = std::move(text);
}

struct RecordingShape {
    ObjcRef<NSMutableDictionary> registry;
    ObjcRef<NSMutableDictionary> power_source;
    std::string problem;
};

RecordingShape with_registry(const NSDictionary& registry) {
    RecordingShape shape;
    shape.registry = mutable_copy(registry);
    return shape;
}

RecordingShape with_problem(std::string problem) {
    RecordingShape shape;
    shape.problem = std::move(problem);
    return shape;
}

RecordingShape shape_of_array(const NSArray& array) {
    const NSDictionary* first = array.count() > 0 ? as_dictionary(array.objectAtIndex(0)) : nullptr;
    if (!first) return with_problem("an array whose first element is not a dictionary");
    return with_registry(*first);
}

RecordingShape shape_of_dictionary(const NSDictionary& dictionary) {
    id registry = value_for(dictionary, u"Registry");
    if (!registry) return with_registry(dictionary);
    if (!as_dictionary(registry)) return with_problem("\"Registry\" is not a dictionary");
    RecordingShape shape = with_registry(*as_dictionary(registry));
    id power_source = value_for(dictionary, u"PowerSource");
    if (!power_source) return shape;
    if (const NSDictionary* description = as_dictionary(power_source)) {
        shape.power_source = mutable_copy(*description);
    } else {
        shape.problem = "\"PowerSource\" is not a dictionary; the recording has no power source";
    }
    return shape;
}

} // namespace

std::shared_ptr<RecordedBattery> RecordedBattery::from_file(const std::string& path,
                                                            std::string* problem) {
    std::string error;
    ObjcRef<NSObject> root = read_property_list_file(path, &error);
    if (!root) {
        say(problem, error.empty() ? "not a property list" : error);
        return std::make_shared<RecordedBattery>();
    }
    return from_property_list(root.get(), problem);
}

std::shared_ptr<RecordedBattery> RecordedBattery::from_property_list(NSObject* root,
                                                                     std::string* problem) {
    RecordingShape shape;
    if (auto* array = dynamic_cast<const NSArray*>(root)) {
        shape = shape_of_array(*array);
    } else if (const NSDictionary* dictionary = as_dictionary(root)) {
        shape = shape_of_dictionary(*dictionary);
    } else {
        shape.problem = "neither an array nor a dictionary";
    }
    if (!shape.problem.empty()) say(problem, shape.problem);
    auto recording = std::make_shared<RecordedBattery>();
    recording->m_registry = std::move(shape.registry);
    recording->m_power_source = std::move(shape.power_source);
    return recording;
}

bool RecordedBattery::has_battery() {
    std::lock_guard lock(m_mutex);
    return m_registry != nullptr;
}

ObjcRef<NSMutableDictionary> RecordedBattery::copy_registry_entry() {
    std::lock_guard lock(m_mutex);
    if (!m_registry) return {};
    return mutable_copy(*m_registry);
}

void RecordedBattery::copy_power_source_descriptions_into(
    std::vector<ObjcRef<NSDictionary>>& descriptions) {
    descriptions.clear();
    std::lock_guard lock(m_mutex);
    if (m_registry && m_power_source) descriptions.emplace_back(mutable_copy(*m_power_source));
}

namespace {

BatteryEditResult set_value(NSMutableDictionary& dictionary, std::string_view key, id value) {
    if (key.empty() || !value) return BatteryEditResult::Refused;
    ObjcRef<NSString> key_string = NSString::from_utf8(key);
    dictionary.setObject(value, key_string.get());
    return BatteryEditResult::Done;
}

BatteryEditResult remove_value(NSMutableDictionary& dictionary, std::string_view key) {
    ObjcRef<NSString> key_string = NSString::from_utf8(key);
    if (!dictionary.objectForKey(key_string.get())) return BatteryEditResult::NoSuchKey;
    dictionary.removeObjectForKey(key_string.get());
    return BatteryEditResult::Done;
}

} // namespace

BatteryEditResult RecordedBattery::set_registry_value(std::string_view key, id value) {
    std::lock_guard lock(m_mutex);
    if (!m_registry) return BatteryEditResult::NoBattery;
    return set_value(*m_registry, key, value);
}

BatteryEditResult RecordedBattery::remove_registry_value(std::string_view key) {
    std::lock_guard lock(m_mutex);
    if (!m_registry) return BatteryEditResult::NoBattery;
    return remove_value(*m_registry, key);
}

BatteryEditResult RecordedBattery::set_power_source_value(std::string_view key, id value) {
    std::lock_guard lock(m_mutex);
    if (!m_registry) return BatteryEditResult::NoBattery;
    if (key.empty() || !value) return BatteryEditResult::Refused;
    if (!m_power_source) m_power_source = NSMutableDictionary::make();
    if (!m_power_source) return BatteryEditResult::Refused;
    return set_value(*m_power_source, key, value);
}

BatteryEditResult RecordedBattery::remove_power_source_value(std::string_view key) {
    std::lock_guard lock(m_mutex);
    if (!m_registry) return BatteryEditResult::NoBattery;
    if (!m_power_source) return BatteryEditResult::NoSuchKey;
    return remove_value(*m_power_source, key);
}

BatteryEditResult RecordedBattery::remove_battery() {
    std::lock_guard lock(m_mutex);
    if (!m_registry) return BatteryEditResult::NoBattery;
    m_registry.reset();
    m_power_source.reset();
    return BatteryEditResult::Done;
}

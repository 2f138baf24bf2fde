#include "tests/e2e/plist_files.h"

#include "tests/e2e/app_run.h"

#include <plist/plist.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace e2e {

namespace {

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistHandle = std::unique_ptr<void, PlistFree>;

plist_t node_for(const PlistValue& value) {
    if (auto* integer = std::get_if<int64_t>(&value))
        return plist_new_uint(static_cast<uint64_t>(*integer));
    if (auto* flag = std::get_if<bool>(&value)) return plist_new_bool(*flag);
    if (auto* text = std::get_if<std::string>(&value)) return plist_new_string(text->c_str());
    plist_t array = plist_new_array();
    if (auto* texts = std::get_if<std::vector<std::string>>(&value)) {
        for (const auto& text : *texts)
            plist_array_append_item(array, plist_new_string(text.c_str()));
    }
    return array;
}

template <typename Entries>
plist_t dictionary_for(const Entries& entries) {
    plist_t dictionary = plist_new_dict();
    for (const auto& [key, value] : entries)
        plist_dict_set_item(dictionary, key.c_str(), node_for(value));
    return dictionary;
}

template <typename Entries>
void put(Entries& entries, const std::string& key, PlistValue value) {
    auto found = std::find_if(entries.begin(), entries.end(),
                              [&](const auto& entry) { return entry.first == key; });
    if (found != entries.end()) {
        found->second = std::move(value);
        return;
    }
    entries.emplace_back(key, std::move(value));
}

template <typename Entries>
void remove(Entries& entries, const std::string& key) {
    std::erase_if(entries, [&](const auto& entry) { return entry.first == key; });
}

std::string owned_text(char* text) {
    std::string copy = text ? text : "";
    std::free(text);
    return copy;
}

std::vector<std::string> string_items(plist_t array) {
    std::vector<std::string> items;
    for (uint32_t i = 0; i < plist_array_get_size(array); ++i) {
        plist_t item = plist_array_get_item(array, i);
        if (plist_get_node_type(item) != PLIST_STRING) return {};
        char* text = nullptr;
        plist_get_string_val(item, &text);
        items.push_back(owned_text(text));
    }
    return items;
}

// libplist keeps every integer as an unsigned 64-bit value; the cast gives negatives back.
PlistValue value_of(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return static_cast<int64_t>(value);
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value != 0;
    }
    case PLIST_STRING: {
        char* text = nullptr;
        plist_get_string_val(node, &text);
        return owned_text(text);
    }
    case PLIST_ARRAY:
        return string_items(node);
    default:
        return std::monostate{};
    }
}

} // namespace

BatteryRecording::BatteryRecording() {
    m_registry = {
        {"BatteryInstalled", true},
        {"CurrentCapacity", int64_t{78}},
        {"MaxCapacity", int64_t{100}},
        {"AppleRawCurrentCapacity", int64_t{3900}},
        {"AppleRawMaxCapacity", int64_t{5000}},
        {"DesignCapacity", int64_t{5500}},
        {"CycleCount", int64_t{214}},
        {"Temperature", int64_t{3051}},
        {"Voltage", int64_t{12412}},
        {"Amperage", int64_t{-1130}},
        {"IsCharging", false},
        {"ExternalConnected", false},
        {"FullyCharged", false},
        {"TimeRemaining", int64_t{207}},
        {"AvgTimeToEmpty", int64_t{211}},
        {"DeviceName", std::string("SAMPLE-BAT1")},
        {"Serial", std::string("ZR0000SAMPLE")},
        {"PermanentFailureStatus", int64_t{0}},
        {"BatteryFailureStatus", int64_t{0}},
    };
    m_power_source = {
        {"Name", std::string("InternalBattery-0")},
        {"Type", std::string("InternalBattery")},
        {"Power Source State", std::string("Battery Power")},
        {"Current Capacity", int64_t{78}},
        {"Max Capacity", int64_t{100}},
        {"Is Charging", false},
        {"Time to Empty", int64_t{207}},
        {"Time to Full Charge", int64_t{0}},
        {"BatteryHealth", std::string("Good")},
        {"LPM Active", int64_t{0}},
    };
}

BatteryRecording& BatteryRecording::set(const std::string& key, PlistValue value) {
    put(m_registry, key, std::move(value));
    return *this;
}

BatteryRecording& BatteryRecording::unset(const std::string& key) {
    remove(m_registry, key);
    return *this;
}

BatteryRecording& BatteryRecording::set_power(const std::string& key, PlistValue value) {
    put(m_power_source, key, std::move(value));
    return *this;
}

BatteryRecording& BatteryRecording::unset_power(const std::string& key) {
    remove(m_power_source, key);
    return *this;
}

std::string BatteryRecording::to_xml() const {
    PlistHandle root(plist_new_dict());
    plist_dict_set_item(root.get(), "Registry", dictionary_for(m_registry));
    plist_dict_set_item(root.get(), "PowerSource", dictionary_for(m_power_source));
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &xml, &length);
    std::string text(xml ? xml : "", length);
    plist_to_xml_free(xml);
    return text;
}

void BatteryRecording::write(const std::filesystem::path& path) const {
    write_text_file(path, to_xml());
}

std::optional<PlistDictionary> read_plist_dictionary(const std::filesystem::path& path) {
    auto text = read_text_file(path);
    if (!text || text->empty()) return std::nullopt;
    plist_t parsed = nullptr;
    plist_from_memory(text->data(), static_cast<uint32_t>(text->size()), &parsed);
    PlistHandle root(parsed);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
    PlistDictionary dictionary;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(root.get(), &iter);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root.get(), iter, &key, &value);
        if (!key) break;
        dictionary[owned_text(key)] = value_of(value);
    }
    std::free(iter);
    return dictionary;
}

void write_plist_dictionary(const std::filesystem::path& path, const PlistDictionary& dictionary) {
    PlistHandle root(dictionary_for(dictionary));
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &xml, &length);
    std::string text(xml ? xml : "", length);
    plist_to_xml_free(xml);
    write_text_file(path, text);
}

std::string describe(const PlistDictionary& dictionary) {
    std::string text;
    for (const auto& [key, value] : dictionary) {
        text += key + " = ";
        if (auto* integer = std::get_if<int64_t>(&value)) text += std::to_string(*integer);
        if (auto* flag = std::get_if<bool>(&value)) text += *flag ? "true" : "false";
        if (auto* string = std::get_if<std::string>(&value)) text += '"' + *string + '"';
        if (auto* strings = std::get_if<std::vector<std::string>>(&value))
            text += "(" + std::to_string(strings->size()) + " strings)";
        if (std::holds_alternative<std::monostate>(value)) text += "(other)";
        text += "\n";
    }
    return text;
}

std::string property_list_doctype_line() {
    PlistHandle empty(plist_new_dict());
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(empty.get(), &xml, &length);
    std::string text(xml ? xml : "", length);
    plist_to_xml_free(xml);
    size_t start = text.find('\n') + 1;
    return text.substr(start, text.find('\n', start) - start);
}

} // namespace e2e

#include "tests/e2e/plist_files.h"

#include "tests/e2e/app_run.h"

#include <plist/plist.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace e2e {

namespace {

// The XML of a dictionary of integers, flags and texts (no text needs escaping here).
template <typename Entries>
std::string dictionary_xml(const Entries& entries) {
    std::string xml = "<dict>";
    for (const auto& [key, value] : entries) {
        xml += "<key>" + key + "</key>";
        if (auto* integer = std::get_if<int64_t>(&value))
            xml += "<integer>" + std::to_string(*integer) + "</integer>";
        if (auto* flag = std::get_if<bool>(&value)) xml += *flag ? "<true/>" : "<false/>";
        if (auto* text = std::get_if<std::string>(&value)) xml += "<string>" + *text + "</string>";
    }
    return xml + "</dict>";
}

void write_plist(const std::filesystem::path& path, const std::string& body) {
    write_text_file(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" +
                              body + "</plist>\n");
}

void put(PlistEntries& entries, const std::string& key, PlistValue value) {
    auto found = std::find_if(entries.begin(), entries.end(),
                              [&](const auto& entry) { return entry.first == key; });
    if (found == entries.end()) found = entries.insert(entries.end(), {key, {}});
    found->second = std::move(value);
}

std::string owned_text(char* text) {
    std::string copy = text ? text : "";
    std::free(text);
    return copy;
}

// libplist keeps every integer as an unsigned 64-bit value; the cast gives negatives back.
PlistValue value_of(plist_t node) {
    uint64_t integer = 0;
    uint8_t flag = 0;
    char* text = nullptr;
    std::vector<std::string> texts;
    switch (plist_get_node_type(node)) {
    case PLIST_UINT:
        plist_get_uint_val(node, &integer);
        return static_cast<int64_t>(integer);
    case PLIST_BOOLEAN:
        plist_get_bool_val(node, &flag);
        return flag != 0;
    case PLIST_STRING:
        plist_get_string_val(node, &text);
        return owned_text(text);
    case PLIST_ARRAY:
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i) {
            PlistValue item = value_of(plist_array_get_item(node, i));
            if (!std::holds_alternative<std::string>(item)) return std::monostate{};
            texts.push_back(std::get<std::string>(item));
        }
        return texts;
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
    std::erase_if(m_registry, [&](const auto& entry) { return entry.first == key; });
    return *this;
}

BatteryRecording& BatteryRecording::set_power(const std::string& key, PlistValue value) {
    put(m_power_source, key, std::move(value));
    return *this;
}

void BatteryRecording::write(const std::filesystem::path& path) const {
    write_plist(path, "<dict><key>Registry</key>" + dictionary_xml(m_registry) +
                          "<key>PowerSource</key>" + dictionary_xml(m_power_source) + "</dict>");
}

std::optional<PlistDictionary> read_plist_dictionary(const std::filesystem::path& path) {
    auto text = read_text_file(path);
    if (!text || text->empty()) return std::nullopt;
    plist_t parsed = nullptr;
    plist_from_memory(text->data(), static_cast<uint32_t>(text->size()), &parsed);
    std::unique_ptr<void, void (*)(plist_t)> root(parsed, plist_free);
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
    write_plist(path, dictionary_xml(dictionary));
}

} // namespace e2e

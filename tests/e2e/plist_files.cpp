#include "tests/e2e/plist_files.h"

#include "tests/e2e/app_run.h"

#include <plist/plist.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace e2e {

namespace {

using PlistHandle = std::unique_ptr<void, void (*)(plist_t)>;

plist_t node_for(const PlistValue& value) {
    if (auto* integer = std::get_if<int64_t>(&value))
        return plist_new_uint(static_cast<uint64_t>(*integer));
    if (auto* flag = std::get_if<bool>(&value)) return plist_new_bool(*flag);
    return plist_new_string(std::get<std::string>(value).c_str());
}

void write_plist(const std::filesystem::path& path, plist_t root) {
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    std::filesystem::create_directories(path.parent_path());
    put_file(path, std::string(xml ? xml : "", length));
    plist_to_xml_free(xml);
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

// The sample shows Low Power Mode as a flag, which the battery code ignores; the tests' battery
// reports it off.
BatteryRecording::BatteryRecording() : m_root(nullptr, plist_free) {
    const std::string sample =
        file_bytes(ZERARAZI_SOURCE_DIR "/resources/samples/sample-battery.plist");
    plist_t root = nullptr;
    plist_from_xml(sample.data(), static_cast<uint32_t>(sample.size()), &root);
    if (!root) throw std::runtime_error("cannot read the sample battery");
    m_root.reset(root);
    set("PowerSource", "LPM Active", int64_t{0});
}

BatteryRecording& BatteryRecording::set(const char* section, const std::string& key,
                                        PlistValue value) {
    plist_dict_set_item(plist_dict_get_item(m_root.get(), section), key.c_str(), node_for(value));
    return *this;
}

void BatteryRecording::write(const std::filesystem::path& path) const {
    write_plist(path, m_root.get());
}

PlistDictionary display_settings(const std::set<int>& ticked) {
    PlistDictionary settings;
    for (const auto& box : k_display_boxes)
        settings[box.key] = int64_t{ticked.count(box.gadget) ? 1 : 0};
    return settings;
}

std::optional<PlistDictionary> read_plist_dictionary(const std::filesystem::path& path) {
    const std::string text = file_bytes(path);
    if (text.empty()) return std::nullopt;
    plist_t parsed = nullptr;
    plist_from_memory(text.data(), static_cast<uint32_t>(text.size()), &parsed);
    PlistHandle root(parsed, plist_free);
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
    PlistHandle root(plist_new_dict(), plist_free);
    for (const auto& [key, value] : dictionary)
        plist_dict_set_item(root.get(), key.c_str(), node_for(value));
    write_plist(path, root.get());
}

} // namespace e2e

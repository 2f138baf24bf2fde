#pragma once
// Property-list files the tests write (battery recordings) and read back (the preferences file,
// the launch agent).

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace e2e {

// The kinds the tests use; an array is kept only when all its items are strings, and any other
// kind reads as std::monostate.
using PlistValue =
    std::variant<std::monostate, int64_t, bool, std::string, std::vector<std::string>>;
using PlistDictionary = std::map<std::string, PlistValue>;

// A recording of a battery in good order ("Registry" and "PowerSource"), edited key by key
// before it is written.
class BatteryRecording {
  public:
    BatteryRecording();

    BatteryRecording& set(const std::string& key, PlistValue value);
    BatteryRecording& unset(const std::string& key);
    BatteryRecording& set_power(const std::string& key, PlistValue value);
    BatteryRecording& unset_power(const std::string& key);

    std::string to_xml() const;
    void write(const std::filesystem::path& path) const;

  private:
    using Entries = std::vector<std::pair<std::string, PlistValue>>;
    Entries m_registry;
    Entries m_power_source;
};

// The top-level dictionary of a property-list file; empty when it cannot be read or parsed.
std::optional<PlistDictionary> read_plist_dictionary(const std::filesystem::path& path);

// Writes `dictionary` as an XML property list, making the folders it needs.
void write_plist_dictionary(const std::filesystem::path& path, const PlistDictionary& dictionary);

// One line per key, "key = value", for failure messages.
std::string describe(const PlistDictionary& dictionary);

// The document type line that property-list XML carries, as the property-list library writes it.
std::string property_list_doctype_line();

} // namespace e2e

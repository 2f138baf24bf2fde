#pragma once
// Property-list files the tests write (battery recordings, preferences) and read back (the
// preferences file, the launch agent).

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
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
// The project's sample recording of a battery in good order ("Registry" and "PowerSource"),
// edited key by key before it is written.
class BatteryRecording {
  public:
    BatteryRecording();

    BatteryRecording& set(const char* section, const std::string& key, PlistValue value);
    void write(const std::filesystem::path& path) const;

  private:
    std::unique_ptr<void, void (*)(void*)> m_root;
};

// The display boxes of the Preferences window, by gadget number, in the order of the title's
// pieces, and the stored settings with the boxes of `ticked` on and the others off.
struct DisplayBox {
    int gadget;
    const char* key;
};
inline constexpr DisplayBox k_display_boxes[] = {
    {4, "ShowCycles"},   {3, "ShowCondition"}, {2, "ShowPercentage"},     {0, "ShowHealth"},
    {8, "ShowTimeLeft"}, {5, "ShowTemp"},      {9, "ShowFullChargeTime"}, {6, "ShowCharging"}};
PlistDictionary display_settings(const std::set<int>& ticked);

// The top-level dictionary of a property-list file; empty when it cannot be read or parsed.
std::optional<PlistDictionary> read_plist_dictionary(const std::filesystem::path& path);

// Writes `dictionary` as an XML property list, making the folders it needs.
void write_plist_dictionary(const std::filesystem::path& path, const PlistDictionary& dictionary);

} // namespace e2e

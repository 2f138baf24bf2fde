#pragma once
// Reads a power_supply folder: the machine's /sys/class/power_supply or a tree laid out like
// it, one folder per supply. A supply's values come from one read of its `uevent` file
// (POWER_SUPPLY_<NAME>=value lines); only values that file lacks are looked for in the
// attribute files of the same name. Anything that cannot be read is absent; nothing here fails.

#include "platform/iokit/attribute_file.h"
#include "platform/iokit/power_supply.h"

#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A power_supply folder read again and again, as a refresh timer does. Listing the folder and
// each supply's files costs several times what reading the uevent files does, and supplies come
// and go rarely, so the listing is kept: a reading opens only the uevent files and the attribute
// files that are listed and hold a value the uevent lacks. The uevent files and the platform
// profile are AttributeFiles, held open on sysfs. A uevent text the same as the last one read
// from that file is not parsed again.
class PowerSupplyFolder {
  public:
    // Seconds a listing is kept before a reading lists the folder again.
    static constexpr double k_listing_lifetime = 120;

    // The platform profile is read from `platform_profile_path` unless it is empty.
    explicit PowerSupplyFolder(std::string folder, std::string platform_profile_path = {});

    // The supplies in name order (byte order of the folder names); folders whose names start
    // with a dot are passed over. Every supply is read from its uevent; lacking values are
    // looked for in attribute files only where they matter: the type of every supply, the scope
    // and online state of external supplies, and every value of each system battery.
    //
    // The folder is listed again first when there is no listing yet, when the last one could
    // not open the folder, when it is k_listing_lifetime old at `now` or `now` is before it was
    // made, or when the last reading found no system battery; and once more, reading again, when
    // a listed file has gone. So a supply removed is missed at once, a battery that comes back is
    // found at the next reading, and any other supply added is found within the lifetime.
    //
    // The snapshot is kept here, valid until the next reading, so that a reading reuses its room.
    const PowerSupplySnapshot& read(double now);

    // One supply folder as listed.
    struct ListedSupply {
        std::string name;
        // "<folder>/<name>/", the start of every path in it.
        std::string path;
        // None when the folder holds no uevent file.
        std::optional<AttributeFile> uevent;
        // The attribute files present, by SupplyAttribute.
        std::bitset<k_supply_attribute_count> files;
        // The last uevent text read and the supply parsed from it alone, kept while the supply
        // is listed again.
        std::string uevent_text;
        std::optional<PowerSupply> parsed_uevent;
        // That text names no attribute twice.
        bool uevent_names_once = false;
        // Its last reading is that parse alone: no attribute file was read for it.
        bool last_reading_is_parse = false;
    };

    // The last reading gave the same snapshot as the one before it.
    bool last_reading_repeated() const { return m_repeated; }

  private:
    void list(double now);
    bool listing_is_current(double now) const;
    // Into m_snapshot, setting m_repeated; false when a listed file has gone.
    bool read_supplies();
    std::string read_platform_profile();

    const std::string m_folder;
    AttributeFile m_platform_profile;
    std::vector<ListedSupply> m_listing;
    std::optional<double> m_listed_at;
    bool m_folder_opened = false;
    // Cleared when the profile file was missing, until the next listing.
    bool m_platform_profile_listed = false;
    // One buffer for every file's text, so that a reading allocates it once.
    std::string m_text;
    PowerSupplySnapshot m_snapshot;
    // m_snapshot.supplies holds a reading of each supply of m_listing, in its order.
    bool m_snapshot_of_listing = false;
    bool m_repeated = false;
};

// Sets the supply's values from a uevent text: lines of POWER_SUPPLY_<NAME>=value, the name in
// capitals; lines of other forms and attributes the mapping does not use are passed over. The
// first line that names an attribute gives its value. True when no attribute is named twice.
bool parse_uevent(std::string_view text, PowerSupply& supply);
// Brings `supply`, which parse_uevent made of `last_text` (naming no attribute twice), to what it
// makes of `text`, parsing only the lines whose values changed. False when the texts differ in
// more than values (a line added, removed, or with another name); `supply` is then half updated,
// to be parsed afresh.
bool update_uevent_values(std::string_view last_text, std::string_view text, PowerSupply& supply);

// One reading with a listing of its own.
PowerSupplySnapshot read_power_supply_folder(const std::string& folder,
                                             const std::string& platform_profile_path = {});

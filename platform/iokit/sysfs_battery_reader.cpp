#include "platform/iokit/sysfs_battery_reader.h"

#include "platform/foundation/directory_entries.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <span>
#include <string_view>

namespace {

bool is_uevent_name_character(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The attribute named by a uevent line's name part (POWER_SUPPLY_ removed), if the mapping uses
// it.
std::optional<SupplyAttribute> uevent_attribute(std::string_view name) {
    char lower[32];
    if (name.empty() || name.size() > sizeof lower) return std::nullopt;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!is_uevent_name_character(name[i])) return std::nullopt;
        lower[i] = (name[i] >= 'A' && name[i] <= 'Z') ? char(name[i] - 'A' + 'a') : name[i];
    }
    return supply_attribute_named(std::string_view(lower, name.size()));
}

// A line's attribute and its value, for a POWER_SUPPLY_<NAME>=value line whose name the mapping
// uses.
struct UeventEntry {
    SupplyAttribute attribute;
    std::string_view value;
};

std::optional<UeventEntry> uevent_entry(std::string_view line) {
    constexpr std::string_view prefix = "POWER_SUPPLY_";
    if (!line.starts_with(prefix)) return std::nullopt;
    line.remove_prefix(prefix.size());
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    std::optional<SupplyAttribute> attribute = uevent_attribute(line.substr(0, equals));
    if (!attribute) return std::nullopt;
    return UeventEntry{*attribute, line.substr(equals + 1)};
}

// Takes the value of `line`, which is `last_line` with another value; false when it is not: it
// has another name or none.
bool update_value(std::string_view line, std::string_view last_line, PowerSupply& supply) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || last_line.size() <= equals ||
        line.compare(0, equals + 1, last_line, 0, equals + 1) != 0) {
        return false;
    }
    if (auto entry = uevent_entry(line)) supply.replace(entry->attribute, entry->value);
    return true;
}

// The length of the start `a` and `b` have in common.
std::size_t common_start(std::string_view a, std::string_view b) {
    constexpr std::size_t k_block = 32;
    const std::size_t size = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i + k_block <= size && std::memcmp(a.data() + i, b.data() + i, k_block) == 0)
        i += k_block;
    while (i < size && a[i] == b[i])
        ++i;
    return i;
}

} // namespace

bool parse_uevent(std::string_view text, PowerSupply& supply) {
    bool named_once = true;
    while (!text.empty()) {
        std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (auto entry = uevent_entry(line)) {
            named_once = named_once && !supply.has(entry->attribute);
            supply.set(entry->attribute, entry->value);
        }
    }
    return named_once;
}

bool update_uevent_values(std::string_view last_text, std::string_view text, PowerSupply& supply) {
    for (;;) {
        // Most lines are as they were: they are passed over a block of bytes at a time, and only
        // the line where the texts part is taken apart.
        const std::size_t same = common_start(last_text, text);
        if (same == text.size() && same == last_text.size()) return true;
        const std::size_t line_start = same == 0 ? 0 : text.rfind('\n', same - 1) + 1;
        text.remove_prefix(line_start);
        last_text.remove_prefix(line_start);
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::size_t last_end = std::min(last_text.find('\n'), last_text.size());
        if (!update_value(text.substr(0, end), last_text.substr(0, last_end), supply)) return false;
        text.remove_prefix(std::min(end + 1, text.size()));
        last_text.remove_prefix(std::min(last_end + 1, last_text.size()));
    }
}

namespace {

constexpr std::array<SupplyAttribute, k_supply_attribute_count> every_attribute() {
    std::array<SupplyAttribute, k_supply_attribute_count> all{};
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<SupplyAttribute>(i);
    return all;
}

constexpr std::size_t index_of(SupplyAttribute attribute) {
    return static_cast<std::size_t>(attribute);
}

// A file that a listing held and that is no longer there (its folder may have gone too).
bool is_gone(const SystemCall& result) {
    return result.error == ENOENT || result.error == ENOTDIR;
}

using ListedSupply = PowerSupplyFolder::ListedSupply;

// Reads the supplies of one listing, in its order.
class SupplyReader {
  public:
    explicit SupplyReader(std::string& text) : m_text(text) {}

    // Into `supply`, which holds another reading's values or none, or this supply's last
    // reading when `holds_last_reading`. False when that last reading stands as it was: the same
    // uevent text, from which it was made without reading any attribute file.
    bool read(ListedSupply& listed, PowerSupply& supply, bool holds_last_reading) {
        using A = SupplyAttribute;
        const bool uevent_read = listed.uevent && read_listed(*listed.uevent);
        if (uevent_read && holds_last_reading && listed.last_reading_is_parse &&
            m_text == listed.uevent_text) {
            return false;
        }
        if (uevent_read) {
            supply = parsed_uevent(listed);
        } else {
            supply = PowerSupply(listed.name);
        }
        const std::size_t attribute_reads = m_attribute_reads;
        fill_in(supply, listed, std::array{A::Type});
        if (supply.text(A::Type) == "Battery") {
            fill_in(supply, listed, std::array{A::Scope, A::Present});
        }
        if (is_system_battery(supply)) fill_in(supply, listed, every_attribute());
        if (is_external_power_supply(supply)) {
            fill_in(supply, listed, std::array{A::Scope, A::Online});
        }
        listed.last_reading_is_parse = uevent_read && m_attribute_reads == attribute_reads;
        return true;
    }

    bool found_a_file_gone() const { return m_gone; }

  private:
    // The supply as the uevent text just read gives it.
    const PowerSupply& parsed_uevent(ListedSupply& listed) {
        if (listed.parsed_uevent && m_text == listed.uevent_text) return *listed.parsed_uevent;
        // Mostly only values change from one reading to the next: their lines alone are parsed.
        if (!listed.parsed_uevent || !listed.uevent_names_once ||
            !update_uevent_values(listed.uevent_text, m_text, *listed.parsed_uevent)) {
            listed.parsed_uevent.emplace(listed.name);
            listed.uevent_names_once = parse_uevent(m_text, *listed.parsed_uevent);
        }
        // The text just read is kept; the buffer it leaves is filled afresh by the next read.
        listed.uevent_text.swap(m_text);
        return *listed.parsed_uevent;
    }

    bool read_listed(AttributeFile& file) { return noted(file.read(m_text)); }
    bool read_listed(const char* path) { return noted(read_attribute_file(path, m_text)); }

    bool noted(const SystemCall& result) {
        if (is_gone(result)) m_gone = true;
        return result.ok();
    }

    void fill_in(PowerSupply& supply, const ListedSupply& listed,
                 std::span<const SupplyAttribute> attributes) {
        for (SupplyAttribute attribute : attributes) {
            if (supply.has(attribute) || !listed.files[index_of(attribute)]) continue;
            std::string path = listed.path;
            path += attribute_name(attribute);
            ++m_attribute_reads;
            if (read_listed(path.c_str())) supply.set(attribute, m_text);
        }
    }

    std::string& m_text;
    bool m_gone = false;
    std::size_t m_attribute_reads = 0;
};

// The names of the entries that may be supplies, in byte order.
std::vector<std::string> supply_names(DirectoryEntries& folder) {
    std::vector<std::string> names;
    while (std::optional<DirectoryEntry> entry = folder.next()) {
        if (entry->name.starts_with('.')) continue;
        if (entry->type == DT_REG) continue;
        names.emplace_back(entry->name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The last listing of the supply `name` taken from `previous`, with its paths and its uevent
// parse, or a new one; either without files.
ListedSupply listing_to_fill(const std::string& folder, std::string name,
                             std::vector<ListedSupply>& previous) {
    for (ListedSupply& last : previous) {
        if (last.name != name) continue;
        ListedSupply supply = std::move(last);
        supply.files.reset();
        return supply;
    }
    ListedSupply supply{.name = std::move(name),
                        .path = folder + "/",
                        .uevent = {},
                        .files = {},
                        .uevent_text = {},
                        .parsed_uevent = {},
                        .last_reading_is_parse = false};
    supply.path += supply.name + "/";
    return supply;
}

// The supply `name` of the folder open as `folder_fd` (at `folder`) with the files it holds; an
// entry that cannot be listed is a supply without files.
ListedSupply list_supply(int folder_fd, const std::string& folder, std::string name,
                         std::vector<ListedSupply>& previous) {
    ListedSupply supply = listing_to_fill(folder, std::move(name), previous);
    DirectoryEntries files(folder_fd, supply.name.c_str());
    bool has_uevent = false;
    while (std::optional<DirectoryEntry> entry = files.next()) {
        const std::string_view file = entry->name;
        if (file == "uevent") has_uevent = true;
        if (auto attribute = supply_attribute_named(file)) supply.files.set(index_of(*attribute));
    }
    if (!has_uevent) supply.uevent.reset();
    if (has_uevent && !supply.uevent) supply.uevent.emplace(supply.path + "uevent");
    return supply;
}

} // namespace

PowerSupplyFolder::PowerSupplyFolder(std::string folder, std::string platform_profile_path)
    : m_folder(std::move(folder)), m_platform_profile(std::move(platform_profile_path)) {}

const PowerSupplySnapshot& PowerSupplyFolder::read(double now) {
    const bool listed_now = !listing_is_current(now);
    if (listed_now) list(now);
    if (!read_supplies() && !listed_now) {
        list(now);
        static_cast<void>(read_supplies());
    }
    std::string profile = read_platform_profile();
    if (profile != m_snapshot.platform_profile) {
        m_snapshot.platform_profile = std::move(profile);
        m_repeated = false;
    }
    // A battery taken out, or one whose files failed to read once, may be back by the next
    // reading: without one, the next reading lists the folder again instead of trusting this
    // listing for its whole lifetime.
    if (std::none_of(m_snapshot.supplies.begin(), m_snapshot.supplies.end(), is_system_battery))
        m_listed_at.reset();
    return m_snapshot;
}

bool PowerSupplyFolder::listing_is_current(double now) const {
    // A clock that went back does not make an old listing new.
    return m_folder_opened && m_listed_at && now >= *m_listed_at &&
           now - *m_listed_at < k_listing_lifetime;
}

void PowerSupplyFolder::list(double now) {
    std::vector<ListedSupply> previous = std::move(m_listing);
    m_listing.clear();
    m_snapshot_of_listing = false;
    m_listed_at = now;
    m_platform_profile_listed = !m_platform_profile.path().empty();
    DirectoryEntries folder(AT_FDCWD, m_folder.c_str());
    m_folder_opened = folder.opened();
    if (!folder.opened()) return;
    std::vector<std::string> names = supply_names(folder);
    m_listing.reserve(names.size());
    for (std::string& name : names)
        m_listing.push_back(list_supply(folder.fd(), m_folder, std::move(name), previous));
}

bool PowerSupplyFolder::read_supplies() {
    SupplyReader reader(m_text);
    std::vector<PowerSupply>& supplies = m_snapshot.supplies;
    supplies.erase(supplies.begin() +
                       static_cast<std::ptrdiff_t>(std::min(supplies.size(), m_listing.size())),
                   supplies.end());
    bool changed = !m_snapshot_of_listing;
    for (std::size_t i = 0; i < m_listing.size(); ++i) {
        if (i == supplies.size()) supplies.emplace_back(m_listing[i].name);
        changed |= reader.read(m_listing[i], supplies[i], m_snapshot_of_listing);
    }
    m_snapshot_of_listing = true;
    m_repeated = !changed;
    return !reader.found_a_file_gone();
}

std::string PowerSupplyFolder::read_platform_profile() {
    if (!m_platform_profile_listed) return {};
    SystemCall result = m_platform_profile.read(m_text);
    // A machine without the profile has none until the next listing.
    if (is_gone(result)) m_platform_profile_listed = false;
    if (!result.ok()) return {};
    return clean_attribute_text(m_text);
}

PowerSupplySnapshot read_power_supply_folder(const std::string& folder,
                                             const std::string& platform_profile_path) {
    return PowerSupplyFolder(folder, platform_profile_path).read(0);
}

#include "platform/iokit/sysfs_battery_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <span>
#include <string_view>
#include <unistd.h>

namespace {

// The kernel's files hold at most a page; anything longer comes from a hand-made folder and is
// cut at its last whole line within this limit.
constexpr std::size_t k_max_file_bytes = 16384;

// One system call's outcome: the call's name and errno, 0 when it succeeded.
struct [[nodiscard]] SystemResult {
    const char* call = nullptr;
    int error = 0;
    bool ok() const { return error == 0; }
};

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    int get() const { return m_fd; }

  private:
    int m_fd;
};

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};
using Directory = std::unique_ptr<DIR, DirectoryCloser>;

// Reads the file at `path` (relative to `folder_fd`) into `text`. Non-blocking, so that a FIFO
// or a device in a hand-made folder cannot stall the reader.
SystemResult read_file_at(int folder_fd, const char* path, std::string& text) {
    text.clear();
    FileDescriptor file(::openat(folder_fd, path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) return {"openat", errno};
    char buffer[4096];
    while (text.size() < k_max_file_bytes) {
        std::size_t wanted = std::min(sizeof buffer, k_max_file_bytes - text.size());
        ssize_t count = ::read(file.get(), buffer, wanted);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return {"read", errno};
        text.append(buffer, static_cast<std::size_t>(count));
        // A short read is the end of a file; sysfs hands out a whole attribute in one read.
        if (static_cast<std::size_t>(count) < wanted) return {};
    }
    text.erase(text.find_last_of('\n') + 1); // npos + 1 clears a text without a line end
    return {};
}

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

void parse_uevent(std::string_view text, PowerSupply& supply) {
    constexpr std::string_view prefix = "POWER_SUPPLY_";
    while (!text.empty()) {
        std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.starts_with(prefix)) continue;
        line.remove_prefix(prefix.size());
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        if (auto attribute = uevent_attribute(line.substr(0, equals))) {
            supply.set(*attribute, line.substr(equals + 1));
        }
    }
}

constexpr std::array<SupplyAttribute, k_supply_attribute_count> every_attribute() {
    std::array<SupplyAttribute, k_supply_attribute_count> all{};
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<SupplyAttribute>(i);
    return all;
}

// Probing for a missing file costs about as much as reading one; with more values lacking than
// this, the supply's folder is listed once instead and only the files it holds are read.
constexpr std::size_t k_most_probes = 3;

class FolderReader {
  public:
    explicit FolderReader(int folder_fd) : m_folder_fd(folder_fd) {}

    PowerSupply read_supply(const std::string& name) {
        using A = SupplyAttribute;
        PowerSupply supply(name);
        if (read_file_at(m_folder_fd, (name + "/uevent").c_str(), m_text).ok()) {
            parse_uevent(m_text, supply);
        }
        fill_in(supply, std::array{A::Type});
        if (supply.text(A::Type) == "Battery") fill_in(supply, std::array{A::Scope, A::Present});
        if (is_system_battery(supply) && !m_battery_read) {
            fill_in(supply, every_attribute());
            m_battery_read = true;
        }
        if (is_external_power_supply(supply)) fill_in(supply, std::array{A::Scope, A::Online});
        return supply;
    }

  private:
    void fill_in(PowerSupply& supply, std::span<const SupplyAttribute> attributes) {
        std::vector<SupplyAttribute> lacking;
        for (SupplyAttribute attribute : attributes) {
            if (!supply.has(attribute)) lacking.push_back(attribute);
        }
        if (lacking.size() > k_most_probes) keep_files_present(supply.name(), lacking);
        for (SupplyAttribute attribute : lacking) {
            std::string path = supply.name() + "/" + std::string(attribute_name(attribute));
            if (read_file_at(m_folder_fd, path.c_str(), m_text).ok()) supply.set(attribute, m_text);
        }
    }

    // Drops from `attributes` those without a file in the supply's folder.
    void keep_files_present(const std::string& supply, std::vector<SupplyAttribute>& attributes) {
        int fd = ::openat(m_folder_fd, supply.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        Directory directory(fd >= 0 ? ::fdopendir(fd) : nullptr);
        if (!directory) {
            if (fd >= 0) ::close(fd);
            attributes.clear();
            return;
        }
        std::array<bool, k_supply_attribute_count> present{};
        while (const dirent* entry = ::readdir(directory.get())) {
            if (auto attribute = supply_attribute_named(entry->d_name)) {
                present[static_cast<std::size_t>(*attribute)] = true;
            }
        }
        std::erase_if(attributes, [&](SupplyAttribute attribute) {
            return !present[static_cast<std::size_t>(attribute)];
        });
    }

    int m_folder_fd;
    std::string m_text;
    bool m_battery_read = false;
};

// The names of the entries that may be supplies, in byte order.
std::vector<std::string> supply_names(DIR* directory) {
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(directory)) {
        if (entry->d_name[0] == '.') continue;
        if (entry->d_type == DT_REG) continue;
        names.emplace_back(entry->d_name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string read_platform_profile(const std::string& path) {
    std::string text;
    if (path.empty() || !read_file_at(AT_FDCWD, path.c_str(), text).ok()) return {};
    return clean_attribute_text(text);
}

} // namespace

PowerSupplySnapshot read_power_supply_folder(const std::string& folder,
                                             const std::string& platform_profile_path) {
    PowerSupplySnapshot snapshot;
    Directory directory(::opendir(folder.c_str()));
    if (!directory) return snapshot;
    FolderReader reader(::dirfd(directory.get()));
    for (const std::string& name : supply_names(directory.get()))
        snapshot.supplies.push_back(reader.read_supply(name));
    snapshot.platform_profile = read_platform_profile(platform_profile_path);
    return snapshot;
}

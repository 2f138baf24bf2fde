#pragma once
// One folder of the power_supply class, opened only if it leads into the devices folder.
//
// The folder's path is resolved once, checked to lie inside the devices folder, and opened; the
// open folder is checked again to be the one resolved (a part of the path swapped for a link in
// between would lead elsewhere). Every later reading and writing goes through the open folder and
// follows no link, so that nothing in the tree can send a write outside it.

#include "privileged/system_paths.h"

#include <optional>
#include <string>

class SupplyFolder {
  public:
    // Nothing when `name` is not a plain name in the class folder, when its folder resolves
    // outside the devices folder, or when it cannot be opened.
    static std::optional<SupplyFolder> open(const SystemPaths& paths, const std::string& name);

    SupplyFolder(SupplyFolder&& other) noexcept;
    SupplyFolder& operator=(SupplyFolder&&) = delete;
    SupplyFolder(const SupplyFolder&) = delete;
    SupplyFolder& operator=(const SupplyFolder&) = delete;
    ~SupplyFolder();

    const std::string& name() const { return m_name; }

    // The attribute's text without its line end; nothing when it is missing, is not a plain
    // file or cannot be read.
    std::optional<std::string> read(const char* attribute) const;
    // Whether the attribute is there as a plain file (a link is not).
    bool has(const char* attribute) const;
    // Replaces the attribute's text; never creates a file. 0 or the errno of the failure.
    int write(const char* attribute, const std::string& text) const;

    // A supply of the machine's own: type Battery, scope System or no scope.
    bool is_system_battery() const;

  private:
    SupplyFolder(std::string name, int fd) : m_name(std::move(name)), m_fd(fd) {}

    std::string m_name;
    int m_fd = -1;
};

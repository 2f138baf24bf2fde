#pragma once
// Where the history file lives, by the XDG base-directory rules: $XDG_DATA_HOME/<program>/, or
// ~/.local/share/<program>/ when XDG_DATA_HOME is unset, empty or not an absolute path.

#include <optional>
#include <string>

struct HistoryPlace {
    // The folder that must be there already; the folders below it are made (kept_files.h).
    std::string base;
    std::string folder;
    std::string file;

    friend bool operator==(const HistoryPlace&, const HistoryPlace&) = default;
};

// None when neither XDG_DATA_HOME nor the home folder names a place.
std::optional<HistoryPlace> history_place(const char* xdg_data_home, const std::string& home,
                                          const std::string& program);

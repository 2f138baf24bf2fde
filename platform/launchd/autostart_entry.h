#pragma once
// The desktop's counterpart of a launch agent: an XDG autostart entry, a small desktop-entry
// file that the session starts at login. An agent that opens an application bundle with
// /usr/bin/open becomes the bundle's executable; any other program is written as it stands.

#include "platform/launchd/launch_agent.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct AutostartEntry {
    std::string name;
    std::vector<std::string> command; // never empty
};

// The entry that starts what the agent would start. A bundle installed as
// <prefix>/lib/<folder>/<name>.app is started by the launcher <prefix>/bin/<folder> when that
// leads to the same executable, so that the entry names the installed command.
AutostartEntry autostart_entry_for(const LaunchAgent& agent);
// The executable inside a bundle: Contents/MacOS/ followed by Info.plist's CFBundleExecutable,
// or by the bundle's own name without ".app" when Info.plist does not name one.
std::string bundle_executable_path(std::string_view bundle_path);

// The Exec key's value for `command`, ready to write after "Exec=": arguments holding reserved
// characters are double-quoted, then the line is escaped as any string value and "%" doubled.
std::string exec_value(std::span<const std::string> command);
// The file's whole text, ending in a line feed.
std::string autostart_entry_text(const AutostartEntry& entry);

// The user's autostart folder: $XDG_CONFIG_HOME/autostart, or $HOME/.config/autostart when
// XDG_CONFIG_HOME is unset, empty or relative; empty when no home folder is known.
std::string autostart_folder();
// The entry's file for an agent label; empty when no home folder is known.
std::string autostart_entry_path(std::string_view label);

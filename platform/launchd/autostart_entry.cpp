#include "platform/launchd/autostart_entry.h"

#include "platform/foundation/home_folder.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/property_list.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view k_open_program = "/usr/bin/open";
// What follows this among open's arguments goes to the application itself.
constexpr std::string_view k_open_arguments_marker = "--args";
constexpr std::string_view k_bundle_extension = ".app";
// Characters that make an Exec argument need quotes.
constexpr std::string_view k_reserved_characters = " \t\n\"'\\><~|&;$*?#()`";
// Characters that need a backslash inside the quotes.
constexpr std::string_view k_quoted_escapes = "\"`$\\";

std::string without_trailing_slashes(std::string_view path) {
    while (path.size() > 1 && path.ends_with('/'))
        path.remove_suffix(1);
    return std::string(path);
}

// `folder` + "/" + `name`, with no doubled slash after a folder such as "/".
std::string joined(std::string_view folder, std::string_view name) {
    std::string path = without_trailing_slashes(folder);
    if (!path.ends_with('/')) path += '/';
    return path + std::string(name);
}

std::string_view last_component(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string bundle_name(std::string_view bundle_path) {
    std::string_view name = last_component(bundle_path);
    if (name.size() > k_bundle_extension.size() && name.ends_with(k_bundle_extension)) {
        name.remove_suffix(k_bundle_extension.size());
    }
    return std::string(name);
}

// Info.plist's CFBundleExecutable when it is a plain file name; empty otherwise.
std::string declared_executable(const std::string& bundle_path) {
    ObjcRef<NSObject> root = read_property_list_file(bundle_path + "/Contents/Info.plist");
    auto* info = dynamic_cast<NSDictionary*>(root.get());
    if (!info) return {};
    ObjcRef<NSString> key = NSString::from_utf8("CFBundleExecutable");
    auto* executable = dynamic_cast<NSString*>(info->objectForKey(key.get()));
    if (!executable) return {};
    std::string name = executable->utf8();
    if (!is_usable_agent_label(name)) return {}; // same rule: one plain file name
    return name;
}

// `/usr/bin/open <bundle>`, optionally followed by `--args <arguments for the application>`.
bool opens_one_bundle(std::span<const std::string> arguments) {
    if (arguments.size() < 2 || arguments[0] != k_open_program) return false;
    if (arguments[1].empty() || arguments[1].starts_with('-')) return false;
    return arguments.size() == 2 || arguments[2] == k_open_arguments_marker;
}

// The escape of one character in a desktop-entry string value; empty when it stands as it is.
std::string_view string_value_escape(char c) {
    switch (c) {
    case '\\':
        return "\\\\";
    case '\n':
        return "\\n";
    case '\t':
        return "\\t";
    case '\r':
        return "\\r";
    default:
        return {};
    }
}

// Escapes for any desktop-entry string value; a leading blank would otherwise be trimmed.
std::string escaped_string_value(std::string_view value) {
    std::string escaped;
    for (char c : value) {
        std::string_view escape = string_value_escape(c);
        if (c == ' ' && escaped.empty()) escape = "\\s";
        if (escape.empty()) {
            escaped += c;
        } else {
            escaped += escape;
        }
    }
    return escaped;
}

// One argument as the Exec key quotes it, before the key's own string escaping.
std::string quoted_exec_argument(std::string_view argument) {
    bool needs_quotes =
        argument.empty() || argument.find_first_of(k_reserved_characters) != std::string_view::npos;
    if (!needs_quotes) return std::string(argument);
    std::string quoted = "\"";
    for (char c : argument) {
        if (k_quoted_escapes.find(c) != std::string_view::npos) quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

bool same_file(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// The installed launcher of the bundle's executable, or the executable itself when there is none.
std::string launcher_of(const std::string& bundle, const std::string& executable) {
    const std::string folder = bundle.substr(0, bundle.rfind('/'));
    const std::string_view folder_name = last_component(folder);
    const std::string lib = folder.substr(0, folder.rfind('/'));
    if (folder_name.empty() || last_component(lib) != "lib") return executable;
    const std::string launcher =
        joined(lib.substr(0, lib.rfind('/')), "bin/" + std::string(folder_name));
    return same_file(launcher, executable) ? launcher : executable;
}

} // namespace

std::string bundle_executable_path(std::string_view bundle_path) {
    std::string bundle = without_trailing_slashes(bundle_path);
    std::string executable = declared_executable(bundle);
    if (executable.empty()) executable = bundle_name(bundle);
    return joined(bundle, "Contents/MacOS/" + executable);
}

AutostartEntry autostart_entry_for(const LaunchAgent& agent) {
    const std::vector<std::string>& arguments = agent.program_arguments;
    if (!opens_one_bundle(arguments)) return {agent.label, arguments};
    std::string bundle = without_trailing_slashes(arguments[1]);
    AutostartEntry entry{bundle_name(bundle),
                         {launcher_of(bundle, bundle_executable_path(bundle))}};
    if (entry.name.empty()) entry.name = agent.label;
    if (arguments.size() > 3)
        entry.command.insert(entry.command.end(), arguments.begin() + 3, arguments.end());
    return entry;
}

std::string exec_value(std::span<const std::string> command) {
    std::string line;
    for (const std::string& argument : command) {
        if (!line.empty()) line += ' ';
        line += quoted_exec_argument(argument);
    }
    std::string value;
    for (char c : escaped_string_value(line)) {
        value += c;
        if (c == '%') value += '%';
    }
    return value;
}

std::string autostart_entry_text(const AutostartEntry& entry) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           escaped_string_value(entry.name) + "\nExec=" + exec_value(entry.command) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::string autostart_folder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return joined(config, "autostart");
    std::string home = home_folder();
    if (home.empty()) return {};
    return joined(home, ".config/autostart");
}

std::string autostart_entry_path(std::string_view label) {
    std::string folder = autostart_folder();
    if (folder.empty()) return {};
    return joined(folder, std::string(label) + ".desktop");
}

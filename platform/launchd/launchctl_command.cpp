#include "platform/launchd/launchctl_command.h"

#include "platform/foundation/file_replace.h"
#include "platform/launchd/autostart_entry.h"
#include "platform/launchd/launch_agent.h"

#include <cerrno>
#include <fcntl.h>
#include <ostream>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

constexpr mode_t k_folder_mode = 0700;
constexpr mode_t k_entry_mode = 0644;
constexpr std::string_view k_agent_extension = ".plist";
// Accepted for compatibility; every load here is persistent anyway.
constexpr std::string_view k_write_flag = "-w";

// Makes `folder` and any missing folder above it.
SystemCall make_folders(const std::string& folder) {
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        std::string prefix = folder.substr(0, end);
        struct stat status {};
        if (::stat(prefix.c_str(), &status) == 0) {
            if (!S_ISDIR(status.st_mode)) return {"mkdir", ENOTDIR};
        } else if (errno != ENOENT) {
            return failed_call("stat");
        } else if (::mkdir(prefix.c_str(), k_folder_mode) != 0 && errno != EEXIST) {
            return failed_call("mkdir");
        }
        if (end == std::string::npos) return {};
    }
}

SystemCall remove_file(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return failed_call("unlink");
    return {};
}

// The label a file named "<label>.plist" stands for.
std::string label_from_file_name(std::string_view agent_file) {
    std::size_t slash = agent_file.rfind('/');
    std::string_view name =
        slash == std::string_view::npos ? agent_file : agent_file.substr(slash + 1);
    if (name.ends_with(k_agent_extension)) name.remove_suffix(k_agent_extension.size());
    return std::string(name);
}

bool remove_entry(const std::string& label, std::string& error) {
    std::string path = autostart_entry_path(label);
    if (path.empty()) {
        error = "no home folder to find the autostart folder in";
        return false;
    }
    SystemCall removed = remove_file(path);
    if (!removed.ok()) error = path + ": " + removed.message();
    return removed.ok();
}

bool write_entry(const LaunchAgent& agent, std::string& error) {
    std::string folder = autostart_folder();
    if (folder.empty()) {
        error = "no home folder to make the autostart folder in";
        return false;
    }
    if (SystemCall made = make_folders(folder); !made.ok()) {
        error = folder + ": " + made.message();
        return false;
    }
    std::string path = autostart_entry_path(agent.label);
    SystemCall written = replace_file_atomically(
        path, autostart_entry_text(autostart_entry_for(agent)), k_entry_mode);
    if (!written.ok()) error = path + ": " + written.message();
    return written.ok();
}

using AgentAction = bool (*)(const std::string& agent_file, std::string& error);

int usage(std::ostream& errors) {
    errors << "usage: launchctl load [-w] FILE...\n"
              "       launchctl unload [-w] FILE...\n";
    return k_launchctl_usage_status;
}

} // namespace

bool load_launch_agent(const std::string& agent_file, std::string& error) {
    LaunchAgentRead read = read_launch_agent(agent_file);
    if (!read.agent) {
        error = read.error;
        return false;
    }
    if (!read.agent->run_at_load) return remove_entry(read.agent->label, error);
    return write_entry(*read.agent, error);
}

bool unload_launch_agent(const std::string& agent_file, std::string& error) {
    LaunchAgentRead read = read_launch_agent(agent_file);
    // The agent's file is often removed as soon as unload is asked for; its name still tells.
    std::string label = read.agent ? read.agent->label : label_from_file_name(agent_file);
    if (!is_usable_agent_label(label)) {
        error = agent_file + ": no agent label in the file or its name";
        return false;
    }
    return remove_entry(label, error);
}

int run_launchctl(std::span<const std::string> arguments, std::ostream& errors) {
    if (arguments.empty()) return usage(errors);
    AgentAction action = nullptr;
    if (arguments[0] == "load") action = &load_launch_agent;
    if (arguments[0] == "unload") action = &unload_launch_agent;
    if (!action) return usage(errors);
    std::vector<std::string> files;
    for (const std::string& argument : arguments.subspan(1)) {
        if (argument == k_write_flag) continue;
        if (argument.starts_with('-')) return usage(errors);
        files.push_back(argument);
    }
    if (files.empty()) return usage(errors);
    int status = 0;
    for (const std::string& file : files) {
        std::string error;
        if (action(file, error)) continue;
        errors << "launchctl " << arguments[0] << ": " << error << '\n';
        status = k_launchctl_failure_status;
    }
    return status;
}

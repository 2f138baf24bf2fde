#pragma once
// A per-user launch agent as its property list describes it: the few keys the login mirror
// needs. Other keys (KeepAlive, LimitLoadToSessionType ...) are accepted and not kept.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class NSObject;

struct LaunchAgent {
    std::string label;
    std::vector<std::string> program_arguments; // never empty
    bool run_at_load = false;
};

// An agent, or why there is none; `error` is empty when `agent` is set.
struct LaunchAgentRead {
    std::optional<LaunchAgent> agent;
    std::string error;
};

// The agent in a property list's root object: a dictionary with a usable "Label" string and a
// non-empty "ProgramArguments" array of strings.
LaunchAgentRead launch_agent_from(NSObject* root);
// The agent in property-list bytes (XML or binary).
LaunchAgentRead parse_launch_agent(std::span<const std::uint8_t> bytes);
// The agent in the file at `path`; a missing or unreadable file is an error like any other.
LaunchAgentRead read_launch_agent(const std::string& path);

// Whether `label` can name a file of its own in a folder: not empty, not "." or "..", and with no
// "/" or NUL in it.
bool is_usable_agent_label(std::string_view label);

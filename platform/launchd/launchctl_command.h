#pragma once
// The launchctl command line for per-user agents on a desktop without launchd:
//   launchctl load [-w] FILE...    mirrors each agent as an XDG autostart entry
//   launchctl unload [-w] FILE...  removes the entry of each agent
// The agent's program is never executed here; the desktop session starts it at the next login.

#include <iosfwd>
#include <span>
#include <string>

inline constexpr int k_launchctl_failure_status = 1;
inline constexpr int k_launchctl_usage_status = 2;

// Runs the command line `arguments` (without the program's own name); messages go to `errors`.
// The exit status: 0, or one of the two above.
int run_launchctl(std::span<const std::string> arguments, std::ostream& errors);

// Writes the agent's autostart entry atomically, making the missing folders (mode 0700). An agent
// that does not run at load has no entry: an old one is removed. false, with the reason, on
// failure.
bool load_launch_agent(const std::string& agent_file, std::string& error);
// Removes the agent's autostart entry; an entry that is not there is no failure. The label comes
// from the agent, or from the file's name (without ".plist") when the file cannot be read.
bool unload_launch_agent(const std::string& agent_file, std::string& error);

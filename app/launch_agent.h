#pragma once
// The per-user launch agent that starts the indicator at login: where it lives and what it says.

#include "runtime/core/rt_string.h"

namespace app {

// The agent's text with the two placeholders "{appid}" and "{apppath}"; 18 lines.
extern const char16_t* const LaunchAgentTemplate;

// The home folder + "Library/LaunchAgents/".
rt::String LaunchAgentsFolder();
// LaunchAgentsFolder() + the application identifier + ".plist".
rt::String LaunchAgentFile();

// `text` with & < > " ' written as XML character entities, so that any identifier or path gives
// a well-formed agent.
rt::String xml_escaped(rt::TextArg text);

// The agent that opens the application at `application_path` at login, labelled `identifier`.
rt::String launch_agent_text(rt::TextArg identifier, rt::TextArg application_path);

} // namespace app

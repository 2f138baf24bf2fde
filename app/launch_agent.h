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

// `text` with & < > " ' and the carriage return written as XML character entities, so that any
// identifier or path XML can carry gives a well-formed agent that reads back as that very text (a
// raw carriage return would be read as a line feed).
rt::String xml_escaped(rt::TextArg text);
// The first unit of `text` that XML 1.0 cannot carry at all, not even as an entity: a control
// character other than tab, line feed and carriage return, or U+FFFE or U+FFFF; 0 when none.
char16_t first_unit_xml_cannot_carry(rt::TextArg text);

// The agent that opens the application at `application_path` at login, labelled `identifier`.
rt::String launch_agent_text(rt::TextArg identifier, rt::TextArg application_path);

} // namespace app

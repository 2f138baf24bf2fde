// A launch agent's property list as the launchctl helper reads it, and the autostart entry it
// would write for it: no label or argument may add a line to the entry.

#include "platform/launchd/autostart_entry.h"
#include "platform/launchd/launch_agent.h"
#include "platform/objc/autorelease_pool.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::size_t lines_in(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AutoreleasePoolScope pool;
    LaunchAgentRead read = parse_launch_agent({data, size});
    if (read.agent.has_value() == !read.error.empty()) std::abort();
    if (!read.agent) return 0;
    const LaunchAgent& agent = *read.agent;
    if (!is_usable_agent_label(agent.label) || agent.program_arguments.empty()) std::abort();
    static const std::size_t k_entry_lines = lines_in(autostart_entry_text({"x", {"x"}}));
    std::string entry = autostart_entry_text({agent.label, agent.program_arguments});
    if (lines_in(entry) != k_entry_lines) std::abort();
    return 0;
}

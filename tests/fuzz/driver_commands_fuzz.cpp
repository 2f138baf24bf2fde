// The driver display's input: lines of commands from standard input, as a script or a person
// gives them.

#include "platform/display/driver/driver_commands.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ParsedLine parsed = parse_driver_command(line);
        using enum ParsedLine::Outcome;
        if (parsed.outcome == error && parsed.message.empty()) std::abort();
        if (parsed.outcome == command && command_name(parsed.command.kind).empty()) std::abort();
        if (parsed.outcome == command) (void)accepted_during_alert(parsed.command.kind);
    }
    return 0;
}

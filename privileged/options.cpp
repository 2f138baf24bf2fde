#include "privileged/options.h"

#include <charconv>
#include <string_view>

namespace {

constexpr double k_longest_wait = 3600;

bool parse_seconds(std::string_view text, double& seconds) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    return error == std::errc{} && end == text.data() + text.size() && seconds > 0 &&
           seconds <= k_longest_wait;
}

bool is_absolute(std::string_view path) {
    return path.starts_with('/');
}

// Takes the option `name` with its value from `arguments`; false with `error` set when wrong.
bool take_option(std::string_view name, std::string_view value, Options& options,
                 std::string& error) {
    if (name == "--bus") {
        options.bus = value;
    } else if (name == "--sysfs" && is_absolute(value)) {
        options.paths.sysfs = value;
    } else if (name == "--state" && is_absolute(value)) {
        options.paths.state = value;
    } else if (name == "--idle" && parse_seconds(value, options.idle_seconds)) {
    } else if (name == "--poll" && parse_seconds(value, options.poll_seconds)) {
    } else {
        error = std::string("bad option: ") + std::string(name) + " " + std::string(value);
        return false;
    }
    return true;
}

bool is_test_option(std::string_view name) {
    return name == "--sysfs" || name == "--state" || name == "--idle" || name == "--poll";
}

} // namespace

ParsedOptions parse_options(std::span<const char* const> arguments) {
    ParsedOptions parsed;
    bool test_options = false;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string_view name = arguments[at];
        if (name == "--apply") {
            parsed.options.mode = Options::Mode::Apply;
            continue;
        }
        if (at + 1 == arguments.size() || !name.starts_with("--")) {
            parsed.error = "bad option: " + std::string(name);
            return parsed;
        }
        test_options = test_options || is_test_option(name);
        if (!take_option(name, arguments[++at], parsed.options, parsed.error)) return parsed;
    }
    if (test_options && parsed.options.bus.empty()) {
        parsed.error = "--sysfs, --state, --idle and --poll are for tests on a private bus: "
                       "give its --bus ADDRESS";
    }
    return parsed;
}

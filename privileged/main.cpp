// zerarazi-charge-limit: keeps the battery's charge limit (options.h says how it is started).
#include "privileged/options.h"
#include "privileged/serve.h"

#include <cstdio>
#include <span>

int main(int argc, char** argv) {
    const ParsedOptions parsed = parse_options(std::span<const char* const>(argv + 1, argc - 1));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zerarazi-charge-limit: %s\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.mode == Options::Mode::Apply) return apply_once(parsed.options);
    return serve(parsed.options);
}

#include "privileged/limit_rule.h"

#include <charconv>

bool is_valid_limit(std::uint32_t percent) {
    return percent >= k_lowest_limit && percent <= k_no_limit;
}

std::uint32_t start_threshold_for(std::uint32_t limit) {
    return limit - k_start_below_limit;
}

std::optional<std::uint32_t> parse_percent(std::string_view text) {
    if (text.ends_with('\n')) text.remove_suffix(1);
    if (text.empty() || text.size() > 3) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value > 100)
        return std::nullopt;
    return value;
}

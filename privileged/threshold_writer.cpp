#include "privileged/threshold_writer.h"

#include "privileged/battery_list.h"
#include "privileged/limit_rule.h"

#include <string>

std::vector<ThresholdWrite> threshold_writes(std::uint32_t limit, const Thresholds& present) {
    std::vector<ThresholdWrite> writes;
    const ThresholdWrite end{k_end_threshold, limit};
    const bool end_differs = present.end != limit;
    if (!present.has_start) {
        if (end_differs) writes.push_back(end);
        return writes;
    }
    const ThresholdWrite start{k_start_threshold, start_threshold_for(limit)};
    const bool start_differs = present.start != start.percent;
    const bool start_first = present.end && start.percent < *present.end;
    if (start_differs && start_first) writes.push_back(start);
    if (end_differs) writes.push_back(end);
    if (start_differs && !start_first) writes.push_back(start);
    return writes;
}

namespace {

Thresholds present_thresholds(const SupplyFolder& battery) {
    Thresholds present;
    if (const auto text = battery.read(k_end_threshold)) present.end = parse_percent(*text);
    present.has_start = battery.has(k_start_threshold);
    if (!present.has_start) return present;
    if (const auto text = battery.read(k_start_threshold)) present.start = parse_percent(*text);
    return present;
}

} // namespace

int apply_limit(const SupplyFolder& battery, std::uint32_t limit) {
    for (const ThresholdWrite& write : threshold_writes(limit, present_thresholds(battery))) {
        if (const int error = battery.write(write.attribute, std::to_string(write.percent))) {
            return error;
        }
    }
    return 0;
}

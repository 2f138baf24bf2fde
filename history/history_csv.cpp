#include "history/history_csv.h"

#include <cstdio>
#include <ctime>
#include <limits>

namespace {

constexpr std::int64_t k_day = 86400;

const char* state_name(ChargeState state) {
    switch (state) {
    case ChargeState::Discharging:
        return "discharging";
    case ChargeState::Charging:
        return "charging";
    case ChargeState::Full:
        return "full";
    case ChargeState::Idle:
        break;
    }
    return "not charging";
}

std::string figure(const std::optional<std::int64_t>& value) {
    return value ? std::to_string(*value) : std::string();
}

// A battery's name as one CSV field: quoted, with its quotes doubled, when it needs to be.
std::string field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string health_percent(const HealthDay& day) {
    char text[32] = "";
    std::snprintf(text, sizeof text, "%.1f",
                  100.0 * static_cast<double>(day.full_mah) / static_cast<double>(day.design_mah));
    return text;
}

} // namespace

std::string utc_text(std::int64_t seconds, const char* format) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    char text[40] = "";
    if (!gmtime_r(&time, &parts) || std::strftime(text, sizeof text, format, &parts) == 0)
        return {};
    return text;
}

std::string iso_time(std::int64_t seconds_since_1970) {
    return utc_text(seconds_since_1970, "%Y-%m-%dT%H:%M:%SZ");
}

std::string iso_day(std::int64_t days_since_1970) {
    if (days_since_1970 > std::numeric_limits<std::int64_t>::max() / k_day ||
        days_since_1970 < std::numeric_limits<std::int64_t>::min() / k_day)
        return {};
    return utc_text(days_since_1970 * k_day, "%Y-%m-%d");
}

void write_history_csv(const HistoryStore& store, std::ostream& out) {
    out << "kind,time (UTC),charge (%),left (mAh),current (mA),state,on mains,battery,"
           "full (mAh),design (mAh),cycles,health (%)\n";
    for (const Reading& reading : store.readings(std::numeric_limits<std::int64_t>::min(),
                                                 std::numeric_limits<std::int64_t>::max())) {
        out << (reading.hourly ? "hour," : "reading,") << iso_time(reading.time) << ','
            << reading.percent << ',' << figure(reading.left_mah) << ','
            << figure(reading.current_ma) << ',' << state_name(reading.state) << ','
            << (reading.on_mains ? "yes" : "no") << ",,,,,\n";
    }
    for (const HealthDay& day : store.health()) {
        out << "day," << iso_day(day.day) << ",,,,,," << field(day.battery) << ',' << day.full_mah
            << ',' << day.design_mah << ',' << figure(day.cycles) << ','
            << (day.design_mah > 0 ? health_percent(day) : std::string()) << '\n';
    }
}

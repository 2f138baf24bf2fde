#include "platform/foundation/ns_time_zone.h"

#include "platform/foundation/clock.h"
#include "platform/foundation/instance_of.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_string.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>

namespace {

constexpr std::string_view k_zoneinfo = "zoneinfo/";

// The zone a path into a "zoneinfo/" folder names; empty for other paths.
std::string_view zoneinfo_name(std::string_view path) {
    std::size_t folder = path.rfind(k_zoneinfo);
    return folder == std::string_view::npos ? std::string_view()
                                            : path.substr(folder + k_zoneinfo.size());
}

std::string read_link(const char* path) {
    std::error_code error;
    std::filesystem::path target = std::filesystem::read_symlink(path, error);
    return error ? std::string() : target.string();
}

std::string first_line_of(const char* path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t'))
        line.pop_back();
    return line;
}

std::string current_abbreviation() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local) || !local.tm_zone) return {};
    return local.tm_zone;
}

std::string process_time_zone_name() {
    const char* tz = std::getenv("TZ");
    std::string link = read_link("/etc/localtime");
    std::string timezone_file = first_line_of("/etc/timezone");
    std::string abbreviation = current_abbreviation();
    std::optional<std::string_view> tz_value;
    if (tz) tz_value = tz;
    return time_zone_name_for({tz_value, link, timezone_file, abbreviation});
}

std::string fixed_zone_name(long seconds) {
    if (seconds == 0) return "GMT";
    long magnitude = std::labs(seconds) / 60;
    char text[48];
    std::snprintf(text, sizeof text, "GMT%c%02ld%02ld", seconds < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

// The system zone, made on first use; guarded by its mutex.
struct ZoneCache {
    std::mutex mutex;
    ObjcRef<NSTimeZone> system;
    ObjcRef<NSTimeZone> chosen_default;
};

ZoneCache& zone_cache() {
    static ZoneCache* const cache = new ZoneCache();
    return *cache;
}

ObjcRef<NSTimeZone> system_zone_locked(ZoneCache& cache) {
    if (!cache.system) {
        tzset();
        cache.system = NSTimeZone::make_local(process_time_zone_name());
    }
    return cache.system;
}

} // namespace

std::string time_zone_name_for(const TimeZoneSources& sources) {
    if (sources.tz && sources.tz->empty()) return "UTC";
    std::string_view tz = sources.tz.value_or(std::string_view());
    if (tz.starts_with(':')) tz.remove_prefix(1);
    if (!zoneinfo_name(tz).empty()) return std::string(zoneinfo_name(tz));
    if (!tz.empty() && !tz.starts_with('/')) return std::string(tz);
    if (!zoneinfo_name(sources.localtime_link_target).empty()) {
        return std::string(zoneinfo_name(sources.localtime_link_target));
    }
    if (!sources.timezone_file.empty()) return std::string(sources.timezone_file);
    if (!sources.abbreviation.empty()) return std::string(sources.abbreviation);
    return "UTC";
}

std::optional<std::time_t> whole_seconds_of(double seconds_since_1970) {
    // Years far beyond this do not fit struct tm's int year anyway.
    constexpr double k_limit = 1e16;
    if (!std::isfinite(seconds_since_1970) || std::fabs(seconds_since_1970) > k_limit) {
        return std::nullopt;
    }
    return static_cast<std::time_t>(std::floor(seconds_since_1970));
}

ObjcRef<NSTimeZone> NSTimeZone::make_local(std::string name) {
    ObjcRef<NSTimeZone> zone = make_native<NSTimeZone>();
    if (zone) zone->m_name = std::move(name);
    return zone;
}

ObjcRef<NSTimeZone> NSTimeZone::make_fixed(long seconds_from_gmt) {
    if (std::labs(seconds_from_gmt) > k_max_fixed_offset) return {};
    ObjcRef<NSTimeZone> zone = make_native<NSTimeZone>();
    if (!zone) return {};
    zone->m_name = fixed_zone_name(seconds_from_gmt);
    zone->m_fixed_offset = seconds_from_gmt;
    return zone;
}

std::optional<std::tm> NSTimeZone::broken_down_time(std::time_t moment) const {
    std::tm result{};
    if (!m_fixed_offset) {
        if (!localtime_r(&moment, &result)) return std::nullopt;
        return result;
    }
    std::time_t shifted = moment + *m_fixed_offset;
    if (!gmtime_r(&shifted, &result)) return std::nullopt;
    result.tm_gmtoff = *m_fixed_offset;
    result.tm_zone = nullptr;
    return result;
}

NSTimeZone* NSTimeZone::systemTimeZone(Class) {
    ZoneCache& cache = zone_cache();
    std::lock_guard lock(cache.mutex);
    return system_zone_locked(cache).autorelease();
}

NSTimeZone* NSTimeZone::defaultTimeZone(Class) {
    ZoneCache& cache = zone_cache();
    std::lock_guard lock(cache.mutex);
    if (cache.chosen_default) return ObjcRef(cache.chosen_default).autorelease();
    return system_zone_locked(cache).autorelease();
}

void NSTimeZone::setDefaultTimeZone(Class, NSTimeZone* zone) {
    ObjcRef<NSTimeZone> replaced = ObjcRef<NSTimeZone>::retain(zone);
    ZoneCache& cache = zone_cache();
    std::lock_guard lock(cache.mutex);
    cache.chosen_default.swap(replaced);
}

void NSTimeZone::resetSystemTimeZone(Class) {
    ObjcRef<NSTimeZone> replaced;
    ZoneCache& cache = zone_cache();
    std::lock_guard lock(cache.mutex);
    cache.system.swap(replaced);
    tzset();
}

NSTimeZone* NSTimeZone::timeZoneForSecondsFromGMT(Class, NSInteger seconds) {
    return make_fixed(seconds).autorelease();
}

NSString* NSTimeZone::name() const {
    return NSString::from_utf8(m_name).autorelease();
}

NSInteger NSTimeZone::secondsFromGMT() const {
    std::optional<std::time_t> now = whole_seconds_of(platform_now());
    if (!now) return 0;
    std::optional<std::tm> time = broken_down_time(*now);
    return time ? time->tm_gmtoff : 0;
}

NSInteger NSTimeZone::secondsFromGMTForDate(NSDate* date) const {
    if (!date) return 0;
    std::optional<std::time_t> moment = whole_seconds_of(date->seconds_since_1970());
    if (!moment) return 0;
    std::optional<std::tm> time = broken_down_time(*moment);
    return time ? time->tm_gmtoff : 0;
}

NSString* NSTimeZone::abbreviation() const {
    if (m_fixed_offset) return name();
    std::optional<std::time_t> now = whole_seconds_of(platform_now());
    std::optional<std::tm> time = now ? broken_down_time(*now) : std::nullopt;
    if (!time || !time->tm_zone) return nil;
    return NSString::from_utf8(time->tm_zone).autorelease();
}

void register_ns_time_zone_class() {
    register_native_class<NSTimeZone>(
        "NSTimeZone", "NSObject",
        {
            class_method<&NSTimeZone::systemTimeZone>("systemTimeZone"),
            class_method<&NSTimeZone::defaultTimeZone>("defaultTimeZone"),
            class_method<&NSTimeZone::localTimeZone>("localTimeZone"),
            class_method<&NSTimeZone::setDefaultTimeZone>("setDefaultTimeZone:"),
            class_method<&NSTimeZone::resetSystemTimeZone>("resetSystemTimeZone"),
            class_method<&NSTimeZone::timeZoneForSecondsFromGMT>("timeZoneForSecondsFromGMT:"),
            instance_method<&NSTimeZone::name>("name"),
            instance_method<&NSTimeZone::description>("description"),
            instance_method<&NSTimeZone::secondsFromGMT>("secondsFromGMT"),
            instance_method<&NSTimeZone::secondsFromGMTForDate>("secondsFromGMTForDate:"),
            instance_method<&NSTimeZone::abbreviation>("abbreviation"),
        });
}

#include "platform/foundation/ns_time_zone.h"

#include "platform/foundation/instance_of.h"
#include "platform/foundation/ns_string.h"

#include <cstdlib>
#include <ctime>
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

// The system zone, made on first use; guarded by its mutex.
struct ZoneCache {
    std::mutex mutex;
    ObjcRef<NSTimeZone> system;
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

ObjcRef<NSTimeZone> NSTimeZone::make_local(std::string name) {
    ObjcRef<NSTimeZone> zone = make_native<NSTimeZone>();
    if (zone) zone->m_name = std::move(name);
    return zone;
}

NSTimeZone* NSTimeZone::systemTimeZone(Class) {
    ZoneCache& cache = zone_cache();
    std::lock_guard lock(cache.mutex);
    return system_zone_locked(cache).autorelease();
}

NSString* NSTimeZone::name() const {
    return NSString::from_utf8(m_name).autorelease();
}

void register_ns_time_zone_class() {
    register_native_class<NSTimeZone>("NSTimeZone", "NSObject",
                                      {
                                          instance_method<&NSTimeZone::name>("name"),
                                          instance_method<&NSTimeZone::description>("description"),
                                      });
}

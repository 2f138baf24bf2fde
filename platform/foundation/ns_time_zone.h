#pragma once
// NSTimeZone: the process's local time zone (the C library's, from TZ or /etc/localtime) or a
// fixed offset from GMT. The system time zone is made once and kept until
// +resetSystemTimeZone, which also makes the C library read TZ again; the default time zone is
// the system one unless +setDefaultTimeZone: chose another. Offsets of the local zone are the C
// library's for each moment, daylight saving time included.

#include "platform/objc/native_class.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

class NSDate;
class NSString;

// Where the local zone's name can come from; empty views for what is absent.
struct TimeZoneSources {
    std::optional<std::string_view> tz;     // the TZ variable, when set
    std::string_view localtime_link_target; // what /etc/localtime links to
    std::string_view timezone_file;         // the first line of /etc/timezone
    std::string_view abbreviation;          // the C library's abbreviation for now ("CET")
};

// The first of: TZ (without a leading ':'; "UTC" when set but empty, as the C library reads it),
// the zone a link into a "zoneinfo/" folder names, /etc/timezone, the abbreviation, and "UTC".
// A path into a "zoneinfo/" folder is named by its part after that folder ("Europe/Berlin");
// TZ holding another path is passed over.
std::string time_zone_name_for(const TimeZoneSources& sources);

// Fixed offsets are limited to 18 hours either way, as on the platform.
inline constexpr long k_max_fixed_offset = 18 * 3600;

class NSTimeZone : public NSObject {
  public:
    NSTimeZone() = default;

    // A new zone holding one reference: the C library's local zone under `name`.
    static ObjcRef<NSTimeZone> make_local(std::string name);
    // A new zone at a fixed offset, named "GMT", "GMT+0100" or "GMT-0930"; empty beyond
    // k_max_fixed_offset.
    static ObjcRef<NSTimeZone> make_fixed(long seconds_from_gmt);

    // The broken-down time in this zone of a moment (seconds since 1970, whole seconds, UTC);
    // nothing when the C library cannot represent it.
    std::optional<std::tm> broken_down_time(std::time_t moment) const;

    // Class methods. The zones returned are autoreleased.
    static NSTimeZone* systemTimeZone(Class self);
    static NSTimeZone* defaultTimeZone(Class self);
    // The same as the default time zone here.
    static NSTimeZone* localTimeZone(Class self) { return defaultTimeZone(self); }
    // Nil restores the system time zone as the default.
    static void setDefaultTimeZone(Class self, NSTimeZone* zone);
    static void resetSystemTimeZone(Class self);
    // Nil beyond k_max_fixed_offset.
    static NSTimeZone* timeZoneForSecondsFromGMT(Class self, NSInteger seconds);

    NSString* name() const;
    NSString* description() const { return name(); }
    // Now, by the platform clock.
    NSInteger secondsFromGMT() const;
    // 0 for a nil date or a moment the C library cannot represent.
    NSInteger secondsFromGMTForDate(NSDate* date) const;
    // The C library's abbreviation for now ("CET"), a fixed zone's name; nil when unknown.
    NSString* abbreviation() const;

  private:
    std::string m_name;
    std::optional<long> m_fixed_offset; // absent for the local zone
};

// The moment of `seconds_since_1970` rounded down to a whole second; nothing for NaN, infinity
// or a value no time_t holds.
std::optional<std::time_t> whole_seconds_of(double seconds_since_1970);

void register_ns_time_zone_class();

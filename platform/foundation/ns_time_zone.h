#pragma once
// NSTimeZone: the process's local time zone (the C library's, from TZ or /etc/localtime), made
// once and kept for the life of the process.

#include "platform/objc/native_class.h"

#include <optional>
#include <string>
#include <string_view>

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

class NSTimeZone : public NSObject {
  public:
    NSTimeZone() = default;

    // A new zone holding one reference: the C library's local zone under `name`.
    static ObjcRef<NSTimeZone> make_local(std::string name);

    // Class methods. The zones returned are autoreleased; the default zone is the system one.
    static NSTimeZone* systemTimeZone(Class self);
    static NSTimeZone* defaultTimeZone(Class self) { return systemTimeZone(self); }

    NSString* name() const;
    NSString* description() const { return name(); }

  private:
    std::string m_name;
};

void register_ns_time_zone_class();

#pragma once
// Battery-source test helpers: power_supply folders from tables, a scoped battery source, and
// dictionaries as text (see describe), read through the IOKit calls as the indicator reads them.

#include "platform/foundation/core_foundation.h"
#include "platform/iokit/battery_provider.h"
#include "platform/iokit/io_kit.h"
#include "platform/iokit/power_sources.h"
#include "platform/objc/objc.h"
#include "tests/support/environment_scope.h"
#include "tests/support/objc_values.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// One supply of a power_supply folder: uevent lines (without the POWER_SUPPLY_ prefix, which
// is added) and attribute files.
struct SupplyLayout {
    std::string name;
    std::vector<std::string> uevent;
    std::vector<std::pair<std::string, std::string>> files = {};
};

inline void write_supplies(const TemporaryFolder& folder,
                           const std::vector<SupplyLayout>& supplies) {
    for (const SupplyLayout& supply : supplies) {
        std::string uevent;
        for (const std::string& line : supply.uevent)
            uevent += "POWER_SUPPLY_" + line + "\n";
        if (!supply.uevent.empty()) folder.write(supply.name + "/uevent", uevent);
        for (const auto& [name, text] : supply.files)
            folder.write(supply.name + "/" + name, text + "\n");
    }
}

// ZERARAZI_BATTERY and the provider it names, for the life of the scope.
class BatterySourceScope {
  public:
    explicit BatterySourceScope(const std::string& setting)
        : m_setting("ZERARAZI_BATTERY", setting.c_str()) {
        reselect_battery_provider();
    }

  private:
    struct ReselectAtEnd {
        ~ReselectAtEnd() { reselect_battery_provider(); }
    } m_reselect; // after m_setting has put the variable back
    EnvironmentScope m_setting;
};

inline std::string value_at(CFDictionaryRef dictionary, const char* key) {
    CFStringRef key_string = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    std::string text = describe(cf_object(CFDictionaryGetValue(dictionary, key_string)));
    CFRelease(key_string);
    return text;
}

// A dictionary's keys and described values, in its order; nullopt for no dictionary.
using KeyValues = std::optional<std::vector<std::pair<std::string, std::string>>>;

inline KeyValues key_values_of(CFDictionaryRef dictionary) {
    if (!dictionary) return std::nullopt;
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto& [key, value] : *dictionary) {
        auto* name = dynamic_cast<NSString*>(key.get());
        pairs.emplace_back(name ? name->utf8() : describe(key.get()), describe(value.get()));
    }
    return pairs;
}

// The described value of `key`; for the key "<keys>" all keys joined by commas; "<none>" when
// there is no dictionary.
inline std::string value_in(const KeyValues& pairs, std::string_view key) {
    if (!pairs) return "<none>";
    std::string keys;
    for (const auto& [name, value] : *pairs) {
        if (name == key) return value;
        keys += (keys.empty() ? "" : ",") + name;
    }
    return key == "<keys>" ? keys : "nil";
}

inline KeyValues registry_via_io_kit() {
    io_service_t service =
        IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSmartBattery"));
    if (!service) return std::nullopt;
    CFMutableDictionaryRef properties = nullptr;
    KeyValues pairs;
    if (IORegistryEntryCreateCFProperties(service, &properties, kCFAllocatorDefault, 0) == 0) {
        pairs = key_values_of(properties);
        CFRelease(properties);
    }
    IOObjectRelease(service);
    return pairs;
}

inline KeyValues power_source_via_io_kit() {
    CFTypeRef info = IOPSCopyPowerSourcesInfo();
    CFArrayRef list = info ? IOPSCopyPowerSourcesList(info) : nullptr;
    KeyValues pairs;
    if (list && CFArrayGetCount(list) > 0)
        pairs = key_values_of(IOPSGetPowerSourceDescription(info, CFArrayGetValueAtIndex(list, 0)));
    if (list) CFRelease(list);
    if (info) CFRelease(info);
    return pairs;
}

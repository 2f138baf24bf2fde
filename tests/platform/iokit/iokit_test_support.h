#pragma once
// Helpers shared by the battery-source tests: temporary power_supply folders and recordings
// built from tables, a scoped choice of battery source, and readable views of dictionaries.

#include "platform/foundation/core_foundation.h"
#include "platform/iokit/battery_provider.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
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

// Sets ZERARAZI_BATTERY (null: unsets it) and selects the provider it names, for the life of
// the scope; then restores the former setting and provider choice.
class BatterySourceScope {
  public:
    explicit BatterySourceScope(const char* setting) {
        if (const char* old = std::getenv("ZERARAZI_BATTERY")) m_old = old;
        set(setting);
    }
    explicit BatterySourceScope(const std::string& setting) : BatterySourceScope(setting.c_str()) {}
    ~BatterySourceScope() { set(m_old ? m_old->c_str() : nullptr); }
    BatterySourceScope(const BatterySourceScope&) = delete;
    BatterySourceScope& operator=(const BatterySourceScope&) = delete;

  private:
    static void set(const char* setting) {
        if (setting) {
            ::setenv("ZERARAZI_BATTERY", setting, 1);
        } else {
            ::unsetenv("ZERARAZI_BATTERY");
        }
        reselect_battery_provider();
    }
    std::optional<std::string> m_old;
};

// A dictionary value as text for comparisons: "int:5", "bool:true", "text:abc", "<absent>", or
// the kind for anything else ("data", "date", "array", "dictionary", "other").
inline std::string describe_value(CFTypeRef value) {
    if (!value) return "<absent>";
    CFTypeID type = CFGetTypeID(value);
    if (type == CFBooleanGetTypeID()) {
        return CFBooleanGetValue(static_cast<CFBooleanRef>(value)) ? "bool:true" : "bool:false";
    }
    if (type == CFNumberGetTypeID()) {
        long long number = 0;
        CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberLongLongType, &number);
        return "int:" + std::to_string(number);
    }
    if (type == CFStringGetTypeID()) {
        return "text:" + static_cast<CFStringRef>(value)->utf8();
    }
    if (type == CFDataGetTypeID()) return "data";
    if (type == CFDateGetTypeID()) return "date";
    if (type == CFArrayGetTypeID()) return "array";
    if (type == CFDictionaryGetTypeID()) return "dictionary";
    return "other";
}

inline std::string value_at(CFDictionaryRef dictionary, const char* key) {
    CFStringRef key_string = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    std::string text = describe_value(CFDictionaryGetValue(dictionary, key_string));
    CFRelease(key_string);
    return text;
}

// The keys in the dictionary's order.
inline std::vector<std::string> keys_of(CFDictionaryRef dictionary) {
    std::vector<std::string> keys;
    if (!dictionary) return keys;
    for (const auto& [key, value] : *dictionary)
        keys.push_back(describe_value(key.get()).substr(5));
    return keys;
}

// Expects each {key, described value} of `rows` in the dictionary.
inline void expect_values(CFDictionaryRef dictionary,
                          std::initializer_list<std::pair<const char*, std::string>> rows) {
    for (const auto& [key, expected] : rows)
        EXPECT_EQ(value_at(dictionary, key), expected) << "key " << key;
}

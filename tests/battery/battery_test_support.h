#pragma once
// Shared pieces of the battery tests: a battery platform that gives back a recorded reading, and
// a fixture that installs it and loads a recording the way a refresh reads the battery.

#include "battery/battery_properties.h"
#include "battery/battery_texts.h"
#include "battery/platform/battery_platform.h"
#include "battery/power_source_info.h"
#include "runtime/core/number_text.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/string_functions.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace battery {

class FakeBatteryPlatform final : public BatteryPlatform {
  public:
    std::optional<PlatformProperties> registry;
    std::optional<PlatformProperties> power_source;
    rt::String locale = u"de_DE";

    bool ReadBatteryRegistry(PlatformProperties& properties) override {
        return give(registry, properties);
    }
    bool ReadFirstPowerSource(PlatformProperties& properties) override {
        return give(power_source, properties);
    }
    const rt::String& CurrentLocaleIdentifier() override { return locale; }

  private:
    static bool give(const std::optional<PlatformProperties>& reading,
                     PlatformProperties& properties) {
        properties = reading.value_or(PlatformProperties{});
        return reading.has_value();
    }
};

// A recorded property: an integer, a text or a flag.
inline PlatformProperty num(const char16_t* key, int64_t value) {
    return {key, value};
}
inline PlatformProperty txt(const char16_t* key, const char16_t* value) {
    return {key, rt::String(value)};
}
inline PlatformProperty flag(const char16_t* key, bool value) {
    return {key, value};
}

// Every test starts with no battery, empty texts and the fake platform installed.
class BatteryTest : public testing::Test {
  protected:
    void SetUp() override {
        rt::InitStrings();
        rt::InitLocale();
        set_battery_platform(&m_platform);
        read({});
    }
    void TearDown() override {
        read({});
        set_battery_platform(nullptr);
    }

    // Reads a recording from fresh texts as a refresh does: the registry, the first power source
    // (none: the platform has no description), then the registry's texts.
    void read(PlatformProperties registry, std::optional<PlatformProperties> power = std::nullopt,
              const char16_t* locale = u"de_DE") {
        m_platform.registry = std::move(registry);
        m_platform.power_source = std::move(power);
        m_platform.locale = locale;
        battery_texts() = BatteryTexts{};
        LoadBatteryProperties();
        ReadPowerSourceInfo();
        UpdateBatteryTexts();
    }

    FakeBatteryPlatform& platform() { return m_platform; }

  private:
    FakeBatteryPlatform m_platform;
};

} // namespace battery

#pragma once
// Shared pieces of the battery tests: a battery platform whose readings a test sets, and a
// fixture that installs it with fresh properties and texts.

#include "battery/battery_properties.h"
#include "battery/battery_texts.h"
#include "battery/platform/battery_platform.h"
#include "runtime/core/number_text.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/string_functions.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>

namespace rt {
inline void PrintTo(const String& text, std::ostream* out) {
    *out << '"' << text.utf8() << '"';
}
} // namespace rt

namespace battery {

class FakeBatteryPlatform final : public BatteryPlatform {
  public:
    std::optional<PlatformProperties> registry;
    std::optional<PlatformProperties> power_source;
    rt::String locale = u"de_DE";
    int locale_questions = 0;

    std::optional<PlatformProperties> ReadBatteryRegistry() override { return registry; }
    std::optional<PlatformProperties> ReadFirstPowerSource() override { return power_source; }
    rt::String CurrentLocaleIdentifier() override {
        ++locale_questions;
        return locale;
    }
};

inline PlatformProperty integer_property(const char16_t* key, int64_t value) {
    return {key, value};
}
inline PlatformProperty text_property(const char16_t* key, const char16_t* value) {
    return {key, rt::String(value)};
}
inline PlatformProperty flag_property(const char16_t* key, bool value) {
    return {key, value};
}

// Every test starts with no battery properties, empty texts and the fake platform installed.
class BatteryTest : public testing::Test {
  protected:
    void SetUp() override {
        rt::InitStrings();
        rt::InitLocale();
        set_battery_platform(&m_platform);
        reset();
    }
    void TearDown() override {
        reset();
        set_battery_platform(nullptr);
    }

    // Loads the properties as the registry would give them.
    void load(PlatformProperties properties) {
        m_platform.registry = std::move(properties);
        LoadBatteryProperties();
    }

    FakeBatteryPlatform& platform() { return m_platform; }

  private:
    void reset() {
        m_platform.registry.reset();
        LoadBatteryProperties();
        battery_texts() = BatteryTexts{};
    }

    FakeBatteryPlatform m_platform;
};

} // namespace battery

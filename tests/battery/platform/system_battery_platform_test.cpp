#include "battery/platform/system_battery_platform.h"

#include "../battery_test_support.h"
#include "battery/power_source_info.h"
#include "battery/power_state.h"
#include "battery_source_files.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace battery {
namespace {

constexpr const char* k_registry_and_power_source = R"(<dict>
  <key>Registry</key>
  <dict>
    <key>CurrentCapacity</key><integer>87</integer>
    <key>AppleRawMaxCapacity</key><integer>8079</integer>
    <key>DesignCapacity</key><integer>8755</integer>
    <key>CycleCount</key><integer>412</integer>
    <key>Temperature</key><integer>3031</integer>
    <key>Amperage</key><integer>-1250</integer>
    <key>IsCharging</key><false/>
    <key>ExternalConnected</key><false/>
    <key>DeviceName</key><string>bq20z451</string>
    <key>TimeRemaining</key><integer>125</integer>
  </dict>
  <key>PowerSource</key>
  <dict>
    <key>Name</key><string>InternalBattery-0</string>
    <key>Time to Full Charge</key><integer>-1</integer>
    <key>BatteryHealth</key><string>Good</string>
    <key>LPM Active</key><integer>1</integer>
  </dict>
</dict>)";

class SystemBatteryPlatformTest : public testing::Test {
  protected:
    void SetUp() override {
        rt::InitStrings();
        rt::InitLocale();
        save_locale_variables();
        set_locale(nullptr);
    }
    void TearDown() override {
        restore_locale_variables();
        set_battery_platform(nullptr);
        LoadBatteryProperties();
        battery_texts() = BatteryTexts{};
    }

    // The locale the platform reports, through the variables it reads.
    static void set_locale(const char* value) {
        for (const char* name : {"LANGUAGE", "LC_MESSAGES", "LANG"})
            ::unsetenv(name);
        if (value) {
            ::setenv("LC_ALL", value, 1);
        } else {
            ::unsetenv("LC_ALL");
        }
    }

    void use_recording(const std::string& body) {
        BatterySourceFiles::use_source(m_files.write("battery.plist", property_list(body)));
    }

    BatterySourceFiles m_files;
    SystemBatteryPlatform m_platform;

  private:
    static constexpr const char* k_locale_variables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES",
                                                         "LANG"};

    void save_locale_variables() {
        for (size_t i = 0; i < std::size(k_locale_variables); ++i) {
            const char* value = std::getenv(k_locale_variables[i]);
            m_saved_locale[i] = value ? std::optional<std::string>(value) : std::nullopt;
        }
    }
    void restore_locale_variables() {
        for (size_t i = 0; i < std::size(k_locale_variables); ++i) {
            if (m_saved_locale[i]) {
                ::setenv(k_locale_variables[i], m_saved_locale[i]->c_str(), 1);
            } else {
                ::unsetenv(k_locale_variables[i]);
            }
        }
    }

    std::optional<std::string> m_saved_locale[std::size(k_locale_variables)];
};

TEST_F(SystemBatteryPlatformTest, ReadsTheRegistryEntryOfARecording) {
    use_recording(k_registry_and_power_source);
    const std::optional<PlatformProperties> registry = m_platform.ReadBatteryRegistry();
    ASSERT_TRUE(registry);
    ASSERT_EQ(registry->size(), 10u);
    EXPECT_EQ((*registry)[0].key, u"CurrentCapacity");
    EXPECT_TRUE((*registry)[0].value == PropertyValue(int64_t{87}));
    EXPECT_EQ((*registry)[5].key, u"Amperage");
    EXPECT_TRUE((*registry)[5].value == PropertyValue(int64_t{-1250}));
    EXPECT_TRUE((*registry)[6].value == PropertyValue(false));
    EXPECT_TRUE((*registry)[8].value == PropertyValue(rt::String(u"bq20z451")));
}

TEST_F(SystemBatteryPlatformTest, ReadsTheFirstPowerSourceOfARecording) {
    use_recording(k_registry_and_power_source);
    const std::optional<PlatformProperties> source = m_platform.ReadFirstPowerSource();
    ASSERT_TRUE(source);
    ASSERT_EQ(source->size(), 4u);
    EXPECT_EQ((*source)[1].key, u"Time to Full Charge");
    EXPECT_TRUE((*source)[1].value == PropertyValue(int64_t{-1}));
    EXPECT_TRUE((*source)[2].value == PropertyValue(rt::String(u"Good")));
}

TEST_F(SystemBatteryPlatformTest, FindsNoPowerSourceInAnIoregRecording) {
    use_recording("<array><dict><key>CycleCount</key><integer>5</integer></dict></array>");
    const std::optional<PlatformProperties> registry = m_platform.ReadBatteryRegistry();
    ASSERT_TRUE(registry);
    ASSERT_EQ(registry->size(), 1u);
    EXPECT_EQ((*registry)[0].key, u"CycleCount");
    EXPECT_FALSE(m_platform.ReadFirstPowerSource());
}

TEST_F(SystemBatteryPlatformTest, FindsNothingWithoutABattery) {
    const char* sources[] = {"", "not a property list", "<string>battery</string>"};
    for (const char* source : sources) {
        BatterySourceFiles::use_source(m_files.write("none.plist", source));
        EXPECT_FALSE(m_platform.ReadBatteryRegistry()) << source;
        EXPECT_FALSE(m_platform.ReadFirstPowerSource()) << source;
    }
    m_files.write("empty/.keep", "");
    BatterySourceFiles::use_source(m_files.folder() / "empty");
    EXPECT_FALSE(m_platform.ReadBatteryRegistry());
    EXPECT_FALSE(m_platform.ReadFirstPowerSource());
}

TEST_F(SystemBatteryPlatformTest, ReportsTheLocaleIdentifier) {
    struct Row {
        const char* variable;
        const char16_t* expected;
    };
    const Row rows[] = {
        {"de_DE.UTF-8", u"de_DE"},
        {"en_US.UTF-8", u"en_US"},
        {"en_GB", u"en_GB"},
    };
    for (const Row& row : rows) {
        set_locale(row.variable);
        EXPECT_EQ(m_platform.CurrentLocaleIdentifier(), row.expected) << row.variable;
    }
}

TEST_F(SystemBatteryPlatformTest, RefreshesTheTextsFromARecording) {
    use_recording(k_registry_and_power_source);
    set_battery_platform(&m_platform);
    for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8"}) {
        set_locale(locale);
        LoadBatteryProperties();
        ReadPowerSourceInfo();
        UpdateBatteryTexts();
        const BatteryTexts& texts = battery_texts();
        const bool us = std::string(locale) == "en_US.UTF-8";
        EXPECT_EQ(texts.TemperatureText, us ? u"85.9°F" : u"29.95°C") << locale;
        EXPECT_EQ(texts.TimeLeftText, u"02:05 left");
        EXPECT_EQ(texts.PercentText, u"87%");
        EXPECT_EQ(texts.HealthText, u"92.3% health");
        EXPECT_EQ(texts.FullChargeText, u"Calculating...");
        EXPECT_EQ(texts.ConditionText, u"Good");
        EXPECT_EQ(texts.LowPowerModeText, u"on");
        EXPECT_EQ(DescribePowerSource(), u"Battery Power");
    }
}

TEST_F(SystemBatteryPlatformTest, RefreshesTheTextsFromAPowerSupplyFolder) {
    m_files.write("supplies/AC/uevent", "POWER_SUPPLY_NAME=AC\n"
                                        "POWER_SUPPLY_TYPE=Mains\n"
                                        "POWER_SUPPLY_ONLINE=1\n");
    m_files.write("supplies/BAT0/uevent", "POWER_SUPPLY_NAME=BAT0\n"
                                          "POWER_SUPPLY_TYPE=Battery\n"
                                          "POWER_SUPPLY_STATUS=Charging\n"
                                          "POWER_SUPPLY_PRESENT=1\n"
                                          "POWER_SUPPLY_CYCLE_COUNT=412\n"
                                          "POWER_SUPPLY_VOLTAGE_MIN_DESIGN=11400000\n"
                                          "POWER_SUPPLY_VOLTAGE_NOW=12345000\n"
                                          "POWER_SUPPLY_CURRENT_NOW=1500000\n"
                                          "POWER_SUPPLY_CHARGE_FULL_DESIGN=5000000\n"
                                          "POWER_SUPPLY_CHARGE_FULL=4500000\n"
                                          "POWER_SUPPLY_CHARGE_NOW=2250000\n"
                                          "POWER_SUPPLY_CAPACITY=50\n"
                                          "POWER_SUPPLY_TEMP=300\n"
                                          "POWER_SUPPLY_MODEL_NAME=5B10W13975\n");
    // Without a profile (or the power-profiles service) Low Power Mode is unknown.
    m_files.write("supplies/platform_profile", "balanced\n");
    BatterySourceFiles::use_source(m_files.folder() / "supplies");
    set_battery_platform(&m_platform);
    set_locale("de_DE.UTF-8");
    LoadBatteryProperties();
    ReadPowerSourceInfo();
    UpdateBatteryTexts();
    const BatteryTexts& texts = battery_texts();
    EXPECT_EQ(texts.PercentText, u"50%");
    EXPECT_EQ(texts.CyclesText, u"412 cycles");
    EXPECT_EQ(texts.HealthText, u"90.0% health");
    EXPECT_EQ(texts.TemperatureText, u"30.05°C");
    EXPECT_EQ(texts.TimeLeftText, u"01:30 left");
    EXPECT_EQ(texts.ChargingText, u"Charging");
    EXPECT_EQ(texts.DeviceNameText, u"5B10W13975");
    EXPECT_EQ(texts.FullChargeText, u"90 min to full");
    EXPECT_EQ(texts.ConditionText, u"Good");
    EXPECT_EQ(texts.LowPowerModeText, u"off");
    EXPECT_EQ(GetBatteryValue(u"Voltage"), u"12345");
    EXPECT_EQ(DescribePowerSource(), u"AC Power");
}

} // namespace
} // namespace battery

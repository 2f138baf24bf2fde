#include "app/settings.h"

#include "platform/foundation/ns_user_defaults.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/core/temp_area.h"
#include "runtime/ui/native_message.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace app {
namespace {

namespace fs = std::filesystem;

constexpr const char16_t* k_display_keys[] = {
    u"ShowCycles",   u"ShowCondition", u"ShowPercentage",     u"ShowHealth",
    u"ShowTimeLeft", u"ShowTemp",      u"ShowFullChargeTime", u"ShowCharging"};

// A private home folder with its own defaults store, for the length of a test.
class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rt::InitStrings();
        m_home = fs::temp_directory_path() / ("zerarazi-settings-" + std::to_string(getpid()));
        fs::remove_all(m_home);
        fs::create_directories(m_home);
        if (const char* home = std::getenv("HOME")) m_saved_home = home;
        setenv("HOME", m_home.c_str(), 1);
        reset_standard_user_defaults_for_tests();
    }
    void TearDown() override {
        reset_standard_user_defaults_for_tests();
        setenv("HOME", m_saved_home.c_str(), 1);
        fs::remove_all(m_home);
    }

    // A fresh start: the defaults object as the program gets it, reading the file anew.
    int64_t restart() {
        reset_standard_user_defaults_for_tests();
        return rt::SendNativeMessage(nullptr, 0, u"NSUserDefaults standardUserDefaults");
    }
    fs::path preferences_file() const {
        return m_home / "Library/Preferences/org.zerarazi.Zerarazi.plist";
    }
    // The keys the file holds, as its text shows them.
    std::string file_text() const {
        std::ifstream in(preferences_file());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    int64_t stored(int64_t defaults, const char16_t* key) {
        return rt::SendNativeMessage(nullptr, defaults, u"integerForKey:$", key);
    }

    AutoreleasePoolScope m_pool;
    fs::path m_home;
    std::string m_saved_home;
};

TEST_F(SettingsTest, FirstStartStoresOnlyThePercentageOn) {
    Settings settings;
    settings.display.ShowHealth = 1; // whatever memory held before
    LoadSettingsAtStartUp(restart(), settings);
    EXPECT_EQ(settings.display.ShowPercentage, 1);
    EXPECT_EQ(settings.display.ShowHealth, 0);
    ASSERT_TRUE(fs::exists(preferences_file()));

    const int64_t defaults = restart();
    for (const char16_t* key : k_display_keys)
        EXPECT_EQ(stored(defaults, key), std::u16string_view(key) == u"ShowPercentage" ? 1 : 0);
    EXPECT_EQ(file_text().find("<key>Login</key>"), std::string::npos);
    EXPECT_NE(file_text().find("<key>ShowCharging</key>"), std::string::npos);
}

TEST_F(SettingsTest, ReadsWhatWasStoredInTableOrder) {
    Settings written;
    written.display.ShowCycles = 1;
    written.display.ShowTemp = 1;
    written.display.ShowCharging = 7; // any non-zero value is on, and kept as it is
    StoreDisplaySettings(restart(), written.display);
    StoreStartAtLogin(rt::SendNativeMessage(nullptr, 0, u"NSUserDefaults standardUserDefaults"), 1);

    Settings read;
    LoadSettingsAtStartUp(restart(), read);
    EXPECT_EQ(read.display.ShowCycles, 1);
    EXPECT_EQ(read.display.ShowPercentage, 0);
    EXPECT_EQ(read.display.ShowTemp, 1);
    EXPECT_EQ(read.display.ShowCharging, 7);
    EXPECT_EQ(read.StartAtLogin, 1);
    EXPECT_LT(file_text().find("<key>ShowCycles</key>"),
              file_text().find("<key>ShowCharging</key>"));
}

TEST_F(SettingsTest, AFileWithoutTheKeysTurnsThePercentageOnAndStoresIt) {
    fs::create_directories(preferences_file().parent_path());
    std::ofstream(preferences_file()) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                         "<plist version=\"1.0\"><dict><key>Other</key>"
                                         "<integer>3</integer></dict></plist>\n";
    Settings settings;
    LoadSettingsAtStartUp(restart(), settings);
    EXPECT_EQ(settings.display.ShowPercentage, 1);
    EXPECT_EQ(settings.StartAtLogin, 0);
    const int64_t defaults = restart();
    EXPECT_EQ(stored(defaults, u"ShowPercentage"), 1);
    EXPECT_EQ(stored(defaults, u"Other"), 3);
}

TEST_F(SettingsTest, LoginKeepsTheLowEightBits) {
    const int64_t defaults = restart();
    rt::SendNativeMessage(nullptr, defaults, u"setInteger:", 0x1FF, u"forKey:$", u"Login");
    rt::SendNativeMessage(nullptr, defaults, u"setInteger:", 1, u"forKey:$", u"ShowHealth");
    Settings settings;
    ReadSettings(defaults, settings);
    EXPECT_EQ(settings.StartAtLogin, 0xFF);
    EXPECT_EQ(settings.display.ShowHealth, 1);
    EXPECT_EQ(settings.display.ShowPercentage, 0); // the invariant holds already
}

} // namespace
} // namespace app

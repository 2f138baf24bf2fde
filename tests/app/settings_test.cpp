#include "app/settings.h"

#include "platform/foundation/ns_user_defaults.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/core/temp_area.h"
#include "runtime/ui/native_message.h"
#include "tests/support/environment_scope.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

namespace app {
namespace {

// A private home folder with its own defaults store, for the length of a test. Storing and
// reading the boxes as a person does is the end-to-end tests'.
class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rt::InitStrings();
        reset_standard_user_defaults_for_tests();
    }
    void TearDown() override { reset_standard_user_defaults_for_tests(); }

    // A fresh start: the defaults object as the program gets it, reading the file anew.
    int64_t restart() {
        reset_standard_user_defaults_for_tests();
        return rt::SendNativeMessage(nullptr, 0, u"NSUserDefaults standardUserDefaults");
    }
    int64_t stored(int64_t defaults, const char16_t* key) {
        return rt::SendNativeMessage(nullptr, defaults, u"integerForKey:$", key);
    }

    AutoreleasePoolScope m_pool;
    TemporaryFolder m_home{"zerarazi-settings-"};
    EnvironmentScope m_home_scope{"HOME", m_home.path().c_str()};
};

TEST_F(SettingsTest, AFileWithoutTheKeysTurnsThePercentageOnAndStoresIt) {
    m_home.write("Library/Preferences/org.zerarazi.Zerarazi.plist",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                 "<key>Other</key><integer>3</integer></dict></plist>\n");
    Settings settings;
    settings.display.ShowHealth = 1; // whatever memory held before
    LoadSettingsAtStartUp(restart(), settings);
    EXPECT_EQ(std::tuple(settings.display.ShowPercentage, settings.display.ShowHealth,
                         settings.StartAtLogin),
              std::tuple(1, 0, 0));
    const int64_t defaults = restart();
    EXPECT_EQ(std::tuple(stored(defaults, u"ShowPercentage"), stored(defaults, u"Other")),
              std::tuple(1, 3));
}

TEST_F(SettingsTest, LoginKeepsTheLowEightBitsAndTheBoxesTheirValues) {
    const int64_t defaults = restart();
    rt::SendNativeMessage(nullptr, defaults, u"setInteger:", 0x1FF, u"forKey:$", u"Login");
    rt::SendNativeMessage(nullptr, defaults, u"setInteger:", 7, u"forKey:$", u"ShowHealth");
    Settings settings;
    ReadSettings(defaults, settings);
    EXPECT_EQ(settings.StartAtLogin, 0xFF);
    EXPECT_EQ(settings.display.ShowHealth, 7);     // any non-zero value is on, and kept as it is
    EXPECT_EQ(settings.display.ShowPercentage, 0); // the invariant holds already
}

// Absent keys give the defaults; a threshold is kept only when a charge can fall to it.
TEST_F(SettingsTest, WarningSettingsReadTheirKeysAndKeepTheDefaultsForAnythingElse) {
    struct Case {
        std::vector<std::pair<const char16_t*, int64_t>> stored;
        bool enabled;
        int low;
        int critical;
        bool beside_desktop;
    };
    const std::vector<Case> cases = {
        {{}, true, 20, 5, false},
        {{{u"LowWarningPercent", 35}, {u"CriticalWarningPercent", 10}}, true, 35, 10, false},
        {{{u"LowWarningPercent", 1}, {u"CriticalWarningPercent", 99}}, true, 1, 99, false},
        {{{u"LowWarningPercent", 100}, {u"CriticalWarningPercent", 0}}, true, 20, 5, false},
        {{{u"LowWarningPercent", -20}}, true, 20, 5, false},
        {{{u"WarningsOff", 1}, {u"WarnBesideDesktop", 1}}, false, 20, 5, true},
        {{{u"WarningsOff", 2}, {u"WarnBesideDesktop", 2}}, true, 20, 5, false},
    };
    // Nothing is synchronized: each restart reads the empty file anew.
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const int64_t defaults = restart();
        for (const auto& [key, value] : cases[i].stored)
            rt::SendNativeMessage(nullptr, defaults, u"setInteger:", value, u"forKey:$", key);
        const WarningSettings read = ReadWarningSettings(defaults);
        EXPECT_EQ(
            std::tuple(read.enabled, read.low_percent, read.critical_percent,
                       read.even_where_desktop_warns),
            std::tuple(cases[i].enabled, cases[i].low, cases[i].critical, cases[i].beside_desktop));
    }
}

} // namespace
} // namespace app

#include "platform/foundation/ns_user_defaults.h"

#include "platform/foundation/ns_data.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/problem_report.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_faults.h"
#include "tests/support/objc_values.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

namespace {

namespace fs = std::filesystem;

class NSUserDefaultsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_standard_user_defaults_for_tests();
        forget_reported_problems_for_tests();
    }
    void TearDown() override { reset_standard_user_defaults_for_tests(); }

    fs::path preferences() const { return m_home.path() / "Library" / "Preferences"; }
    std::string file() const { return (preferences() / "org.zerarazi.Zerarazi.plist").string(); }
    static NSUserDefaults* standard() {
        return NSUserDefaults::standardUserDefaults(class_named("NSUserDefaults"));
    }
    static NSUserDefaults* restarted() {
        reset_standard_user_defaults_for_tests();
        return standard();
    }
    void put_settings_file(std::string_view bytes) const {
        fs::create_directories(preferences());
        put_file(file(), bytes);
    }

    TemporaryFolder m_home{"defaults-test-"};
    EnvironmentScope m_home_variable{"HOME", m_home.path().c_str()};
};

} // namespace

TEST_F(NSUserDefaultsTest, WritesNothingUntilAValueIsSynchronizedThenAPrivateFile) {
    AutoreleasePoolScope pool;
    NSUserDefaults* defaults = standard();
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->path(), file());
    EXPECT_EQ(defaults->synchronize(), YES);
    EXPECT_FALSE(fs::exists(m_home.path() / "Library")) << "nothing to write, so no file";
    defaults->setInteger(1, string(u"ShowPercentage"));
    EXPECT_FALSE(fs::exists(file())) << "written only by synchronize";
    ASSERT_EQ(defaults->synchronize(), YES) << defaults->last_error();
    EXPECT_EQ(file_mode(file()), 0600u);
    EXPECT_EQ(file_mode(preferences()), 0700u);
    EXPECT_EQ(fs::directory_iterator(preferences())->path().filename(),
              "org.zerarazi.Zerarazi.plist")
        << "no temporary file left behind";
}

// Reading and writing the application's keys is shown with the settings; what stays here is
// what the store decides: registered values are never written and lose to stored ones.
TEST_F(NSUserDefaultsTest, RegisteredValuesLoseToStoredOnesAndAreNeverWritten) {
    {
        AutoreleasePoolScope pool;
        NSUserDefaults* defaults = standard();
        defaults->registerDefaults(
            NSDictionary::make(std::vector<id>{string(u"ShowTemp"), string(u"Registered")},
                               std::vector<id>{integer(1), integer(1)})
                .get());
        EXPECT_EQ(defaults->integerForKey(string(u"ShowTemp")), 1);
        defaults->setInteger(0, string(u"ShowTemp"));
        EXPECT_EQ(defaults->integerForKey(string(u"ShowTemp")), 0) << "the stored value wins";
        ASSERT_EQ(defaults->synchronize(), YES) << defaults->last_error();
    }
    AutoreleasePoolScope pool;
    NSUserDefaults* defaults = restarted();
    // The first question after a start reads the file, whichever it is.
    EXPECT_EQ(describe(defaults->objectForKey(string(u"ShowTemp"))), "int 0");
    EXPECT_EQ(defaults->integerForKey(string(u"ShowTemp")), 0);
    EXPECT_EQ(defaults->integerForKey(string(u"Registered")), 0);
}

TEST_F(NSUserDefaultsTest, KeepsEachDamagedFileAsideByteForByteBeforeReplacingIt) {
    // The last is a property list, but not a dictionary.
    const std::string damaged[] = {"<?xml version=\"1.0\"?><plist><dict><key>ShowCycles",
                                   "second bad file", "<plist version=\"1.0\"><array/></plist>"};
    {
        put_settings_file(damaged[0]);
        AutoreleasePoolScope pool;
        EXPECT_EQ(standard()->integerForKey(string(u"ShowCycles")), 0);
        EXPECT_EQ(standard()->synchronize(), YES);
        EXPECT_EQ(file_bytes(file()), damaged[0]) << "left alone while nothing changed";
    }
    for (const std::string& bytes : damaged) {
        put_settings_file(bytes);
        AutoreleasePoolScope pool;
        restarted()->setInteger(1, string(u"ShowHealth"));
        ASSERT_EQ(standard()->synchronize(), YES) << standard()->last_error();
    }
    EXPECT_EQ(file_bytes(file() + ".corrupt"), damaged[0]);
    EXPECT_EQ(file_bytes(file() + ".corrupt.1"), damaged[1]);
    EXPECT_EQ(file_bytes(file() + ".corrupt.2"), damaged[2]);
    AutoreleasePoolScope pool;
    EXPECT_EQ(restarted()->integerForKey(string(u"ShowHealth")), 1);
}

namespace {

// A home that cannot take the settings file: HOME is `home` in a fresh folder, which holds
// `blocker` (a file, or a folder when it is "/") at `blocked`. In the texts, {root} stands for the
// fresh folder and {file} for the settings file.
struct BrokenHome {
    const char* name;
    std::string home, blocked, blocker;
    std::string said; // on standard error
    bool full_disk = false;
};

std::string filled_in(std::string text, const fs::path& root) {
    for (auto [mark, value] : {std::pair<std::string, std::string>{"{root}", root.string()},
                               {"{file}", standard_user_defaults_path()}}) {
        for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark))
            text.replace(at, mark.size(), value);
    }
    return text;
}

const std::string k_settings_file = "home/Library/Preferences/org.zerarazi.Zerarazi.plist";
const std::string k_cannot_store = "zerarazi: cannot store settings in {file}: ";

} // namespace

// Each of these once stored nothing without a word, and some left a half-written file behind;
// each problem is said once.
TEST_F(NSUserDefaultsTest, ASettingThatCannotBeStoredIsSaidOnceAndNothingIsTouched) {
    const std::string settings =
        "<plist version=\"1.0\"><dict><key>ShowTemp</key><integer>0</integer></dict></plist>";
    const BrokenHome rows[] = {
        {"the settings file is a folder", "home", k_settings_file, "/",
         "zerarazi: cannot read settings from {file}: not a regular file; using the defaults, and "
         "storing none there\n" +
             k_cannot_store + "it could not be read (not a regular file) and is left as it is\n"},
        {"the disk is full", "home", k_settings_file, settings,
         k_cannot_store + "write: File too large\n", true},
    };
    // Larger than the full disk's room, which leaves room for what is said on standard error.
    const std::u16string note(8192, u'n');
    constexpr rlim_t k_room = 4096;
    for (const BrokenHome& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder root("defaults-broken-home-");
        const fs::path blocked = root.path() / row.blocked;
        fs::create_directories(row.blocker == "/" ? blocked : blocked.parent_path());
        if (row.blocker != "/") put_file(blocked.string(), row.blocker);
        EnvironmentScope home("HOME", (root.path() / row.home).c_str());
        reset_standard_user_defaults_for_tests();
        forget_reported_problems_for_tests();
        const auto before = test_support::tree_of(root.path());
        testing::internal::CaptureStderr();
        {
            AutoreleasePoolScope pool;
            NSUserDefaults* defaults = standard();
            defaults->setObject(string(note), string(u"Note"));
            for (NSInteger value : {1, 2}) {
                defaults->setInteger(value, string(u"ShowTemp"));
                std::optional<test_support::FileSizeLimit> limit;
                if (row.full_disk) limit.emplace(k_room);
                EXPECT_EQ(defaults->synchronize(), NO);
            }
            EXPECT_EQ(defaults->integerForKey(string(u"ShowTemp")), 2) << "kept in memory";
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), filled_in(row.said, root.path()));
        EXPECT_EQ(test_support::tree_of(root.path()), before)
            << "nothing written, moved or left behind";
    }
}

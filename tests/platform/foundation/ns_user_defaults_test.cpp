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

// Each test runs with HOME at a new empty folder and a fresh shared instance.
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
    // The shared instance as the next start of the program would see it.
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
    EXPECT_EQ(file_mode(m_home.path() / "Library"), 0700u);
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
        defaults->setInteger(std::numeric_limits<NSInteger>::min(), string(u"Lowest"));
        ASSERT_EQ(defaults->synchronize(), YES) << defaults->last_error();
    }
    AutoreleasePoolScope pool;
    NSUserDefaults* defaults = restarted();
    // The first question after a start reads the file, whichever it is.
    auto* stored = dynamic_cast<NSNumber*>(defaults->objectForKey(string(u"ShowTemp")));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->integer(), 0);
    EXPECT_EQ(defaults->integerForKey(string(u"Lowest")), std::numeric_limits<NSInteger>::min());
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

TEST_F(NSUserDefaultsTest, IntegerForKeyReadsNumbersAndLeadingDigitsOfStrings) {
    constexpr NSInteger k_max = std::numeric_limits<NSInteger>::max();
    constexpr NSInteger k_min = std::numeric_limits<NSInteger>::min();
    AutoreleasePoolScope pool;
    const struct {
        const char* name;
        id value;
        NSInteger expected;
    } rows[] = {
        {"integer", integer(-7), -7},
        {"real, truncated", NSNumber::make(2.9).autorelease(), 2},
        {"huge real, held in range", NSNumber::make(1e30).autorelease(), k_max},
        {"YES", NSBoolean::shared(true), 1},
        {"digits", string(u"42"), 42},
        {"blanks, sign, then junk", string(u" \t-17abc"), -17},
        {"no digits", string(u"abc"), 0},
        {"too large", string(u"99999999999999999999"), k_max},
        {"too small", string(u"-99999999999999999999"), k_min},
        {"lowest exactly", string(u"-9223372036854775808"), k_min},
        {"data", NSData::make({}).autorelease(), 0},
    };
    NSUserDefaults* defaults = standard();
    for (const auto& row : rows) {
        defaults->setObject(row.value, string(u"Key"));
        EXPECT_EQ(defaults->integerForKey(string(u"Key")), row.expected) << row.name;
    }
    EXPECT_EQ(defaults->integerForKey(string(u"Missing")), 0);
    EXPECT_EQ(defaults->integerForKey(nil), 0);
    EXPECT_EQ(defaults->integerForKey(integer(1)), 0) << "keys are strings";
}

namespace {

// A home that cannot take the settings file: HOME is `home` in a fresh folder, which holds
// `blocker` (a file, a folder when it is "/", a link to what follows "->") at `blocked`. In the
// texts, {root} stands for the fresh folder and {file} for the settings file.
struct BrokenHome {
    const char* name;
    std::string home;
    std::string blocked; // empty: nothing there
    std::string blocker;
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
        {"HOME is a file", "file", "file", "x", k_cannot_store + "{root}/file: Not a directory\n"},
        {"the settings file is a folder", "home", k_settings_file, "/",
         "zerarazi: cannot read settings from {file}: not a regular file; using the defaults, and "
         "storing none there\n" +
             k_cannot_store + "it could not be read (not a regular file) and is left as it is\n"},
        {"Library is a dangling link", "home", "home/Library", "->missing",
         k_cannot_store + "mkdir {root}/home/Library/Preferences: No such file or directory\n"},
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
        if (row.blocker == "/") {
            fs::create_directories(blocked);
        } else if (!row.blocked.empty()) {
            fs::create_directories(blocked.parent_path());
            if (row.blocker.starts_with("->"))
                fs::create_symlink(row.blocker.substr(2), blocked);
            else
                put_file(blocked.string(), row.blocker);
        }
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

// A file another program wrote since this one last read or wrote it was once overwritten.
TEST_F(NSUserDefaultsTest, AFileWrittenByAnotherProgramMeanwhileIsKeptAsideBeforeTheNextWrite) {
    const std::string valid =
        "<plist version=\"1.0\"><dict><key>Other</key><integer>7</integer></dict></plist>";
    const struct {
        const char* name;
        bool written_here_first; // else no file is there at first use
        std::optional<std::string> other_program_writes;
        bool by_renaming = false; // a new inode; else rewritten in place
        const char* reason = "";
    } rows[] = {
        {"nothing else wrote", true, std::nullopt},
        {"damaged in place", true, "garbage", false,
         "it was changed by another program and is damaged"},
        {"a valid file in place", true, valid, false, "it was changed by another program"},
        {"a valid file by renaming", true, valid, true, "it was changed by another program"},
        {"made where there was none", false, valid, false, "it was changed by another program"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(m_home.path() / "Library");
        forget_reported_problems_for_tests();
        AutoreleasePoolScope pool;
        NSUserDefaults* defaults = restarted();
        defaults->setInteger(1, string(u"ShowTemp"));
        if (row.written_here_first) {
            ASSERT_EQ(defaults->synchronize(), YES);
        }
        if (row.other_program_writes) {
            fs::create_directories(preferences());
            const std::string target = row.by_renaming ? file() + ".new" : file();
            put_file(target, *row.other_program_writes);
            if (row.by_renaming) fs::rename(target, file());
        }
        testing::internal::CaptureStderr();
        defaults->setInteger(2, string(u"ShowTemp"));
        ASSERT_EQ(defaults->synchronize(), YES) << defaults->last_error();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(restarted()->integerForKey(string(u"ShowTemp")), 2);
        if (!row.other_program_writes) {
            EXPECT_FALSE(fs::exists(file() + ".corrupt"));
            EXPECT_EQ(said, "");
            continue;
        }
        EXPECT_EQ(file_bytes(file() + ".corrupt"), *row.other_program_writes);
        EXPECT_EQ(said, "zerarazi: kept " + file() + " aside as " + file() +
                            ".corrupt: " + row.reason + "\n");
    }
}

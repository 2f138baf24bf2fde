#include "platform/foundation/ns_user_defaults.h"

#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_data.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/problem_report.h"
#include "platform/foundation/property_list.h"
#include "tests/platform/foundation/foundation_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_faults.h"
#include "tests/support/objc_values.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

mode_t mode_of(const fs::path& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

std::size_t occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Each test runs with HOME set to a new empty folder and a fresh shared instance; HOME and the
// instance are restored and dropped afterwards.
class NSUserDefaultsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* home = std::getenv("HOME")) m_saved_home = home;
        std::string pattern = (fs::temp_directory_path() / "defaults-test-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        m_home = pattern;
        setenv("HOME", m_home.c_str(), 1);
        reset_standard_user_defaults_for_tests();
        forget_reported_problems_for_tests();
    }
    void TearDown() override {
        reset_standard_user_defaults_for_tests();
        if (m_saved_home)
            setenv("HOME", m_saved_home->c_str(), 1);
        else
            unsetenv("HOME");
        std::error_code ignored;
        fs::remove_all(m_home, ignored);
    }

    fs::path preferences() const { return m_home / "Library" / "Preferences"; }
    std::string file() const { return (preferences() / "org.zerarazi.Zerarazi.plist").string(); }
    static NSUserDefaults* standard() {
        return NSUserDefaults::standardUserDefaults(class_named("NSUserDefaults"));
    }
    // The shared instance as the next start of the program would see it.
    static NSUserDefaults* restarted() {
        reset_standard_user_defaults_for_tests();
        return standard();
    }
    // A file that is kept aside must hold exactly these bytes.
    void put_damaged_file(std::string_view bytes) const {
        fs::create_directories(preferences());
        put_file(file(), bytes);
    }

    fs::path m_home;
    std::optional<std::string> m_saved_home;
};

} // namespace

TEST_F(NSUserDefaultsTest, FirstRunHasNoFileUntilAValueIsSynchronized) {
    AutoreleasePoolScope pool;
    NSUserDefaults* defaults = standard();
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults, standard());
    EXPECT_EQ(defaults->path(), file());
    EXPECT_EQ(defaults->integerForKey(string(u"ShowPercentage")), 0);
    EXPECT_EQ(defaults->synchronize(), YES);
    EXPECT_FALSE(fs::exists(m_home / "Library")) << "nothing to write, so no file";

    defaults->setInteger(1, string(u"ShowPercentage"));
    EXPECT_FALSE(fs::exists(file())) << "written only by synchronize";
    ASSERT_EQ(defaults->synchronize(), YES) << defaults->last_error();
    EXPECT_EQ(mode_of(file()), 0600u);
    EXPECT_EQ(mode_of(preferences()), 0700u);
    EXPECT_EQ(mode_of(m_home / "Library"), 0700u);
    EXPECT_EQ(fs::directory_iterator(preferences())->path().filename(),
              "org.zerarazi.Zerarazi.plist")
        << "the only file: no temporary file left behind";
}

TEST_F(NSUserDefaultsTest, ValuesSurviveARestartInTheirOrder) {
    {
        AutoreleasePoolScope pool;
        NSUserDefaults* defaults = standard();
        for (std::u16string_view key : {u"ShowCycles", u"ShowCondition", u"ShowPercentage"})
            defaults->setInteger(key == u"ShowPercentage" ? 1 : 0, string(key));
        defaults->setInteger(std::numeric_limits<NSInteger>::min(), string(u"Lowest"));
        defaults->setObject(string(u"caf\u00e9"), string(u"Name"));
        defaults->setObject(
            NSArray::make(std::vector<id>{integer(7), NSBoolean::shared(true)}).get(),
            string(u"List"));
        ASSERT_EQ(defaults->synchronize(), YES) << defaults->last_error();
    }
    AutoreleasePoolScope pool;
    NSUserDefaults* defaults = restarted();
    EXPECT_EQ(defaults->integerForKey(string(u"ShowPercentage")), 1);
    EXPECT_EQ(defaults->integerForKey(string(u"ShowCycles")), 0);
    EXPECT_EQ(defaults->integerForKey(string(u"Lowest")), std::numeric_limits<NSInteger>::min());
    EXPECT_EQ(text_of(defaults->objectForKey(string(u"Name"))), "caf\u00e9");
    auto* list = dynamic_cast<NSArray*>(defaults->objectForKey(string(u"List")));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->objectAtIndex(1), NSBoolean::shared(true));

    ObjcRef<> root = read_property_list_file(file());
    auto* stored = dynamic_cast<NSDictionary*>(root.get());
    ASSERT_TRUE(stored);
    std::vector<std::string> keys;
    for (const auto& [key, value] : *stored)
        keys.push_back(text_of(key.get()));
    EXPECT_EQ(keys, (std::vector<std::string>{"ShowCycles", "ShowCondition", "ShowPercentage",
                                              "Lowest", "Name", "List"}));
}

TEST_F(NSUserDefaultsTest, RemovingAKeyReachesTheFile) {
    AutoreleasePoolScope pool;
    standard()->setInteger(5, string(u"Login"));
    standard()->setInteger(1, string(u"ShowTemp"));
    ASSERT_EQ(standard()->synchronize(), YES);
    restarted()->removeObjectForKey(string(u"Login"));
    ASSERT_EQ(standard()->synchronize(), YES);
    EXPECT_EQ(restarted()->objectForKey(string(u"Login")), nil);
    EXPECT_EQ(standard()->integerForKey(string(u"ShowTemp")), 1);
}

TEST_F(NSUserDefaultsTest, RegisteredDefaultsAnswerAfterStoredValuesAndAreNeverWritten) {
    AutoreleasePoolScope pool;
    NSUserDefaults* defaults = standard();
    defaults->registerDefaults(
        NSDictionary::make(std::vector<id>{string(u"ShowPercentage"), string(u"ShowTemp")},
                           std::vector<id>{integer(1), integer(1)})
            .get());
    EXPECT_EQ(defaults->integerForKey(string(u"ShowTemp")), 1);
    defaults->setInteger(0, string(u"ShowTemp"));
    EXPECT_EQ(defaults->integerForKey(string(u"ShowTemp")), 0) << "the stored value wins";
    ASSERT_EQ(defaults->synchronize(), YES);

    ObjcRef<> root = read_property_list_file(file());
    auto* stored = dynamic_cast<NSDictionary*>(root.get());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->count(), 1u);
    EXPECT_EQ(stored->objectForKey(string(u"ShowPercentage")), nil);
    EXPECT_EQ(restarted()->integerForKey(string(u"ShowPercentage")), 0);
}

TEST_F(NSUserDefaultsTest, AnUnparsableFileIsKeptAsideByteForByte) {
    const std::string damaged = "<?xml version=\"1.0\"?><plist><dict><key>ShowCycles";
    put_damaged_file(damaged);
    AutoreleasePoolScope pool;
    NSUserDefaults* defaults = standard();
    EXPECT_EQ(defaults->integerForKey(string(u"ShowCycles")), 0);
    EXPECT_EQ(defaults->synchronize(), YES);
    EXPECT_EQ(file_bytes(file()), damaged) << "left alone while nothing changed";

    defaults->setInteger(1, string(u"ShowPercentage"));
    ASSERT_EQ(defaults->synchronize(), YES) << defaults->last_error();
    EXPECT_EQ(file_bytes(file() + ".corrupt"), damaged);
    EXPECT_EQ(restarted()->integerForKey(string(u"ShowPercentage")), 1);
}

TEST_F(NSUserDefaultsTest, KeepingAsideNeverReplacesAnEarlierCorruptFile) {
    // The last is a property list, but not a dictionary.
    const std::string damaged[] = {"first bad file", "second bad file",
                                   "<plist version=\"1.0\"><array/></plist>"};
    for (const std::string& bytes : damaged) {
        put_damaged_file(bytes);
        AutoreleasePoolScope pool;
        restarted()->setInteger(1, string(u"ShowHealth"));
        ASSERT_EQ(standard()->synchronize(), YES) << standard()->last_error();
    }
    EXPECT_EQ(file_bytes(file() + ".corrupt"), damaged[0]);
    EXPECT_EQ(file_bytes(file() + ".corrupt.1"), damaged[1]);
    EXPECT_EQ(file_bytes(file() + ".corrupt.2"), damaged[2]);
}

TEST_F(NSUserDefaultsTest, AFolderAtTheFilesPlaceIsNeverReplacedAndTheWriteIsRetried) {
    fs::create_directories(file());
    AutoreleasePoolScope pool;
    NSUserDefaults* defaults = standard();
    defaults->setInteger(1, string(u"ShowPercentage"));
    EXPECT_EQ(defaults->synchronize(), NO);
    EXPECT_FALSE(defaults->last_error().empty());
    EXPECT_TRUE(fs::is_directory(file()));
    EXPECT_EQ(defaults->integerForKey(string(u"ShowPercentage")), 1) << "kept in memory";
    fs::remove(file());
    EXPECT_EQ(defaults->synchronize(), YES) << "retried: " << defaults->last_error();
    EXPECT_EQ(restarted()->integerForKey(string(u"ShowPercentage")), 1);
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
        {"negative real, truncated", NSNumber::make(-2.9).autorelease(), -2},
        {"huge real, held in range", NSNumber::make(1e30).autorelease(), k_max},
        {"YES", NSBoolean::shared(true), 1},
        {"digits", string(u"42"), 42},
        {"blanks, sign, then junk", string(u" \t-17abc"), -17},
        {"plus sign", string(u"+8"), 8},
        {"no digits", string(u"abc"), 0},
        {"empty string", string(u""), 0},
        {"too large", string(u"99999999999999999999"), k_max},
        {"too small", string(u"-99999999999999999999"), k_min},
        {"lowest exactly", string(u"-9223372036854775808"), k_min},
        {"data", NSData::make({}).autorelease(), 0},
        {"array", NSArray::make({}).autorelease(), 0},
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

TEST_F(NSUserDefaultsTest, StoresCopiesOfPropertyListsOnlyAndNilRemoves) {
    AutoreleasePoolScope pool;
    NSUserDefaults* defaults = standard();
    defaults->setInteger(4, string(u"Key"));
    defaults->setObject(class_named("NSObject"), string(u"Key"));
    EXPECT_EQ(defaults->integerForKey(string(u"Key")), 4);
    defaults->setInteger(5, integer(1));
    EXPECT_EQ(defaults->objectForKey(integer(1)), nil);
    defaults->setObject(nil, string(u"Key"));
    EXPECT_EQ(defaults->objectForKey(string(u"Key")), nil);

    NSMutableArray* list = NSMutableArray::make().autorelease();
    list->addObject(integer(1));
    defaults->setObject(list, string(u"List"));
    list->addObject(integer(2));
    auto* stored = dynamic_cast<NSArray*>(defaults->objectForKey(string(u"List")));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->count(), 1u) << "a copy is stored, not the caller's array";
}

TEST_F(NSUserDefaultsTest, AnswersMessagesSentByName) {
    AutoreleasePoolScope pool;
    Class cls = class_named("NSUserDefaults");
    ASSERT_TRUE(cls);
    id defaults = objc_msgSend(cls, sel_registerName("standardUserDefaults"));
    ASSERT_EQ(defaults, id(standard()));
    id key = string(u"ShowPercentage");
    // The invocation path, as a "$" argument takes: every argument from a 64-bit slot.
    invoke_with_slots(defaults, "setInteger:forKey:", {5, slot_of(key)});
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(
                  objc_msgSend(defaults, sel_registerName("integerForKey:"), key)),
              5);
    msg_send<void>(defaults, "setInteger:forKey:", NSInteger{-2}, key);
    EXPECT_EQ(msg_send<NSInteger>(defaults, "integerForKey:", key), -2);
    EXPECT_EQ(msg_send<BOOL>(defaults, "synchronize"), YES);
    EXPECT_EQ(restarted()->integerForKey(key), -2);
}

TEST_F(NSUserDefaultsTest, FindsTheHomeFolderInThePasswordDatabaseWithoutHome) {
    unsetenv("HOME");
    const passwd* entry = getpwuid(getuid());
    ASSERT_TRUE(entry && entry->pw_dir);
    std::string home = entry->pw_dir;
    if (home == "/") home.clear();
    EXPECT_EQ(standard_user_defaults_path(),
              home + "/Library/Preferences/org.zerarazi.Zerarazi.plist");
}

namespace {

// A home that cannot take the settings file. `setup` builds it in a fresh folder and answers
// HOME; in the texts, {root} stands for that folder and {file} for the settings file.
struct BrokenHome {
    const char* name;
    std::function<fs::path(const fs::path& root)> setup;
    const char* store_reason;
    const char* read_reason = nullptr; // said at first use, for a file that cannot be read
    bool needs_permissions = false;    // meaningless for root, who ignores them
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

fs::path home_with(const fs::path& root, const std::string& settings_file_text) {
    fs::create_directories(root / "home/Library/Preferences");
    put_file((root / "home/Library/Preferences/org.zerarazi.Zerarazi.plist").string(),
             settings_file_text);
    return root / "home";
}

} // namespace

// Each of these once stored nothing without a word, and some left a half-written file behind.
TEST_F(NSUserDefaultsTest, ASettingThatCannotBeStoredIsSaidOnceAndNothingIsTouched) {
    const std::string settings =
        "<plist version=\"1.0\"><dict><key>ShowTemp</key><integer>0</integer></dict></plist>";
    const BrokenHome rows[] = {
        {"HOME is a file",
         [](const fs::path& root) {
             put_file((root / "file").string(), "x");
             return root / "file";
         },
         "{root}/file: Not a directory"},
        {"Library is a file",
         [](const fs::path& root) {
             fs::create_directories(root / "home");
             put_file((root / "home/Library").string(), "x");
             return root / "home";
         },
         "{root}/home/Library: Not a directory"},
        {"Preferences is a file",
         [](const fs::path& root) {
             fs::create_directories(root / "home/Library");
             put_file((root / "home/Library/Preferences").string(), "x");
             return root / "home";
         },
         "{root}/home/Library/Preferences: Not a directory"},
        {"the settings file is a folder",
         [](const fs::path& root) {
             fs::create_directories(root / "home/Library/Preferences/org.zerarazi.Zerarazi.plist");
             return root / "home";
         },
         "it could not be read (not a regular file) and is left as it is", "not a regular file"},
        {"the home folder is missing", [](const fs::path& root) { return root / "missing"; },
         "{root}/missing: No such file or directory"},
        {"the settings file is a symbolic link to itself",
         [](const fs::path& root) {
             fs::create_directories(root / "home/Library/Preferences");
             fs::create_symlink("org.zerarazi.Zerarazi.plist",
                                root / "home/Library/Preferences/org.zerarazi.Zerarazi.plist");
             return root / "home";
         },
         "it could not be read (open: Too many levels of symbolic links) and is left as it is",
         "open: Too many levels of symbolic links"},
        {"the disk is full", [&](const fs::path& root) { return home_with(root, settings); },
         "write: File too large", nullptr, false, true},
        {"the home folder is read-only",
         [](const fs::path& root) {
             fs::create_directories(root / "home");
             fs::permissions(root / "home", fs::perms::owner_read | fs::perms::owner_exec);
             return root / "home";
         },
         "mkdir {root}/home/Library: Permission denied", nullptr, true},
        {"the settings file cannot be read",
         [&](const fs::path& root) {
             fs::path home = home_with(root, settings);
             fs::permissions(home / "Library/Preferences/org.zerarazi.Zerarazi.plist",
                             fs::perms::none);
             return home;
         },
         "it could not be read (open: Permission denied) and is left as it is",
         "open: Permission denied", true},
    };
    // Larger than the full disk's room, which leaves room for what is said on standard error.
    const std::u16string note(8192, u'n');
    constexpr rlim_t k_room = 4096;
    for (const BrokenHome& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.needs_permissions && test_support::running_as_root()) {
            std::printf("[ SKIPPED  ] %s: root ignores permissions\n", row.name);
            continue;
        }
        TemporaryFolder root("defaults-broken-home-");
        EnvironmentScope home("HOME", row.setup(root.path()).c_str());
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
        const std::string said = testing::internal::GetCapturedStderr();
        const std::string store_line = filled_in(
            "zerarazi: cannot store settings in {file}: " + std::string(row.store_reason) + "\n",
            root.path());
        EXPECT_EQ(occurrences(said, store_line), 1u) << said;
        EXPECT_EQ(occurrences(said, "zerarazi: "), row.read_reason ? 2u : 1u) << said;
        if (row.read_reason) {
            EXPECT_NE(said.find(filled_in("zerarazi: cannot read settings from {file}: " +
                                              std::string(row.read_reason) + "; ",
                                          root.path())),
                      std::string::npos)
                << said;
        }
        EXPECT_EQ(test_support::tree_of(root.path()), before)
            << "nothing written, moved or left behind";
        std::error_code ignored; // rows without a home folder
        fs::permissions(root.path() / "home", fs::perms::owner_all, ignored);
    }
}

// A file another program wrote since this one last read or wrote it was once overwritten.
TEST_F(NSUserDefaultsTest, AFileWrittenByAnotherProgramMeanwhileIsKeptAsideBeforeTheNextWrite) {
    struct Row {
        const char* name;
        bool written_here_first; // else no file is there at first use
        std::optional<std::string> other_program_writes;
        bool by_renaming = false; // a new inode; else rewritten in place
        const char* reason = "";
    };
    const std::string valid =
        "<plist version=\"1.0\"><dict><key>Other</key><integer>7</integer></dict></plist>";
    const Row rows[] = {
        {"nothing else wrote", true, std::nullopt},
        {"damaged in place", true, "garbage", false,
         "it was changed by another program and is damaged"},
        {"a valid file in place", true, valid, false, "it was changed by another program"},
        {"a valid file by renaming", true, valid, true, "it was changed by another program"},
        {"made where there was none", false, valid, false, "it was changed by another program"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(m_home / "Library");
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

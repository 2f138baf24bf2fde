#include "platform/foundation/ns_user_defaults.h"

#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_data.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/property_list.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

NSString* string(std::u16string_view units) {
    return NSString::make(units).autorelease();
}
NSNumber* integer(std::int64_t value) {
    return NSNumber::make(value).autorelease();
}

std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void put_file(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
}

mode_t mode_of(const fs::path& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
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

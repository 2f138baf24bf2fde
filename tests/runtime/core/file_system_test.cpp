#include "runtime/core/file_system.h"

#include "runtime/core/file_replacement.h"
#include "runtime/core/temp_area.h"
#include "tests/runtime/core/temp_result.h"
#include "tests/support/environment_scope.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace rt {
namespace {

class FileSystem : public ::testing::Test {
  protected:
    void SetUp() override {
        InitStrings();
        put_file(native("empty"), "");
        put_file(native("sized"), std::string(12345, 'x'));
        put_file(native("caf\xC3\xA9"), "abc");
        std::filesystem::create_directory(native("folder"));
    }

    std::string native(std::string_view name) const { return m_folder / name; }
    String path(std::string_view name) const { return String::from_utf8(native(name)); }

    TemporaryFolder m_folder{"file-system-"};
};

String too_long_path() {
    std::u16string path;
    for (int i = 0; i < 40; ++i)
        path += u"/" + std::u16string(200, u'd');
    return String(path);
}

TEST_F(FileSystem, TellsSizesAndKindsOfPaths) {
    const std::tuple<const char*, String, int64_t> rows[] = {
        {"null", String(), -1},
        {"missing", path("missing"), -1},
        {"directory with a slash", path("folder/"), -2},
        {"empty file", path("empty"), 0},
        {"file", path("sized"), 12345},
        {"non-ASCII name", path("caf\xC3\xA9"), 3},
        {"name too long", String(u"/tmp/" + std::u16string(300, u'n')), -1},
        {"path too long", too_long_path(), -1},
        {"broken surrogate", path("sized") + u"\xD800", -1}};
    for (const auto& [what, file, expected] : rows)
        EXPECT_EQ(FileByteSize(file), expected) << what;
}

// Each row runs on what the rows before it left. A broken path must not be cut short to the name
// before the surrogate: no folder "made" appears, and the file "cut" stays.
TEST_F(FileSystem, MakesNewDirectoriesAndRemovesFilesOnly) {
    put_file(native("cut"), "must stay");
    const String broken = path("cut") + u"\xD800" + u"x";
    const std::tuple<const char*, bool, String, int, int64_t> rows[] = {
        {"make new", true, path("new"), 1, -2},
        {"make an existing directory", true, path("folder"), 0, -2},
        {"make over a file", true, path("sized"), 0, 12345},
        {"make below a missing folder", true, path("none/new"), 0, -1},
        {"make empty", true, String(u""), 0, -1},
        {"make broken", true, path("made") + u"\xD800" + u"x", 0, -1},
        {"remove a file", false, path("sized"), 1, -1},
        {"remove it again", false, path("sized"), 0, -1},
        {"remove a directory", false, path("folder"), 0, -2},
        {"remove empty", false, String(u""), 0, -1},
        {"remove broken", false, broken, 0, -1}};
    for (const auto& [what, make, target, expected, size_after] : rows) {
        EXPECT_EQ(make ? MakeDirectory(target) : RemoveFile(target, 0), expected) << what;
        EXPECT_EQ(FileByteSize(target), size_after) << what;
    }
    EXPECT_EQ(RemoveFile(path("empty"), 2), 1) << "mode 2 removes as well";
    EXPECT_EQ(FileByteSize(path("made")), -1);
    EXPECT_EQ(FileByteSize(path("cut")), 9);
    struct stat info {};
    ASSERT_EQ(::stat(native("new").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u);
}

TEST(HomeFolderPath, EndsTheHomeVariableWithExactlyOneSlash) {
    InitStrings();
    const std::pair<const char*, std::u16string_view> rows[] = {
        {"/home/user", u"/home/user/"},
        {"/home/user///", u"/home/user/"},
        {"///", u"/"},
        {"/home/caf\xC3\xA9", u"/home/caf\u00E9/"},
        // Bytes that no runtime string gives back would name another folder.
        {"/home/cut\xC3", u""},
        {"/home/bad\xFF", u""}};
    for (const auto& [value, expected] : rows) {
        const EnvironmentScope home("HOME", value);
        EXPECT_EQ(HomeFolderPath().view(), expected) << value;
    }
    const EnvironmentScope home("HOME", "/home/user");
    EXPECT_EQ(result_above_live([](TempOffset p) { return HomeFolderPath(p); }), u"/home/user/");
}

TEST(HomeFolderPath, FallsBackToThePasswordDatabaseWithoutAnAbsoluteHome) {
    InitStrings();
    const passwd* entry = ::getpwuid(::getuid());
    std::string expected;
    if (entry && entry->pw_dir && entry->pw_dir[0]) {
        expected = entry->pw_dir;
        while (!expected.empty() && expected.back() == '/')
            expected.pop_back();
        expected += '/';
    }
    // A relative HOME would move with the current folder, into the application's bundle.
    for (const char* home : {static_cast<const char*>(nullptr), "", "relative/home", "."}) {
        const EnvironmentScope variable("HOME", home);
        EXPECT_EQ(HomeFolderPath().utf8(), expected) << (home ? home : "no HOME");
    }
}

namespace fs = std::filesystem;

std::size_t entries_in(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

// A link at the agent's place once had its target overwritten.
TEST(ReplaceFileText, ReplacesASymbolicLinkItselfAndLeavesItsTargetAlone) {
    InitStrings();
    TemporaryFolder folder("replace-file-text-");
    folder.write("target", "someone else's file");
    fs::create_symlink(folder.file("target"), folder.file("agent"));
    ASSERT_EQ(ReplaceFileText(String::from_utf8(folder.file("agent")), u"caf\u00e9\n"), 1);
    EXPECT_FALSE(fs::is_symlink(folder.file("agent")));
    EXPECT_EQ(file_bytes(folder.file("agent")), "caf\xC3\xA9\n");
    EXPECT_EQ(fs::status(folder.file("agent")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    EXPECT_EQ(file_bytes(folder.file("target")), "someone else's file");
    EXPECT_EQ(entries_in(folder.path()), 2u) << "no temporary file left behind";
}

TEST(ReplaceFileText, AFailureLeavesTheOldFileAndSaysWhyInErrno) {
    InitStrings();
    TemporaryFolder folder("replace-file-text-");
    folder.write("old", "old");
    fs::create_directory(folder.file("folder"));
    const char16_t unpaired[] = {u'a', 0xD800, u'b', 0};
    const std::tuple<const char*, std::string, const char16_t*, int> rows[] = {
        {"empty path", "", u"x", EINVAL},
        {"missing folder", folder.file("missing/file"), u"x", ENOENT},
        {"a folder in the way", folder.file("folder"), u"x", EISDIR},
        {"a text UTF-8 cannot carry", folder.file("old"), unpaired, EILSEQ}};
    for (const auto& [name, path, text, error] : rows) {
        errno = 0;
        EXPECT_EQ(ReplaceFileText(String::from_utf8(path), text), 0) << name;
        EXPECT_EQ(errno, error) << name;
    }
    EXPECT_EQ(file_bytes(folder.file("old")), "old");
    EXPECT_TRUE(fs::is_directory(folder.file("folder")));
    EXPECT_EQ(entries_in(folder.path()), 2u) << "no temporary file left behind";
}

} // namespace
} // namespace rt

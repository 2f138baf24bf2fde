#include "runtime/core/file_replacement.h"

#include "runtime/core/temp_area.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace rt {
namespace {

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
    struct Row {
        const char* name;
        std::string path;
        const char16_t* text;
        int error;
    };
    const Row rows[] = {{"empty path", "", u"x", EINVAL},
                        {"missing folder", folder.file("missing/file"), u"x", ENOENT},
                        {"a folder in the way", folder.file("folder"), u"x", EISDIR},
                        {"a text UTF-8 cannot carry", folder.file("old"), unpaired, EILSEQ}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        errno = 0;
        EXPECT_EQ(ReplaceFileText(String::from_utf8(row.path), row.text), 0);
        EXPECT_EQ(errno, row.error);
    }
    EXPECT_EQ(file_bytes(folder.file("old")), "old");
    EXPECT_TRUE(fs::is_directory(folder.file("folder")));
    EXPECT_EQ(entries_in(folder.path()), 2u) << "no temporary file left behind";
}

} // namespace
} // namespace rt

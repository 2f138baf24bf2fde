#include "privileged/state_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

SystemPaths paths_in(const TemporaryFolder& folder) {
    SystemPaths paths;
    paths.state = folder / "var/lib/zerarazi";
    return paths;
}

TEST(StateFile, KeepsTheLimitInAFileAnyoneMayRead) {
    TemporaryFolder folder;
    const SystemPaths paths = paths_in(folder);
    fs::create_directories(folder / "var/lib");
    EXPECT_EQ(read_stored_limit(paths), std::nullopt);
    const mode_t old_mask = ::umask(077);
    EXPECT_EQ(store_limit(paths, 80), 0);
    ::umask(old_mask);
    EXPECT_EQ(read_stored_limit(paths), 80u);
    EXPECT_EQ(file_mode(paths.state_file()), 0644u);
    EXPECT_EQ(store_limit(paths, 100), 0);
    EXPECT_EQ(read_stored_limit(paths), 100u);
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(paths.state), fs::directory_iterator()), 1);
}

TEST(StateFile, ReadsNothingButAValidLimit) {
    TemporaryFolder folder;
    const SystemPaths paths = paths_in(folder);
    for (const char* text :
         {"", "49\n", "101\n", "80 percent\n", "eighty\n", "800000000\n", "\n"}) {
        folder.write("var/lib/zerarazi/charge-limit", text);
        EXPECT_EQ(read_stored_limit(paths), std::nullopt) << text;
    }
    for (const auto& [text, limit] : {std::pair{"50\n", 50u}, {"90", 90u}, {"100\n", 100u}}) {
        folder.write("var/lib/zerarazi/charge-limit", text);
        EXPECT_EQ(read_stored_limit(paths), limit) << text;
    }
}

TEST(StateFile, ReadsNoLinkAndLeavesTheOldFileWhenTheNewCannotBeWritten) {
    TemporaryFolder folder;
    const SystemPaths paths = paths_in(folder);
    const std::string elsewhere = folder.write("elsewhere", "70\n");
    fs::create_directories(paths.state);
    fs::create_symlink(elsewhere, paths.state_file());
    EXPECT_EQ(read_stored_limit(paths), std::nullopt);

    // A state "folder" that is a file: nothing can be stored.
    SystemPaths broken = paths;
    broken.state = elsewhere;
    EXPECT_NE(store_limit(broken, 80), 0);

    // A folder in the file's place cannot be replaced: the failure is told, nothing is left.
    fs::remove(paths.state_file());
    folder.write("var/lib/zerarazi/charge-limit/inside", "");
    EXPECT_NE(store_limit(paths, 80), 0);
    EXPECT_FALSE(fs::exists(paths.state + "/.charge-limit.new"));
    fs::remove_all(paths.state_file());

    // A crash's leftover does not stop the next store.
    folder.write("var/lib/zerarazi/.charge-limit.new", "garbage");
    EXPECT_EQ(store_limit(paths, 60), 0);
    EXPECT_EQ(read_stored_limit(paths), 60u);
}

} // namespace

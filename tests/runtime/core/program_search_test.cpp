#include "runtime/core/program_search.h"

#include "tests/runtime/core/process_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace rt {
namespace {

using process_testing::write_file;
namespace fs = std::filesystem;

constexpr auto executable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec;
constexpr auto readable = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;

std::optional<std::string> found(const std::string& program,
                                 const std::optional<std::string>& search_path) {
    char* path = find_program(program.c_str(), search_path ? search_path->c_str() : nullptr);
    if (!path) return std::nullopt;
    std::string result = path;
    std::free(path);
    return result;
}

// A name without a slash is looked for in each PATH element in turn, the first runnable file
// winning; a name holding a slash is taken as it is, from the working folder when relative. The
// folders hold things named "tool": a directory, an empty executable file, a file that may not be
// executed, and runnable files.
TEST(ProgramSearch, TakesTheFirstPathElementThatHoldsARunnableFileOrTheNamedOne) {
    const TemporaryFolder folder{"zerarazi process "};
    const fs::path root = folder.path();
    for (const char* place : {"dir/tool", "empty", "plain", "first", "second", "sub/x"})
        fs::create_directories(root / place);
    write_file(root / "empty/tool", "", executable);
    write_file(root / "plain/tool", "#!/bin/sh\n", readable);
    for (const char* runnable : {"first/tool", "second/tool", "sub/x/tool"})
        write_file(root / runnable, "#!/bin/sh\n", executable);
    const process_testing::ScopedWorkingDirectory inside(root);
    auto in_root = [&](const char* name) { return (root / name).string(); };
    const std::string dir = in_root("dir"), empty = in_root("empty"), plain = in_root("plain");
    const std::string first = in_root("first"), second = in_root("second");
    const std::string with_sub = first + ":" + in_root("sub");
    struct Row {
        std::string program;
        std::optional<std::string> search_path;
        std::optional<std::string> expected;
    };
    const Row rows[] = {
        {"tool", dir + ":" + empty + ":" + plain + ":" + first + ":" + second, first + "/tool"},
        {"tool", second + ":" + first, second + "/tool"},
        {"tool", "::" + first + "/:", first + "/tool"},
        {"tool", dir + ":" + empty + ":" + plain, std::nullopt},
        {"tool", "", std::nullopt},
        {"tool", std::nullopt, std::nullopt},
        {in_root("second/tool"), with_sub, in_root("second/tool")},
        {in_root("empty/tool"), with_sub, std::nullopt},
        {in_root("plain/tool"), with_sub, std::nullopt},
        {in_root("dir/tool"), with_sub, std::nullopt},
        {"./first/tool", with_sub, "./first/tool"},
        {"first/tool", with_sub, "first/tool"},
        {"./tool", with_sub, std::nullopt},
        {"x/tool", with_sub, std::nullopt},
        {"", with_sub, std::nullopt}};
    for (const Row& row : rows) {
        EXPECT_EQ(found(row.program, row.search_path), row.expected)
            << "program " << row.program << ", PATH " << row.search_path.value_or("(missing)");
    }
}

} // namespace
} // namespace rt

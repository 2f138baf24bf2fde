// The README's example, run as written from the project's folder: what it promises a reader must
// hold for the bundle this build made.

#include "tests/e2e/app_run.h"

#include <gtest/gtest.h>

#include <sstream>

namespace e2e {
namespace {

const fs::path k_source_folder = ZERARAZI_SOURCE_DIR;
constexpr std::string_view k_written_bundle = "build/release/Zerarazi.app";

// The README's indented command lines, their continuations joined.
std::vector<std::string> readme_commands() {
    std::istringstream readme(file_bytes(k_source_folder / "README.md"));
    std::vector<std::string> commands;
    bool continued = false;
    for (std::string line; std::getline(readme, line);) {
        if (!line.starts_with("    ")) continue;
        line = line.substr(line.find_first_not_of(' '));
        if (!continued) commands.emplace_back();
        continued = line.ends_with("\\");
        commands.back() += continued ? line.substr(0, line.size() - 1) : line;
    }
    return commands;
}

// `command` with the bundle it names replaced by the one this build made.
std::string for_this_build(std::string command) {
    const std::size_t at = command.find(k_written_bundle);
    if (at != std::string::npos)
        command.replace(at, k_written_bundle.size(), built_bundle().string());
    return command;
}

TEST(Readme, ExampleShowsTheSampleBatteryAndQuits) {
    const std::vector<std::string> commands = readme_commands();
    ASSERT_EQ(commands.size(), 1u) << "the README's examples changed; check them here";
    ASSERT_NE(commands[0].find(k_written_bundle), std::string::npos) << commands[0];
    TempHome home;
    AppRun run = run_app(home, {.environment = {"ZERARAZI_BATTERY=", "ZERARAZI_DISPLAY="},
                                .command = {"/bin/sh", "-c", for_this_build(commands[0])},
                                .directory = k_source_folder});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    EXPECT_EQ(run.errors, "");
    auto status = run.first("status");
    ASSERT_TRUE(status) << run.transcript();
    EXPECT_TRUE(status->string("title").value_or("").ends_with("%")) << run.transcript();
    EXPECT_TRUE(run.first("alert")) << run.transcript();
    ASSERT_TRUE(run.last("exit")) << run.transcript();
    EXPECT_EQ(run.last("exit")->integer("status"), 0);
}

} // namespace
} // namespace e2e

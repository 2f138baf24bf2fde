// The README's example, run as written from the project's folder: what it promises a reader must
// hold for the bundle this build made.

#include "tests/e2e/app_run.h"

#include <gtest/gtest.h>

#include <sstream>

namespace e2e {
namespace {

TEST(Readme, ExampleShowsTheSampleBatteryAndQuits) {
    // The README's indented command lines, their continuations joined.
    std::istringstream readme(file_bytes(ZERARAZI_SOURCE_DIR "/README.md"));
    std::vector<std::string> commands;
    bool continued = false;
    for (std::string line; std::getline(readme, line);) {
        if (!line.starts_with("    ")) continue;
        line = line.substr(line.find_first_not_of(' '));
        if (!continued) commands.emplace_back();
        continued = line.ends_with("\\");
        commands.back() += continued ? line.substr(0, line.size() - 1) : line;
    }
    ASSERT_EQ(commands.size(), 1u) << "the README's examples changed; check them here";
    constexpr std::string_view written_bundle = "build/release/Zerarazi.app";
    const std::size_t at = commands[0].find(written_bundle);
    ASSERT_NE(at, std::string::npos) << commands[0];
    commands[0].replace(at, written_bundle.size(), built_bundle().string());
    TempHome home;
    AppRun run = run_app(home, {.environment = {"ZERARAZI_BATTERY=", "ZERARAZI_DISPLAY="},
                                .command = {"/bin/sh", "-c", commands[0]},
                                .directory = ZERARAZI_SOURCE_DIR});
    ASSERT_TRUE(run.exited_cleanly() && run.first("status") && run.last("exit"))
        << run.transcript();
    EXPECT_EQ(run.errors, "");
    EXPECT_TRUE(run.first("status")->string("title").value_or("").ends_with("%"));
    EXPECT_TRUE(run.first("alert")) << run.transcript();
    EXPECT_EQ(run.last("exit")->integer("status"), 0);
}

} // namespace
} // namespace e2e

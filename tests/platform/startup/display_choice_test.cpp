#include "platform/startup/display_choice.h"

#include "tests/support/environment_scope.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

namespace {

TEST(DisplayChoice, FollowsTheSettingElseTheSurroundings) {
    struct Row {
        DisplaySurroundings surroundings;
        std::optional<DisplayKind> chosen;
    };
    const Row rows[] = {
        {{.setting = "driver", .input_is_terminal = true, .output_is_terminal = true},
         DisplayKind::driver},
        {{.setting = "terminal"}, DisplayKind::terminal},
        {{.setting = "desktop", .desktop_built = true}, DisplayKind::desktop},
        // A desktop this build lacks, or a name of nothing, is no display at all.
        {{.setting = "desktop"}, std::nullopt},
        {{.setting = "Terminal"}, std::nullopt},
        // Unset or empty: the desktop, then a terminal on both ends, then the driver.
        {{.setting = "", .desktop_session = true, .desktop_built = true}, DisplayKind::desktop},
        {{.input_is_terminal = true, .output_is_terminal = true, .desktop_session = true},
         DisplayKind::terminal},
        {{.input_is_terminal = true}, DisplayKind::driver},
        {{.output_is_terminal = true}, DisplayKind::driver},
        {{}, DisplayKind::driver},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(choose_display_kind(rows[i].surroundings), rows[i].chosen) << "row " << i;
    // The driver's virtual time has its own sleep and wake; the displays on real time follow the
    // system's.
    EXPECT_FALSE(follows_system_bus(DisplayKind::driver));
    EXPECT_TRUE(follows_system_bus(DisplayKind::terminal));
    EXPECT_TRUE(follows_system_bus(DisplayKind::desktop));
}

// What the process finds around it: a terminal on either end, and the setting, which spares
// asking the session bus for a desktop.
TEST(DisplayChoice, FindsTheTerminalOnEachEndAndTheSetting) {
    int terminal = -1, other_end = -1, pipe_ends[2];
    ASSERT_EQ(::openpty(&other_end, &terminal, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(::pipe(pipe_ends), 0);
    EnvironmentScope setting("ZERARAZI_DISPLAY", "driver");
    const int saved_in = ::dup(STDIN_FILENO), saved_out = ::dup(STDOUT_FILENO);
    for (bool input_is_terminal : {true, false}) {
        ::dup2(input_is_terminal ? terminal : pipe_ends[0], STDIN_FILENO);
        ::dup2(input_is_terminal ? pipe_ends[1] : terminal, STDOUT_FILENO);
        const DisplaySurroundings found = current_display_surroundings();
        ::dup2(saved_out, STDOUT_FILENO);
        EXPECT_EQ(std::string(found.setting), "driver");
        EXPECT_EQ(found.input_is_terminal, input_is_terminal);
        EXPECT_EQ(found.output_is_terminal, !input_is_terminal);
        EXPECT_FALSE(found.desktop_session);
    }
    ::dup2(saved_in, STDIN_FILENO);
    for (int fd : {terminal, other_end, pipe_ends[0], pipe_ends[1], saved_in, saved_out})
        ::close(fd);
}

} // namespace

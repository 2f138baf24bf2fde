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
        // Unset or empty: the desktop, then a terminal on both ends, then the driver.
        {{.setting = "", .desktop_session = true, .desktop_built = true}, DisplayKind::desktop},
        {{.input_is_terminal = true, .output_is_terminal = true, .desktop_session = true},
         DisplayKind::terminal},
        {{.input_is_terminal = true}, DisplayKind::driver},
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

} // namespace

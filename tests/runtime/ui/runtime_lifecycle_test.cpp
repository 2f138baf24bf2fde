#include "runtime/ui/runtime_lifecycle.h"

#include "runtime/core/dates.h"
#include "runtime/core/images.h"
#include "runtime/core/object_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rt {
namespace {

TEST(RuntimeLifecycle, EndLetsGoOfWhatTheLibrariesHoldAndStartCanRunAgain) {
    char name[] = "runtime_lifecycle_test";
    char* arguments[] = {name, nullptr};
    ASSERT_EQ(StartRuntime(1, arguments), 1);
    EXPECT_EQ(program_argument_count(), 1);
    EXPECT_EQ(program_arguments()[0], name);
    EXPECT_TRUE(dates_ready());
    ASSERT_NE(NewImage(3, 4, 4, 32, -1), 0);

    EndRuntime();
    EXPECT_FALSE(dates_ready());
    EXPECT_EQ(ImageHandle(3), 0);

    ASSERT_EQ(StartRuntime(1, arguments), 1);
    EXPECT_TRUE(dates_ready());
    EndRuntime();
}

std::vector<std::string> step_names(std::span<const RuntimeStep> steps) {
    std::vector<std::string> names;
    for (const RuntimeStep& step : steps)
        names.emplace_back(step.name);
    return names;
}

// Every library starts after those it uses; files end first.
TEST(RuntimeLifecycle, StartsAndEndsInTheOrderTheLibrariesDependOn) {
    const std::vector<std::string> start = {
        "BringProcessToFront", "InitApplication", "InitLocale",        "EnterBundleContents",
        "InitStrings",         "InitMaps",        "InitMemory",        "InitFiles",
        "InitArrays",          "InitLists",       "InitVectorDrawing", "InitImageCodecs",
        "RegisterBMPCodec",    "InitImages",      "InitScreens",       "InitObjectRecords",
        "InitDrawing",         "InitEvents",      "InitWindows",       "InitMenus",
        "InitDates",           "InitGadgets",     "InitMessageBox",    "InitProcesses"};
    EXPECT_EQ(step_names(runtime_start_steps()), start);
    const std::vector<std::string> end = {"EndFiles", "EndDates", "EndImages", "EndDrawing",
                                          "EndObjectRecords"};
    EXPECT_EQ(step_names(runtime_end_steps()), end);
}

} // namespace
} // namespace rt

#include "runtime/ui/runtime_lifecycle.h"

#include "runtime/core/dates.h"
#include "runtime/core/images.h"
#include "runtime/core/object_table.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(RuntimeLifecycle, EndLetsGoOfWhatTheLibrariesHoldAndStartCanRunAgain) {
    char name[] = "runtime_lifecycle_test";
    char* arguments[] = {name, nullptr};
    ASSERT_EQ(StartRuntime(1, arguments), 1);
    EXPECT_EQ(std::tuple(program_argument_count(), program_arguments()[0], dates_ready()),
              std::tuple(1, name, true));
    ASSERT_NE(NewImage(3, 4, 4, 32, -1), 0);

    EndRuntime();
    EXPECT_EQ(std::tuple(dates_ready(), ImageHandle(3)), std::tuple(false, 0));

    ASSERT_EQ(StartRuntime(1, arguments), 1);
    EXPECT_TRUE(dates_ready());
    EndRuntime();
}

} // namespace
} // namespace rt

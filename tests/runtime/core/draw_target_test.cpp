#include "runtime/core/draw_target.h"

#include <gtest/gtest.h>

namespace {

struct Calls {
    int started = 0, stopped = 0, finished = 0;
    int64_t finished_with = -1;
    int64_t start_result = 0;
};

Calls g_calls;

rt::DrawTarget* counting_target(int64_t start_result) {
    g_calls = Calls{};
    g_calls.start_result = start_result;
    rt::DrawTarget* target = rt::CreateDrawTarget(rt::DrawTargetFormat32);
    target->start = [](rt::DrawTarget*) {
        ++g_calls.started;
        return g_calls.start_result;
    };
    target->stop = [](rt::DrawTarget*, int64_t, int64_t) { ++g_calls.stopped; };
    target->finish = [](rt::DrawTarget*, int64_t changed) {
        ++g_calls.finished;
        g_calls.finished_with = changed;
    };
    target->width = 7;
    target->height = 3;
    return target;
}

} // namespace

TEST(DrawTarget, APassRunsStartThenStopAndFinishWithChanges) {
    ASSERT_EQ(rt::InitDrawing(), 1);
    rt::DrawTarget* target = counting_target(99);
    EXPECT_EQ(rt::CurrentDrawTarget(), target);
    EXPECT_EQ(rt::DrawTargetWidth(), 0); // the output size comes with BeginDrawing
    EXPECT_EQ(rt::BeginDrawing(target), 99);
    EXPECT_EQ(rt::DrawTargetWidth(), 7);
    EXPECT_EQ(rt::DrawTargetHeight(), 3);
    rt::EndDrawing();
    EXPECT_EQ(g_calls.started, 1);
    EXPECT_EQ(g_calls.stopped, 1);
    EXPECT_EQ(g_calls.finished_with, 1);
    EXPECT_EQ(rt::CurrentDrawTarget(), nullptr);
    rt::EndDrawing(); // nothing current: nothing happens
    EXPECT_EQ(g_calls.finished, 1);

    // A failed start finishes unchanged and discards the target.
    EXPECT_EQ(rt::BeginDrawing(counting_target(0)), 0);
    EXPECT_EQ(g_calls.stopped, 0);
    EXPECT_EQ(g_calls.finished_with, 0);
    EXPECT_EQ(rt::CurrentDrawTarget(), nullptr);
    EXPECT_EQ(rt::BeginDrawing(nullptr), 0);
}

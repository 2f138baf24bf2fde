// One application event's round trip through the whole pump over the driver display: the post
// (which puts a wake event into the native queue), the WaitEvent that takes it, and the wait that
// takes the wake event from the native queue. The bare std::deque beside it is
// BM_DequePushThenPop in event_queue_bench.cpp, in the same program.

#include "platform/display/driver/driver_display.h"
#include "platform/startup/model_on_display.h"
#include "runtime/ui/application.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/wait_event.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <sstream>

namespace {

void BM_PostAppEventThenWaitEvent(benchmark::State& state) {
    std::istringstream script;
    std::ostringstream output;
    DriverDisplay display(script, output);
    ModelOnDisplay shown(display);
    rt::InitApplication();
    rt::InitEvents();
    int64_t object = 0;
    int64_t unexpected = 0;
    for (auto _ : state) {
        rt::PostAppEvent(70000, 0, ++object);
        if (rt::WaitEvent() != 70000) ++unexpected;
        if (rt::WaitEventTimeout(0) != -1) ++unexpected; // the post's wake event
    }
    if (unexpected) state.SkipWithError("the pump did not return the posted event");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostAppEventThenWaitEvent);

} // namespace

// One event through the runtime's queue against a bare std::deque of the same records, in the
// same run: an application post (never coalesced, callbacks deferred to the take) and a window
// event (compared with the tail, callbacks dispatched at the post), each followed by its take;
// the same with a binding table that holds keys, so that every post or take looks them up; and
// the deque's push_back and pop_front.

#include "runtime/ui/event_bindings.h"
#include "runtime/ui/event_queue.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <deque>

namespace {

// The native queue of a running application usually holds nothing when a post arrives.
struct IdleWaker : rt::NativeEventWaker {
    int64_t wakes = 0;
    bool native_event_pending() override { return false; }
    void post_wake_event() override { ++wakes; }
};

void unused_callback() {}

void prepare_queue(IdleWaker& waker, bool with_bindings) {
    rt::InitEvents();
    rt::set_native_event_waker(&waker);
    if (!with_bindings) return;
    // Keys of other objects: every lookup hashes and misses, as for a program with a few bound
    // gadgets and events it does not bind.
    for (int64_t object = 100; object < 108; ++object)
        rt::AddEventBinding(rt::EventKindGadget, 1, object, unused_callback, -1);
}

void finish_queue(benchmark::State& state, const IdleWaker& waker) {
    rt::set_native_event_waker(nullptr);
    rt::InitEvents();
    state.SetItemsProcessed(state.iterations());
    state.counters["wakes/op"] =
        benchmark::Counter(static_cast<double>(waker.wakes) / state.iterations());
}

void BM_PostAppEventThenTake(benchmark::State& state) {
    IdleWaker waker;
    prepare_queue(waker, state.range(0) != 0);
    int64_t object = 0;
    for (auto _ : state) {
        rt::PostAppEvent(70000, 0, ++object);
        benchmark::DoNotOptimize(rt::TakeEvent());
    }
    finish_queue(state, waker);
}
BENCHMARK(BM_PostAppEventThenTake)->ArgName("bindings")->Arg(0)->Arg(1);

void BM_QueueWindowEventThenTake(benchmark::State& state) {
    IdleWaker waker;
    prepare_queue(waker, state.range(0) != 0);
    for (auto _ : state) {
        rt::QueueEvent(rt::EventKindGadget, 7, 1, 0);
        benchmark::DoNotOptimize(rt::TakeEvent());
    }
    finish_queue(state, waker);
}
BENCHMARK(BM_QueueWindowEventThenTake)->ArgName("bindings")->Arg(0)->Arg(1);

void BM_DequePushThenPop(benchmark::State& state) {
    std::deque<rt::EventRecord> queue;
    int64_t object = 0;
    for (auto _ : state) {
        queue.push_back({nullptr, 70000, 0, ++object, 0, 0, nullptr, nullptr});
        benchmark::DoNotOptimize(queue.front().kind);
        queue.pop_front();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DequePushThenPop);

} // namespace

#include "platform/appkit/main_thread_tasks.h"

#include "platform/display/display_slot.h"
#include "platform/foundation/ns_run_loop.h"

#include <mutex>
#include <utility>
#include <vector>

namespace {

using Tasks = std::vector<std::function<void()>>;

// A vector, not a deque: an empty one allocates nothing, and the main thread takes the tasks at
// every wait, nearly always finding none.
struct TaskQueue {
    std::mutex mutex;
    Tasks tasks;
};

// Immortal: a thread may still queue a task while the process ends.
TaskQueue& task_queue() {
    static auto* queue = new TaskQueue;
    return *queue;
}

Tasks take_queued_tasks() {
    TaskQueue& queue = task_queue();
    std::lock_guard lock(queue.mutex);
    return std::exchange(queue.tasks, {});
}

} // namespace

void perform_on_main_thread(std::function<void()> task) {
    if (!task) return;
    {
        TaskQueue& queue = task_queue();
        std::lock_guard lock(queue.mutex);
        queue.tasks.push_back(std::move(task));
    }
    NSRunLoop::main()->wake();
    interrupt_display_wait();
}

int run_main_thread_tasks() {
    int ran = 0;
    // A task may queue another; it runs in this pass too.
    for (auto tasks = take_queued_tasks(); !tasks.empty(); tasks = take_queued_tasks()) {
        for (auto& task : tasks) {
            task();
            ++ran;
        }
    }
    return ran;
}

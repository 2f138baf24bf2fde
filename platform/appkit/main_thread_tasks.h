#pragma once
// Work that another thread hands to the main thread: the system's sleep and wake notices arrive
// on the system bus's thread, yet notifications are posted and timers stopped on the main thread.
// A task is queued, the main run loop is woken and the display's wait is cut short through the
// display slot (display_slot.h says which thread may do what); the application carries the task
// out at its next wait for events (nextEventMatchingMask...), or an alert's modal loop at its
// next pass, in the order tasks were queued.

#include <functional>

// Thread-safe. The task runs on the main thread, once; tasks still queued when the process ends
// never run.
void perform_on_main_thread(std::function<void()> task);

// Main thread only: runs every task queued so far; returns how many ran.
int run_main_thread_tasks();

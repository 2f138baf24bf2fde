#pragma once
// The runtime's locking conventions: every mutex is recursive, and process-wide mutexes that may
// be needed before start-up has finished are created through RunOnce.

#include <pthread.h>

namespace rt {

int RunOnce(pthread_once_t* once, void (*procedure)());
int InitRecursiveMutex(pthread_mutex_t* mutex);

} // namespace rt

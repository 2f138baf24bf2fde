#include "runtime/core/locks.h"

namespace rt {

int RunOnce(pthread_once_t* once, void (*procedure)()) {
    return pthread_once(once, procedure);
}

int InitRecursiveMutex(pthread_mutex_t* mutex) {
    pthread_mutexattr_t attributes;
    int result = pthread_mutexattr_init(&attributes);
    if (result != 0) return result;
    result = pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    if (result == 0) result = pthread_mutex_init(mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    return result;
}

} // namespace rt

#pragma once
// The runtime's locking conventions: every mutex is recursive, and process-wide mutexes that may
// be needed before start-up has finished are created through RunOnce.

#include <pthread.h>

namespace rt {

// pthread_once: 0, or the error number.
int RunOnce(pthread_once_t* once, void (*procedure)());
// Initialises a recursive mutex: 0, or the error number of the step that failed.
int InitRecursiveMutex(pthread_mutex_t* mutex);

// Holds a mutex for one scope; a null mutex makes it a no-op, for structures whose lock is
// optional.
class ScopedMutex {
  public:
    explicit ScopedMutex(pthread_mutex_t* mutex) : m_mutex(mutex) {
        if (m_mutex) pthread_mutex_lock(m_mutex);
    }
    ~ScopedMutex() {
        if (m_mutex) pthread_mutex_unlock(m_mutex);
    }
    ScopedMutex(const ScopedMutex&) = delete;
    ScopedMutex& operator=(const ScopedMutex&) = delete;

  private:
    pthread_mutex_t* m_mutex;
};

} // namespace rt

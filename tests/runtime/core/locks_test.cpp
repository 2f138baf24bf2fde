#include "runtime/core/locks.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

// Every runtime mutex may be taken again by the thread that holds it.
TEST(Locks, RecursiveMutexCanBeTakenAgainByItsHolder) {
    pthread_mutex_t mutex;
    ASSERT_EQ(InitRecursiveMutex(&mutex), 0);
    {
        ScopedMutex outer(&mutex);
        EXPECT_EQ(pthread_mutex_trylock(&mutex), 0);
        pthread_mutex_unlock(&mutex);
    }
    EXPECT_EQ(pthread_mutex_trylock(&mutex), 0) << "the scope gave the mutex back";
    pthread_mutex_unlock(&mutex);
    pthread_mutex_destroy(&mutex);
}

} // namespace
} // namespace rt

#pragma once
// Autorelease pools, one stack per thread. An autoreleased object is released when the innermost
// pool open on its thread at the time is popped. Objects autoreleased while no pool is open are
// released when their thread ends.

#include "platform/objc/objc_types.h"

extern "C" {
// Nil-safe; returns its argument.
id objc_autorelease(id object);
void* objc_autoreleasePoolPush(void);
// Releases, newest first, every object autoreleased since the matching push, those of inner
// pools not yet popped included, and those autoreleased while the pool drains. A token that is
// not open on this thread is ignored.
void objc_autoreleasePoolPop(void* token);
}

// A pool open for the life of the scope.
class AutoreleasePoolScope {
  public:
    AutoreleasePoolScope() : m_token(objc_autoreleasePoolPush()) {}
    ~AutoreleasePoolScope() { objc_autoreleasePoolPop(m_token); }
    AutoreleasePoolScope(const AutoreleasePoolScope&) = delete;
    AutoreleasePoolScope& operator=(const AutoreleasePoolScope&) = delete;

  private:
    void* m_token;
};

// Objects awaiting release on this thread, in all its pools.
std::size_t autorelease_pending_count();

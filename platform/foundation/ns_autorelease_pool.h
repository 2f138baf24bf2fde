#pragma once
// NSAutoreleasePool: an autorelease pool as an object. -init opens a pool on the calling thread
// (autorelease_pool.h), and the pool closes, releasing what was autoreleased into it, when the
// object is deallocated: by -release or -drain, which are the same here. A pool cannot be
// retained or autoreleased; those messages are ignored, so that the pool's life stays its scope.
// A pool closes only on the thread that opened it; closing it elsewhere is ignored.

#include "platform/objc/native_class.h"

#include <thread>

class NSAutoreleasePool : public NSObject {
  public:
    NSAutoreleasePool() = default;

    // Opens the pool; a second -init leaves the pool open as it was.
    id init();
    // Releases the pool object, closing the pool.
    void drain();
    id retainIgnored() { return this; }
    id autoreleaseIgnored() { return this; }
    void dealloc();

    bool is_open() const { return m_token != nullptr; }

  private:
    void* m_token = nullptr;
    std::thread::id m_thread;
};

void register_ns_autorelease_pool_class();

#include "platform/objc/autorelease_pool.h"

#include "platform/objc/ns_object.h"

#include <cstdint>
#include <vector>

namespace {

// One stack for all pools of a thread: the objects, with nil marking where each pool starts.
// A pool's token is the position of its mark plus one, so that no token is null.
struct ThreadPools {
    std::vector<id> entries;

    ~ThreadPools() { drain_to(0); }

    // Releasing may autorelease more objects (in a -dealloc); they are drained too.
    void drain_to(std::size_t size) {
        while (entries.size() > size) {
            id object = entries.back();
            entries.pop_back();
            if (object) objc_release(object);
        }
    }
};

thread_local ThreadPools t_pools;

} // namespace

id objc_autorelease(id object) {
    if (object) t_pools.entries.push_back(object);
    return object;
}

void* objc_autoreleasePoolPush(void) {
    t_pools.entries.push_back(nil);
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(t_pools.entries.size()));
}

void objc_autoreleasePoolPop(void* token) {
    auto position = reinterpret_cast<std::uintptr_t>(token);
    std::vector<id>& entries = t_pools.entries;
    if (position == 0 || position > entries.size() || entries[position - 1] != nil) return;
    t_pools.drain_to(position);
    // A -dealloc run by the drain may have popped an outer pool already.
    if (entries.size() == position) entries.pop_back();
}

std::size_t autorelease_pending_count() {
    std::size_t count = 0;
    for (id object : t_pools.entries)
        count += object ? 1 : 0;
    return count;
}

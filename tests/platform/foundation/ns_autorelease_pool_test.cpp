#include "platform/foundation/ns_autorelease_pool.h"

#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

namespace {

// Counts its deallocations, to see when a pool releases it.
class PoolTracked : public NSObject {
  public:
    static inline int s_freed = 0;
    ~PoolTracked() override { ++s_freed; }
};

void autorelease_tracked() {
    static Class cls =
        register_native_class<PoolTracked>("NSAutoreleasePoolTestTracked", "NSObject", {});
    objc_autorelease(msg_send<id>(cls, "new"));
}

id new_pool() {
    return msg_send<id>(msg_send<id>(class_named("NSAutoreleasePool"), "alloc"), "init");
}

} // namespace

// The event loop renews its pool with -drain; retain and autorelease must not keep it open.
TEST(NSAutoreleasePool, DrainClosesThePoolWithItsInnerPoolsWhateverWasRetained) {
    AutoreleasePoolScope outer;
    std::size_t pending = autorelease_pending_count();
    PoolTracked::s_freed = 0;
    id pool = new_pool();
    EXPECT_EQ(msg_send<id>(pool, "init"), pool);
    EXPECT_EQ(msg_send<id>(pool, "retain"), pool);
    EXPECT_EQ(msg_send<id>(pool, "autorelease"), pool);
    EXPECT_EQ(pool->retainCount(), 1u);
    autorelease_tracked();
    id inner = new_pool();
    autorelease_tracked();
    EXPECT_EQ(autorelease_pending_count(), pending + 2);
    msg_send<void>(pool, "drain");
    EXPECT_EQ(PoolTracked::s_freed, 2);
    EXPECT_EQ(autorelease_pending_count(), pending);
    msg_send<void>(inner, "release"); // closed with the outer pool already
    EXPECT_EQ(PoolTracked::s_freed, 2);
}

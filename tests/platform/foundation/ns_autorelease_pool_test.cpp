#include "platform/foundation/ns_autorelease_pool.h"

#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Counts its deallocations, to see when a pool releases it.
class Tracked : public NSObject {
  public:
    static inline int s_freed = 0;
    ~Tracked() override { ++s_freed; }
};

Class tracked_class() {
    static Class cls =
        register_native_class<Tracked>("NSAutoreleasePoolTestTracked", "NSObject", {});
    return cls;
}

id autoreleased_tracked() {
    return objc_autorelease(msg_send<id>(tracked_class(), "new"));
}

id new_pool() {
    return msg_send<id>(msg_send<id>(class_named("NSAutoreleasePool"), "alloc"), "init");
}

} // namespace

TEST(NSAutoreleasePool, ReleasingThePoolReleasesWhatWasAutoreleasedIntoIt) {
    AutoreleasePoolScope outer;
    Tracked::s_freed = 0;
    std::size_t pending = autorelease_pending_count();
    for (const char* closing : {"release", "drain"}) {
        SCOPED_TRACE(closing);
        id pool = new_pool();
        ASSERT_TRUE(pool);
        int freed = Tracked::s_freed;
        autoreleased_tracked();
        msg_send<void>(class_named("NSAutoreleasePool"),
                       "addObject:", msg_send<id>(tracked_class(), "new"));
        EXPECT_EQ(autorelease_pending_count(), pending + 2);
        msg_send<void>(pool, closing);
        EXPECT_EQ(Tracked::s_freed, freed + 2);
        EXPECT_EQ(autorelease_pending_count(), pending);
    }
}

TEST(NSAutoreleasePool, NewOpensAPoolAndInnerPoolsCloseWithTheOuter) {
    AutoreleasePoolScope outer;
    Tracked::s_freed = 0;
    id pool = msg_send<id>(class_named("NSAutoreleasePool"), "new");
    autoreleased_tracked();
    id inner = new_pool();
    autoreleased_tracked();
    // The outer pool closes the inner one too; the inner object is then released on its own.
    msg_send<void>(pool, "release");
    EXPECT_EQ(Tracked::s_freed, 2);
    msg_send<void>(inner, "release");
    EXPECT_EQ(Tracked::s_freed, 2);
}

TEST(NSAutoreleasePool, RetainAndAutoreleaseDoNotExtendThePool) {
    AutoreleasePoolScope outer;
    Tracked::s_freed = 0;
    std::size_t pending = autorelease_pending_count();
    id pool = new_pool();
    EXPECT_EQ(msg_send<id>(pool, "retain"), pool);
    EXPECT_EQ(msg_send<id>(pool, "autorelease"), pool);
    EXPECT_EQ(pool->retainCount(), 1u);
    autoreleased_tracked();
    msg_send<void>(pool, "drain");
    EXPECT_EQ(Tracked::s_freed, 1);
    EXPECT_EQ(autorelease_pending_count(), pending);
}

// A pool released on another thread must not close whatever pool sits at the same depth there.
TEST(NSAutoreleasePool, ReleasedOnAnotherThreadItClosesNothingThere) {
    AutoreleasePoolScope outer;
    Tracked::s_freed = 0;
    id pool = new_pool();
    autoreleased_tracked();
    std::thread([pool] {
        AutoreleasePoolScope first;
        AutoreleasePoolScope second;
        autoreleased_tracked();
        msg_send<void>(pool, "release");
        EXPECT_EQ(Tracked::s_freed, 0);
        EXPECT_EQ(autorelease_pending_count(), 1u);
    }).join();
    EXPECT_EQ(Tracked::s_freed, 1);
}

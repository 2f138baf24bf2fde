#include "platform/objc/autorelease_pool.h"

#include "platform/objc/objc_ref.h"
#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

int destroyed_since(int before) {
    return TestProbe::s_destroyed - before;
}

void autoreleased_probe() {
    test_probe_class();
    make_native<TestProbe>().autorelease();
}

// A probe whose destruction autoreleases another probe, as a -dealloc may.
class ChainProbe : public TestProbe {
  public:
    ~ChainProbe() override { autoreleased_probe(); }
};

} // namespace

TEST(AutoreleasePool, PopReleasesWhatWasAutoreleasedSincePushInnerPoolsIncluded) {
    test_probe_class();
    id kept = make_native<TestProbe>().take();
    int before = TestProbe::s_destroyed;
    void* outer = objc_autoreleasePoolPush();
    std::size_t pending = autorelease_pending_count();
    autoreleased_probe();
    objc_autorelease(objc_retain(kept));
    void* inner = objc_autoreleasePoolPush();
    autoreleased_probe();
    EXPECT_EQ(autorelease_pending_count(), pending + 3);
    objc_autoreleasePoolPop(outer);
    EXPECT_EQ(destroyed_since(before), 2);
    EXPECT_EQ(autorelease_pending_count(), pending);
    objc_autoreleasePoolPop(inner); // already drained with the outer pool: ignored
    EXPECT_EQ(msg_send<NSUInteger>(kept, "retainCount"), 1u);
    objc_release(kept);
    EXPECT_EQ(destroyed_since(before), 3);
}

TEST(AutoreleasePool, ObjectsAutoreleasedDuringTheDrainAreReleasedToo) {
    test_probe_class();
    static Class cls = register_native_class<ChainProbe>("TestChainProbe", "TestProbe", {});
    ASSERT_TRUE(cls);
    int before = TestProbe::s_destroyed;
    {
        AutoreleasePoolScope pool;
        make_native<ChainProbe>().autorelease();
    }
    EXPECT_EQ(destroyed_since(before), 2);
}

TEST(AutoreleasePool, EachThreadHasItsOwnPoolsAndDrainsThemWhenItEnds) {
    int before = TestProbe::s_destroyed;
    AutoreleasePoolScope pool;
    autoreleased_probe();
    std::thread with_pool([] {
        AutoreleasePoolScope scope;
        autoreleased_probe();
        EXPECT_EQ(autorelease_pending_count(), 1u);
    });
    with_pool.join();
    std::thread without_pool([] { autoreleased_probe(); });
    without_pool.join();
    EXPECT_EQ(destroyed_since(before), 2);
}

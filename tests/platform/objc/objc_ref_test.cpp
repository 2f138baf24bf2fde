#include "platform/objc/objc_ref.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ObjcRef, CountsOneReferencePerHandle) {
    test_probe_class();
    int before = TestProbe::s_destroyed;
    TestProbe* probe = nullptr;
    {
        AutoreleasePoolScope pool;
        ObjcRef<TestProbe> first = make_native<TestProbe>(3);
        probe = first.get();
        {
            ObjcRef<> widened = first;
            std::vector<ObjcRef<TestProbe>> copies(4, first);
            ObjcRef<> retained = ObjcRef<>::retain(probe);
            EXPECT_EQ(probe->retainCount(), 7u);
        }
        ObjcRef<TestProbe> moved = std::move(first);
        EXPECT_FALSE(first);
        EXPECT_EQ(probe->retainCount(), 1u);
        ObjcRef<TestProbe> assigned;
        assigned = moved;
        moved.reset();
        EXPECT_EQ(assigned.autorelease(), probe);
        EXPECT_FALSE(assigned);
        EXPECT_EQ(TestProbe::s_destroyed, before) << "the pool holds the last reference";
    }
    EXPECT_EQ(TestProbe::s_destroyed, before + 1);
}

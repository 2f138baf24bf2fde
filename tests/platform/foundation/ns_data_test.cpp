#include "platform/foundation/ns_data.h"

#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(NSData, CopiesTheBytesItIsMadeFrom) {
    AutoreleasePoolScope pool;
    unsigned char bytes[] = {0, 1, 2, 0xFF};
    auto* data =
        msg_send<NSData*>(class_named("NSData"),
                          "dataWithBytes:length:", static_cast<const void*>(bytes), NSUInteger{4});
    ASSERT_TRUE(data);
    bytes[0] = 9;
    EXPECT_EQ(msg_send<NSUInteger>(data, "length"), 4u);
    const void* stored = msg_send<const void*>(data, "bytes");
    ASSERT_TRUE(stored);
    EXPECT_EQ(std::memcmp(stored, "\x00\x01\x02\xFF", 4), 0);
    EXPECT_EQ(NSData::dataWithBytes(nil, nullptr, 3), nil);
    EXPECT_EQ(NSData::dataWithBytes(nil, nullptr, 0)->length(), 0u);
}

TEST(NSData, EqualBytesAreEqualData) {
    AutoreleasePoolScope pool;
    const std::uint8_t a[] = {1, 2, 3};
    const std::uint8_t b[] = {1, 2, 4};
    NSData* first = NSData::make(a).autorelease();
    EXPECT_TRUE(first->isEqual(NSData::make(a).autorelease()));
    EXPECT_EQ(first->hash(), NSData::make(a)->hash());
    EXPECT_FALSE(first->isEqual(NSData::make(b).autorelease()));
}

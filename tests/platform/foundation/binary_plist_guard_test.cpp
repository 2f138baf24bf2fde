#include "platform/foundation/binary_plist_guard.h"

#include "tests/platform/foundation/binary_plist_bytes.h"

#include <gtest/gtest.h>

namespace {

std::span<const std::uint8_t> bytes_of(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

// Three levels of doubling over a three-letter text: 15 objects, 8 of them the text (24 bytes),
// in 3 nested arrays. Each limit is met exactly, then missed by one.
TEST(BinaryPlistGuard, CountsEveryReferenceToASharedObjectUpToEachLimitExactly) {
    const std::string shared = doubling_binary(3, "\x53"
                                                  "abc");
    const BinaryPlistLimits exact{.max_depth = 3, .max_objects = 15, .max_payload_bytes = 24};
    const struct {
        const char* name;
        BinaryPlistLimits limits;
        const char* reason; // empty when accepted
    } rows[] = {
        {"every limit met", exact, ""},
        {"one object fewer", {3, 14, 24}, "more than 14 objects"},
        {"one byte fewer", {3, 15, 23}, "more than 23 bytes"},
        {"one level fewer", {2, 15, 24}, "nested deeper than 2 levels"},
    };
    for (const auto& row : rows) {
        std::string refusal = binary_plist_refusal(bytes_of(shared), row.limits);
        EXPECT_EQ(refusal.empty(), *row.reason == 0) << row.name << ": " << refusal;
        EXPECT_NE(refusal.find(row.reason), std::string::npos) << row.name << ": " << refusal;
    }
    // Sixty levels describe 2^61 - 1 objects; measuring each object once keeps the count short.
    const std::string huge = doubling_binary(60, "\x09");
    EXPECT_EQ(binary_plist_refusal(bytes_of(huge), {60, std::uint64_t{1} << 62, 0}), "");
}

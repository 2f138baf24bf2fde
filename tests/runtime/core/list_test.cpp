#include "runtime/core/list.h"

#include "runtime/core/array.h"
#include "runtime/core/layout.h"
#include "runtime/core/map.h"
#include "runtime/core/temp_area.h"
#include "runtime/core/typed_containers.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

using rt::LayoutEnd;

[[maybe_unused]] const bool lists_started =
    (rt::InitMaps(), rt::InitArrays(), rt::InitLists(), true);

constexpr int64_t k_none = -1;

int64_t value_at(const void* data) {
    return data ? *static_cast<const int64_t*>(data) : k_none;
}

// The values front to back, checked against the walk back to front.
std::vector<int64_t> values_of(const rt::ListHeader* list) {
    std::vector<int64_t> forward;
    std::vector<int64_t> backward;
    for (rt::ListNode* node = list->first; node; node = node->next) {
        forward.push_back(value_at(rt::list_node_data(node)));
    }
    for (rt::ListNode* node = list->last; node; node = node->previous) {
        backward.insert(backward.begin(), value_at(rt::list_node_data(node)));
    }
    EXPECT_EQ(forward, backward) << "links disagree";
    EXPECT_EQ(static_cast<int64_t>(forward.size()), list->count);
    return forward;
}

TEST(List, CopyAppendsAfterTheCurrentElementUnlessClearingAndRefusesMismatches) {
    rt::TypedList<int64_t> source;
    rt::TypedList<int64_t> destination;
    rt::TypedList<int32_t> narrow;
    const int64_t layout[] = {0, LayoutEnd};
    rt::TypedList<int64_t> with_layout(layout);
    *source.append() = 1;
    *source.append() = 2;
    *destination.append() = 8;
    *destination.append() = 9;
    destination.select(0);
    ASSERT_EQ(rt::ListCopy(source.header(), 0, destination.header(), 0, 0), 1);
    EXPECT_EQ(values_of(destination.header()), (std::vector<int64_t>{8, 1, 2, 9}));
    ASSERT_EQ(rt::ListCopy(source.header(), 0, destination.header(), 0, 1), 1);
    EXPECT_EQ(values_of(destination.header()), (std::vector<int64_t>{1, 2}));

    EXPECT_EQ(rt::ListCopy(source.header(), 1, destination.header(), 2, 1), 0); // types
    EXPECT_EQ(rt::ListCopy(source.header(), 0, narrow.header(), 0, 1), 0);      // sizes
    EXPECT_EQ(rt::ListCopy(source.header(), 0, with_layout.header(), 0, 1), 0); // layouts
    EXPECT_EQ(values_of(destination.header()), (std::vector<int64_t>{1, 2}));
    EXPECT_EQ(rt::ListCopy(source.header(), 0, source.header(), 0, 1), 1); // onto itself
    EXPECT_EQ(values_of(source.header()), (std::vector<int64_t>{1, 2}));
    for (const int64_t outside : {-1, 2})
        EXPECT_EQ(rt::ListSelect(source.header(), outside), nullptr);
    EXPECT_EQ(rt::ListSelect(nullptr, 0), nullptr);
    EXPECT_EQ(rt::ListAppend(nullptr), nullptr);
}

} // namespace

#include "runtime/core/list.h"

#include "runtime/core/array.h"
#include "runtime/core/layout.h"
#include "runtime/core/map.h"
#include "runtime/core/temp_area.h"
#include "runtime/core/typed_containers.h"
#include "tests/runtime/core/heap_growth.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <tuple>
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

TEST(List, AppendsAfterTheCurrentElementAndWalksBothWays) {
    rt::TypedList<int64_t> list;
    EXPECT_EQ(list.next(), nullptr);
    for (int64_t value = 0; value < 10; ++value)
        *list.append() = value;
    list.rewind(); // at the front now
    *list.append() = 100;
    list.select(5);
    *list.append() = 200; // between two elements
    ASSERT_EQ(value_at(list.select(10)), 8);
    *list.append() = 300; // before the last one
    list.select(12);
    *list.append() = 400; // at the end
    const std::vector<int64_t> model = {100, 0, 1, 2, 3, 4, 200, 5, 6, 7, 8, 300, 9, 400};
    ASSERT_EQ(values_of(list.header()), model);
    EXPECT_EQ(list.header()->index, 13);
    // Selecting reaches every index from every starting point, and the variable follows.
    const int64_t size = static_cast<int64_t>(model.size());
    for (int64_t from = -1; from < size; ++from) {
        for (int64_t to = 0; to < size; ++to) {
            if (from < 0)
                list.rewind();
            else
                list.select(from);
            ASSERT_EQ(value_at(list.select(to)), model[static_cast<size_t>(to)])
                << from << "->" << to;
            ASSERT_EQ(list.current(), list.select(to));
            ASSERT_EQ(list.header()->index, to);
        }
    }
    list.select(12);
    EXPECT_EQ(value_at(list.next()), 400);
    EXPECT_EQ(list.next(), nullptr); // the last one stays current
    EXPECT_EQ(value_at(list.current()), 400);
    EXPECT_EQ(list.select(size), nullptr);
    EXPECT_EQ(list.current(), nullptr);
    EXPECT_EQ(value_at(list.next()), 100);
    list.clear();
    EXPECT_EQ(std::tuple(list.size(), list.next(), list.header()->first, list.header()->last),
              std::tuple(0, nullptr, nullptr, nullptr));
    *list.append() = 1;
    EXPECT_EQ(values_of(list.header()), std::vector<int64_t>{1});
}

TEST(List, CreateReplacesTheVariablesListAndFreeClearsIt) {
    rt::ListVariable variable{};
    EXPECT_EQ(rt::CreateList(-1, &variable, nullptr, 0), nullptr);
    rt::ListHeader* first = rt::CreateList(8, &variable, nullptr, 0);
    ASSERT_NE(first, nullptr);
    rt::ListAppend(first);
    rt::ListHeader* second = rt::CreateList(8, &variable, nullptr, 0); // frees the first
    EXPECT_EQ(std::tuple(variable.list, variable.current, second->count),
              std::tuple(second, nullptr, 0));
    *static_cast<int64_t*>(rt::ListAppend(second)) = 6;
    EXPECT_EQ(value_at(rt::list_node_data(variable.current)), 6);
    rt::ListFree(second);
    EXPECT_EQ(variable.list, nullptr);
    rt::ListHeader* owning = rt::CreateList(8, nullptr, nullptr, 0);
    ASSERT_NE(owning, nullptr);
    EXPECT_EQ(owning->variable->list, owning);
    rt::ListFree(owning);
    rt::ListFree(nullptr);
    const int64_t layout[] = {0, LayoutEnd}; // elements holding a string
    rt::TypedList<int64_t> sharing;          // keeps the shared pool of the nodes' size alive
    EXPECT_LT(rt::heap_growth_per_step([&] {
                  rt::CreateList(8, &variable, layout, 0);
                  rt::AssignString(static_cast<char16_t**>(rt::ListAppend(variable.list)), u"text");
                  rt::CreateList(8, &variable, layout, 0);
                  rt::ListAppend(variable.list);
              }),
              16u);
    rt::ListFree(variable.list);
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

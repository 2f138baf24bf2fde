#include "runtime/core/array.h"

#include "runtime/core/layout.h"
#include "runtime/core/list.h"
#include "runtime/core/map.h"
#include "runtime/core/memory.h"
#include "runtime/core/temp_area.h"
#include "runtime/core/typed_containers.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <tuple>
#include <vector>

namespace {

[[maybe_unused]] const bool arrays_started =
    (rt::InitMaps(), rt::InitArrays(), rt::InitLists(), true);

// The header sits before the elements in one block and knows its variable; a count that is not
// positive, or a size whose block would overflow, gives no array.
TEST(Array, HeaderPrecedesTheElementsAndBadSizesGiveNone) {
    void* variable = nullptr;
    void* array = rt::ArrayAllocate(8, 3, 11, nullptr, &variable);
    ASSERT_EQ(variable, array);
    const rt::ArrayHeader* header = rt::array_header(array);
    EXPECT_EQ(std::tuple(header->variable, header->element_type, header->element_size),
              std::tuple(&variable, 11, 8));
    EXPECT_EQ(rt::BlockSize(header), 48u + 3u * 8u);
    for (int64_t count : {0, -1}) {
        EXPECT_EQ(rt::ArrayAllocate(8, count, 0, nullptr, &variable), nullptr);
        EXPECT_EQ(variable, nullptr);
    }
    EXPECT_EQ(rt::ArrayAllocate(int64_t{1} << 62, 8, 0, nullptr, &variable), nullptr);
}

// The descriptor's sizes become strides in elements; a bad count or size leaves them as they were.
TEST(Array, DimensionsBecomeStridesAndTheirProductTheCount) {
    struct Descriptor {
        void* variable;
        int64_t words[3];
    };
    using Sizes = std::vector<int64_t>;
    const std::tuple<int32_t, Sizes, Sizes, int64_t> rows[] = {
        // a count of 0: refused
        {3, {2, 3, 4}, {12, 4, 1}, 24}, {1, {5, 7, 7}, {1, 7, 7}, 5},
        {2, {1, 1, 9}, {1, 1, 9}, 1},   {2, {3, 0, 9}, {3, 0, 9}, 0},
        {2, {-2, 3, 0}, {-2, 3, 0}, 0}, {0, {2, 2, 2}, {2, 2, 2}, 0},
        {33, {2, 2, 2}, {2, 2, 2}, 0}};
    Descriptor descriptor{};
    for (const auto& [dimensions, sizes, after, count] : rows) {
        SCOPED_TRACE(testing::Message() << dimensions << " dimensions, first " << sizes[0]);
        std::copy(sizes.begin(), sizes.end(), descriptor.words);
        void* array = rt::ArrayAllocateDims(dimensions, 2, 0, nullptr, &descriptor.variable);
        EXPECT_EQ(std::tuple(Sizes(descriptor.words, descriptor.words + 3), descriptor.variable),
                  std::tuple(after, array));
        if (!count) {
            EXPECT_EQ(array, nullptr);
            continue;
        }
        ASSERT_NE(array, nullptr);
        const rt::ArrayHeader* header = rt::array_header(array);
        EXPECT_EQ(std::tuple(header->count, header->dimension_count, rt::BlockSize(header)),
                  std::tuple(count, dimensions, 48u + 2u * count));
    }
    EXPECT_EQ(rt::ArrayAllocateDims(1, 8, 0, nullptr, nullptr), nullptr);
}

// Each row resizes the array the row before left; elements hold their index + 1.
TEST(Array, ResizeKeepsElementsBelowBothCountsAndZeroesAddedOnes) {
    const std::tuple<int64_t, int64_t, int64_t> rows[] = {
        {100, 100, 65}, {10, 10, 10}, {10, 10, 10}, {40, 40, 10}, {0, 0, 0}, {-5, 0, 0}, {3, 3, 0}};
    rt::TypedArray<int64_t> array(65, nullptr, 21);
    for (int64_t i = 0; i < 65; ++i)
        array[i] = i + 1;
    for (const auto& [new_count, expected_count, kept] : rows) {
        array.resize(new_count);
        ASSERT_TRUE(array.valid());
        std::vector<int64_t> expected(expected_count);
        for (int64_t i = 0; i < kept; ++i)
            expected[i] = i + 1;
        EXPECT_EQ(std::vector<int64_t>(array.begin(), array.end()), expected)
            << "resize to " << new_count;
    }
}

// Lists inside elements point back at their variables, which move with the block: every kept
// element's list is relinked, the first one too.
TEST(Array, ResizeRelinksTheContainersOfEveryKeptElement) {
    const int64_t list_layout[] = {-5, 0, 8, 0, 0, rt::LayoutEnd};
    rt::TypedArray<rt::ListVariable> array(4, list_layout);
    for (const int64_t count : {4000, 3, 9000}) {
        array.resize(count);
        for (int64_t i = 0; i < 3; ++i) {
            ASSERT_NE(array[i].list, nullptr);
            EXPECT_EQ(array[i].list->variable, &array[i]) << "element " << i << " at " << count;
            EXPECT_EQ(rt::ListAppend(array[i].list) != nullptr, true);
            EXPECT_EQ(array[i].current, array[i].list->current);
        }
    }
}

// A copy reaches every element up to the last and no further; an array needs no variable.
TEST(Array, CopyDuplicatesTheStringsOfEveryElement) {
    const int64_t one_string[] = {0, rt::LayoutEnd};
    auto* source = static_cast<char16_t**>(rt::ArrayAllocate(8, 2, 0, one_string, nullptr));
    rt::AssignString(&source[1], u"deep");
    rt::TypedArray<char16_t*> copy(2, one_string);
    EXPECT_EQ(rt::ArrayCopy(source, copy.data(), 0), 1);
    rt::ArrayFree(source);
    EXPECT_EQ(std::u16string(copy[1]), u"deep");
}

} // namespace

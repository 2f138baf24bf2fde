#include "runtime/core/layout.h"

#include "runtime/core/array.h"
#include "runtime/core/list.h"
#include "runtime/core/map.h"
#include "runtime/core/temp_area.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <string>
#include <tuple>

namespace {

using rt::layout_word;
using rt::LayoutEnd;

[[maybe_unused]] const bool layouts_started =
    (rt::InitMaps(), rt::InitArrays(), rt::InitLists(), true);

TEST(Layout, NeedsInitOnlyForContainersDirectlyOrNested) {
    const int64_t strings[] = {0, 8, LayoutEnd};
    const int64_t list[] = {-5, 0, 8, 0, 0, LayoutEnd};
    const int64_t nested[] = {0, -3, 8, 16, layout_word(list), LayoutEnd};
    const int64_t in_fixed_array[] = {-2, 2, 0, 16, layout_word(list), LayoutEnd};
    const int64_t in_empty_fixed_array[] = {-2, 0, 0, 16, layout_word(list), LayoutEnd};
    const int64_t nested_strings[] = {-3, 0, 16, layout_word(strings), LayoutEnd};
    const int64_t after_unknown[] = {-9, -5, 0, 8, 0, 0, LayoutEnd};
    const int64_t map_field[] = {-6, 0, 8, 9, 0, 16, LayoutEnd};
    const int64_t array_field[] = {-4, 0, 8, 4, 21, 0, LayoutEnd};
    const int64_t grid_field[] = {-7, 0, 2, 8, 11, 0, 2, 3, LayoutEnd};
    const int64_t no_dimensions[] = {-7, 0, 0, 8, 11, 0, LayoutEnd};
    const std::pair<const int64_t*, int> rows[] = {
        {nullptr, 0},        {strings, 0},        {list, 1},
        {nested, 1},         {in_fixed_array, 1}, {in_empty_fixed_array, 0},
        {nested_strings, 0}, {after_unknown, 0},  {map_field, 1},
        {array_field, 1},    {grid_field, 1},     {no_dimensions, 0}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rt::LayoutNeedsInit(rows[i].first), rows[i].second) << "row " << i;
    }
}

// A copy gets containers of its own, linked to its own fields; the source keeps its own.
TEST(Layout, CopyGivesEachContainerFieldItsOwnContainer) {
    struct Holder {
        rt::MapHeader* map;
        void* array;
        rt::ListVariable list;
    };
    const int64_t layout[] = {-6, offsetof(Holder, map),   8, 9, 0,  16,
                              -4, offsetof(Holder, array), 8, 4, 21, 0,
                              -5, offsetof(Holder, list),  8, 0, 0,  LayoutEnd};
    Holder source{};
    Holder copy{};
    rt::InitStructure(&source, layout);
    *static_cast<int64_t*>(rt::MapAddString(source.map, u"k", 0)) = 5;
    static_cast<int64_t*>(source.array)[3] = 6;
    *static_cast<int64_t*>(rt::ListAppend(source.list.list)) = 7;
    rt::CopyStructure(&copy, sizeof(Holder), layout, &source);
    for (const Holder* holder : {&source, &copy}) {
        SCOPED_TRACE(holder == &source ? "source" : "copy");
        EXPECT_EQ(std::tuple(holder->map->variable, rt::array_header(holder->array)->variable,
                             holder->list.list->variable),
                  std::tuple(&holder->map, &holder->array, &holder->list));
        EXPECT_EQ(*static_cast<int64_t*>(rt::MapFind(holder->map, u"k")), 5);
        EXPECT_EQ(static_cast<int64_t*>(holder->array)[3], 6);
        EXPECT_EQ(*static_cast<int64_t*>(rt::list_node_data(holder->list.list->first)), 7);
    }
    rt::FreeStructure(&source, layout);
    rt::FreeStructure(&copy, layout);
}

// Copying a structure onto itself used to free its strings before reading them.
TEST(Layout, InitCopyOntoItselfAndFreeHandleEachField) {
    struct Pair {
        char16_t* text;
        rt::ListVariable items;
    };
    const int64_t layout[] = {offsetof(Pair, text), -5, offsetof(Pair, items), 8, 0, 0, LayoutEnd};
    Pair pair{};
    rt::InitStructure(&pair, layout);
    ASSERT_NE(pair.items.list, nullptr);
    EXPECT_EQ(pair.items.list->variable, &pair.items);
    rt::AssignString(&pair.text, u"title");
    rt::CopyStructure(&pair, sizeof(Pair), layout, &pair);
    EXPECT_EQ(std::u16string(pair.text), u"title");
    rt::FreeStructure(&pair, layout);
    EXPECT_EQ(pair.text, nullptr);
    EXPECT_EQ(pair.items.list, nullptr);

    std::array<std::array<int64_t, 5>, rt::k_max_layout_depth> levels;
    const int64_t* outer = layout + 1; // the list, then structures around it as deep as they go
    for (auto& level : levels)
        outer = (level = {-3, 0, sizeof(Pair), layout_word(outer), LayoutEnd}).data();
    rt::InitStructure(&pair, outer);
    ASSERT_NE(pair.items.list, nullptr);
    rt::FreeStructure(&pair, outer);
    EXPECT_EQ(pair.items.list, nullptr);
    const int64_t deeper[] = {-3, 0, sizeof(Pair), layout_word(outer), LayoutEnd};
    rt::InitStructure(&pair, deeper); // one level past the limit is left alone
    EXPECT_EQ(pair.items.list, nullptr);
}

} // namespace
